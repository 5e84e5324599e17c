// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the small folder of sample pictures that the run command reports on where no
// display is available: lenstally-makesamples FOLDER.

#include "testpictures.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <cstdio>

using namespace testpictures;

namespace {

struct Sample
{
    const char* name;
    Format format;
    const char* make;
    const char* model;
    const char* focal;   // rational, mm
    const char* focal35; // mm; empty: the tag is left out
    const char* fNumber; // rational
    const char* iso;
    const char* exposure; // rational, seconds
};

// A few cameras and a spread of settings, so every table has several rows; one camera
// without its 35 mm tag shows the crop-factor estimate, one unknown camera "Unknown".
const Sample samples[] = {
    {"2024/holiday/IMG_0001.jpg", Format::Jpeg, "Canon", "Canon EOS 7D", "50/1", "80", "28/10",
     "200", "1/125"},
    {"2024/holiday/IMG_0002.jpg", Format::Jpeg, "Canon", "Canon EOS 7D", "18/1", "", "40/10", "100",
     "1/500"},
    {"2024/holiday/IMG_0003.JPG", Format::Jpeg, "Canon", "Canon EOS 7D", "50/1", "80", "18/10",
     "800", "1/60"},
    {"2024/holiday/IMG_0004.jpeg", Format::Jpeg, "Canon", "Canon EOS 7D", "135/1", "216", "56/10",
     "400", "1/250"},
    {"2024/portraits/DSC_0101.nef", Format::Tiff, "NIKON CORPORATION", "NIKON D750", "85/1", "85",
     "18/10", "100", "1/200"},
    {"2024/portraits/DSC_0102.nef", Format::Tiff, "NIKON CORPORATION", "NIKON D750", "85/1", "85",
     "20/10", "100", "1/160"},
    {"2024/portraits/DSC_0103.nef", Format::Tiff, "NIKON CORPORATION", "NIKON D750", "50/1", "50",
     "14/10", "200", "1/125"},
    {"2023/city/P1000201.rw2", Format::Tiff, "Panasonic", "DMC-GH4", "12/1", "24", "40/10", "200",
     "1/1000"},
    {"2023/city/P1000202.rw2", Format::Tiff, "Panasonic", "DMC-GH4", "25/1", "50", "17/10", "1600",
     "1/30"},
    {"2023/city/scan.tif", Format::Tiff, "Epson", "Perfection V600", "10/1", "", "80/10", "50",
     "1/8"},
    {"2023/night/IMG_9001.jpg", Format::Jpeg, "Canon", "Canon EOS 7D", "24/1", "38", "28/10",
     "3200", "2/1"},
    {"2023/night/IMG_9002.jpg", Format::Jpeg, "Canon", "Canon EOS 7D", "24/1", "38", "28/10",
     "3200", "30/1"},
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (const Sample& s : samples) {
        QList<Tag> tags = typicalTags(QString::fromLatin1(s.make), QString::fromLatin1(s.model));
        tags = withTag(tags, QStringLiteral("Exif.Photo.FocalLength"),
                       Tag::textTag(QStringLiteral("Exif.Photo.FocalLength"), s.focal));
        tags = *s.focal35 ? withTag(tags, QStringLiteral("Exif.Photo.FocalLengthIn35mmFilm"),
                                    Tag::textTag(QStringLiteral("Exif.Photo.FocalLengthIn35mmFilm"),
                                                 s.focal35))
                          : withoutTag(tags, QStringLiteral("Exif.Photo.FocalLengthIn35mmFilm"));
        tags = withTag(tags, QStringLiteral("Exif.Photo.FNumber"),
                       Tag::textTag(QStringLiteral("Exif.Photo.FNumber"), s.fNumber));
        tags = withTag(tags, QStringLiteral("Exif.Photo.ISOSpeedRatings"),
                       Tag::textTag(QStringLiteral("Exif.Photo.ISOSpeedRatings"), s.iso));
        tags = withTag(tags, QStringLiteral("Exif.Photo.ExposureTime"),
                       Tag::textTag(QStringLiteral("Exif.Photo.ExposureTime"), s.exposure));
        const QString path = folder.filePath(QString::fromLatin1(s.name));
        if (!QDir().mkpath(QFileInfo(path).path()) || !writePicture(path, s.format, tags)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}

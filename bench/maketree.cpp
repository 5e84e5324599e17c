// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the benchmark's synthetic picture tree: bench-maketree FOLDER FILES [bmff].
// A few hundred distinct pictures are made once in memory and written under many names.
// With "bmff" the JPEGs become HEIC files and the TIFF-based ones CR3 files, for the
// throughput of ISO base media files beside the classic formats.

#include "testpictures.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace testpictures;

namespace {

struct Camera
{
    const char* make;
    const char* model;
};

const Camera cameras[] = {
    {"Canon", "Canon EOS 7D"},
    {"Canon", "Canon EOS 5D Mark III"},
    {"NIKON CORPORATION", "NIKON D750"},
    {"NIKON CORPORATION", "NIKON D7000"},
    {"SONY", "ILCE-7M3"},
    {"FUJIFILM", "X-T3"},
    {"OLYMPUS IMAGING CORP.", "E-M5"},
    {"Panasonic", "DMC-GH4"},
};
const char* const focals[] = {"18/1", "24/1", "35/1", "50/1", "85/1", "135/1", "200/1"};
const char* const fNumbers[] = {"14/10", "18/10", "28/10", "40/10", "56/10", "80/10", "110/10"};
const char* const isos[] = {"100", "200", "400", "800", "1600", "3200"};
const char* const exposures[] = {"1/4000", "1/1000", "1/250", "1/125", "1/60", "1/15", "2/1"};
// The extension of every tenth file in turn: JPEG, TIFF, TIFF-based RAW, other files.
const char* const extensions[] = {"jpg", "JPG", "jpeg", "tif", "nef",
                                  "cr2", "arw", "dng",  "orf", "txt"};
constexpr int distinct = 300;

template <typename T, int N> const T& pick(const T (&array)[N], int i)
{
    return array[i % N];
}

QList<Tag> variedTags(int i)
{
    const Camera& camera = pick(cameras, i);
    QList<Tag> tags =
        typicalTags(QString::fromLatin1(camera.make), QString::fromLatin1(camera.model));
    const auto set = [&tags](const char* key, const char* text) {
        tags = withTag(tags, QString::fromLatin1(key),
                       Tag::textTag(QString::fromLatin1(key), QString::fromLatin1(text)));
    };
    set("Exif.Photo.FocalLength", pick(focals, i / 3));
    set("Exif.Photo.FNumber", pick(fNumbers, i / 5));
    set("Exif.Photo.ISOSpeedRatings", pick(isos, i / 7));
    set("Exif.Photo.ExposureTime", pick(exposures, i / 11));
    // Every third picture lacks the 35 mm tag, so the crop-factor estimate is used.
    if (i % 3 == 0)
        tags = withoutTag(tags, QStringLiteral("Exif.Photo.FocalLengthIn35mmFilm"));
    return tags;
}

} // namespace

int main(int argc, char* argv[])
{
    const bool bmff = argc == 4 && std::string(argv[3]) == "bmff";
    if ((argc != 3 && !bmff) || std::atoi(argv[2]) <= 0) {
        std::fprintf(stderr, "usage: %s FOLDER FILES [bmff]\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const int count = std::atoi(argv[2]);
    QList<QByteArray> jpegs;
    QList<QByteArray> tiffs;
    for (int i = 0; i < distinct; ++i) {
        jpegs.append(pictureBytes(bmff ? Format::Heif : Format::Jpeg, variedTags(i)));
        tiffs.append(pictureBytes(bmff ? Format::Cr3 : Format::Tiff, variedTags(i)));
        if (jpegs.last().isEmpty() || tiffs.last().isEmpty()) {
            std::fprintf(stderr, "could not make picture %d\n", i);
            return 1;
        }
    }
    const QByteArray other("not a picture\n");
    // 100 files a folder, folders nested three deep: root/a/b/c.
    QString folder;
    for (int n = 0; n < count; ++n) {
        if (n % 100 == 0) {
            const int leaf = n / 100;
            folder = QStringLiteral("%1/%2/%3/%4")
                         .arg(root)
                         .arg(leaf / 100, 2, 10, QLatin1Char('0'))
                         .arg(leaf / 10 % 10)
                         .arg(leaf % 10);
            if (!QDir().mkpath(folder)) {
                std::fprintf(stderr, "could not make %s\n", qPrintable(folder));
                return 1;
            }
        }
        QString extension = QString::fromLatin1(pick(extensions, n));
        const QString lower = extension.toLower();
        if (bmff && lower != QLatin1String("txt"))
            extension = lower.startsWith(QLatin1String("jp")) ? QStringLiteral("heic")
                                                              : QStringLiteral("cr3");
        const QByteArray& bytes =
            lower == QLatin1String("txt")
                ? other
                : (lower.startsWith(QLatin1String("jp")) ? jpegs[n % distinct]
                                                         : tiffs[n % distinct]);
        const QString path =
            QStringLiteral("%1/P%2.%3").arg(folder).arg(n, 6, 10, QLatin1Char('0')).arg(extension);
        if (!writeBytes(path, bytes)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}

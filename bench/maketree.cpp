// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the benchmark's synthetic picture tree: bench-maketree FOLDER FILES [bmff|camera].
// A few hundred distinct pictures are made once in memory and written under many names.
// With "bmff" the JPEGs become HEIC files and the TIFF-based ones CR3 files, for the
// throughput of ISO base media files beside the classic formats. With "camera" every
// picture carries what a camera writes besides the tags we read: some fifty further Exif
// and GPS tags and, for the Canon and Nikon bodies, a maker note of a few kilobytes, so
// that reading a file costs about what reading a camera's file costs.

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

// Space-separated numbers, as Exiv2 reads an array from text.
QString numbers(int count, int seed)
{
    QStringList list;
    for (int k = 0; k < count; ++k)
        list << QString::number((seed * 31 + k * 7) % 1000);
    return list.join(QLatin1Char(' '));
}

QList<Tag> cameraTags(int i)
{
    QList<Tag> tags = variedTags(i);
    const Camera& camera = pick(cameras, i);
    const auto add = [&tags](const char* key, const QString& text) {
        tags.append(Tag::textTag(QString::fromLatin1(key), text));
    };
    const QString date = QStringLiteral("20%1:%2:%3 %4:%5:%6")
                             .arg(10 + i % 15, 2, 10, QLatin1Char('0'))
                             .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                             .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                             .arg(i % 24, 2, 10, QLatin1Char('0'))
                             .arg(i % 60, 2, 10, QLatin1Char('0'))
                             .arg(i * 7 % 60, 2, 10, QLatin1Char('0'));
    add("Exif.Image.Orientation", QStringLiteral("1"));
    add("Exif.Image.XResolution", QStringLiteral("72/1"));
    add("Exif.Image.YResolution", QStringLiteral("72/1"));
    add("Exif.Image.ResolutionUnit", QStringLiteral("2"));
    add("Exif.Image.Software", QStringLiteral("Firmware Version 1.2.%1").arg(i % 9));
    add("Exif.Image.DateTime", date);
    add("Exif.Image.Artist", QStringLiteral("Photographer %1").arg(i % 5));
    add("Exif.Image.Copyright", QStringLiteral("Copyright (c) the photographer"));
    add("Exif.Image.YCbCrPositioning", QStringLiteral("2"));
    add("Exif.Photo.ExposureProgram", QString::number(1 + i % 4));
    add("Exif.Photo.SensitivityType", QStringLiteral("2"));
    add("Exif.Photo.RecommendedExposureIndex", QStringLiteral("200"));
    add("Exif.Photo.ExifVersion", QStringLiteral("48 50 51 48"));
    add("Exif.Photo.DateTimeOriginal", date);
    add("Exif.Photo.DateTimeDigitized", date);
    add("Exif.Photo.OffsetTime", QStringLiteral("+01:00"));
    add("Exif.Photo.OffsetTimeOriginal", QStringLiteral("+01:00"));
    add("Exif.Photo.ComponentsConfiguration", QStringLiteral("1 2 3 0"));
    add("Exif.Photo.ShutterSpeedValue", QStringLiteral("%1/1").arg(6 + i % 6));
    add("Exif.Photo.ApertureValue", QStringLiteral("%1/10").arg(30 + i % 30));
    add("Exif.Photo.ExposureBiasValue", QStringLiteral("%1/3").arg(i % 7 - 3));
    add("Exif.Photo.MaxApertureValue", QStringLiteral("3/1"));
    add("Exif.Photo.MeteringMode", QStringLiteral("5"));
    add("Exif.Photo.Flash", QStringLiteral("16"));
    add("Exif.Photo.UserComment",
        QStringLiteral("charset=Ascii ") + QString(200, QLatin1Char(' ')));
    add("Exif.Photo.SubSecTime", QString::number(i % 100));
    add("Exif.Photo.SubSecTimeOriginal", QString::number(i % 100));
    add("Exif.Photo.SubSecTimeDigitized", QString::number(i % 100));
    add("Exif.Photo.FlashpixVersion", QStringLiteral("48 49 48 48"));
    add("Exif.Photo.ColorSpace", QStringLiteral("1"));
    add("Exif.Photo.PixelXDimension", QStringLiteral("6000"));
    add("Exif.Photo.PixelYDimension", QStringLiteral("4000"));
    add("Exif.Photo.FocalPlaneXResolution", QStringLiteral("6000000/1439"));
    add("Exif.Photo.FocalPlaneYResolution", QStringLiteral("4000000/959"));
    add("Exif.Photo.FocalPlaneResolutionUnit", QStringLiteral("2"));
    add("Exif.Photo.CustomRendered", QStringLiteral("0"));
    add("Exif.Photo.ExposureMode", QStringLiteral("0"));
    add("Exif.Photo.WhiteBalance", QStringLiteral("0"));
    add("Exif.Photo.SceneCaptureType", QStringLiteral("0"));
    add("Exif.Photo.BodySerialNumber", QStringLiteral("0%1").arg(123456789 + i % 8));
    add("Exif.Photo.LensSpecification", QStringLiteral("24/1 105/1 4/1 4/1"));
    add("Exif.Photo.LensModel", QStringLiteral("EF24-105mm f/4L IS USM"));
    add("Exif.Photo.LensSerialNumber", QStringLiteral("0000%1").arg(4711 + i % 3));
    add("Exif.GPSInfo.GPSVersionID", QStringLiteral("2 3 0 0"));
    add("Exif.GPSInfo.GPSLatitudeRef", QStringLiteral("N"));
    add("Exif.GPSInfo.GPSLatitude", QStringLiteral("48/1 51/1 %1/100").arg(i % 6000));
    add("Exif.GPSInfo.GPSLongitudeRef", QStringLiteral("E"));
    add("Exif.GPSInfo.GPSLongitude", QStringLiteral("2/1 21/1 %1/100").arg(i % 6000));
    add("Exif.GPSInfo.GPSAltitudeRef", QStringLiteral("0"));
    add("Exif.GPSInfo.GPSAltitude", QStringLiteral("%1/10").arg(350 + i % 100));
    add("Exif.GPSInfo.GPSTimeStamp", QStringLiteral("12/1 30/1 %1/1").arg(i % 60));
    add("Exif.GPSInfo.GPSMapDatum", QStringLiteral("WGS-84"));
    add("Exif.GPSInfo.GPSDateStamp", date.left(10));
    if (QByteArray(camera.make) == "Canon") {
        add("Exif.Canon.CameraSettings", numbers(49, i));
        add("Exif.Canon.FocalLength", numbers(4, i));
        add("Exif.Canon.ShotInfo", numbers(34, i));
        add("Exif.Canon.ImageType", QStringLiteral("Canon EOS IMAGE FILE"));
        add("Exif.Canon.FirmwareVersion", QStringLiteral("Firmware Version 1.2.%1").arg(i % 9));
        add("Exif.Canon.OwnerName", QStringLiteral("Photographer %1").arg(i % 5));
        add("Exif.Canon.ModelID", QStringLiteral("2147484293"));
        add("Exif.Canon.AFInfo", numbers(48, i));
        add("Exif.Canon.ColorData", numbers(1273, i));
        add("Exif.Canon.SensorInfo", numbers(17, i));
        add("Exif.Canon.ProcessingInfo", numbers(14, i));
        add("Exif.Canon.ColorSpace", QStringLiteral("1"));
        add("Exif.Canon.ColorBalance", numbers(60, i));
    } else if (QByteArray(camera.make).startsWith("NIKON")) {
        add("Exif.Nikon3.Version", QStringLiteral("48 50 49 48"));
        add("Exif.Nikon3.ISOSpeed", QStringLiteral("0 200"));
        add("Exif.Nikon3.Quality", QStringLiteral("RAW"));
        add("Exif.Nikon3.WhiteBalance", QStringLiteral("AUTO"));
        add("Exif.Nikon3.Focus", QStringLiteral("AF-S"));
        add("Exif.Nikon3.WB_RBLevels", QStringLiteral("2/1 3/2 1/1 1/1"));
        add("Exif.Nikon3.ActiveDLighting", QStringLiteral("65535"));
        add("Exif.Nikon3.ShutterCount", QString::number(10000 + i));
        add("Exif.Nikon3.ColorBalance", numbers(1200, i));
        add("Exif.Nikon3.ImageBoundary", QStringLiteral("0 0 6000 4000"));
        add("Exif.Nikon3.ToneComp", QStringLiteral("AUTO"));
    }
    return tags;
}

} // namespace

int main(int argc, char* argv[])
{
    const bool bmff = argc == 4 && std::string(argv[3]) == "bmff";
    const bool likeCameras = argc == 4 && std::string(argv[3]) == "camera";
    if ((argc != 3 && !bmff && !likeCameras) || std::atoi(argv[2]) <= 0) {
        std::fprintf(stderr, "usage: %s FOLDER FILES [bmff|camera]\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const int count = std::atoi(argv[2]);
    QList<QByteArray> jpegs;
    QList<QByteArray> tiffs;
    for (int i = 0; i < distinct; ++i) {
        const QList<Tag> tags = likeCameras ? cameraTags(i) : variedTags(i);
        jpegs.append(pictureBytes(bmff ? Format::Heif : Format::Jpeg, tags));
        tiffs.append(pictureBytes(bmff ? Format::Cr3 : Format::Tiff, tags));
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

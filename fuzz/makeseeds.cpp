// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpora of the fuzz targets with the project's picture writer:
//   lenstally-fuzz-seeds PICTURE_DIR NAMES_DIR

#include "testpictures.h"

#include <QByteArray>
#include <QDir>
#include <QString>

#include <cstdio>
#include <limits>
#include <string>

using namespace testpictures;

namespace {

bool save(const QString& dir, const QString& name, const QByteArray& bytes)
{
    if (bytes.isEmpty() && !name.startsWith(QLatin1String("empty"))) {
        std::fprintf(stderr, "could not make seed %s\n", qPrintable(name));
        return false;
    }
    return writeBytes(QDir(dir).filePath(name), bytes);
}

bool writePictureSeeds(const QString& dir)
{
    const QString focal35 = QStringLiteral("Exif.Photo.FocalLengthIn35mmFilm");
    const QString exposure = QStringLiteral("Exif.Photo.ExposureTime");
    const QString focal = QStringLiteral("Exif.Photo.FocalLength");
    const struct
    {
        const char* name;
        QList<Tag> tags;
    } variants[] = {
        {"typical", typicalTags()},
        {"estimated-35mm", withoutTag(typicalTags(), focal35)},
        {"unknown-camera",
         withoutTag(typicalTags(QStringLiteral("Nobody"), QStringLiteral("X")), focal35)},
        {"no-exposure", withoutTag(typicalTags(), exposure)},
        {"float-focal", withTag(typicalTags(), focal, Tag::floatTag(focal, 35.5f))},
        {"nan-exposure",
         withTag(typicalTags(), exposure,
                 Tag::doubleTag(exposure, std::numeric_limits<double>::quiet_NaN()))},
        {"spaced-make", typicalTags(QStringLiteral("  Nikon  "), QStringLiteral(" D70s "))},
        {"no-tags", {}},
    };
    bool ok = true;
    for (const auto& v : variants) {
        const QString name = QString::fromLatin1(v.name);
        ok &= save(dir, name + QStringLiteral(".jpg"), pictureBytes(Format::Jpeg, v.tags));
        ok &= save(dir, name + QStringLiteral(".tif"), pictureBytes(Format::Tiff, v.tags));
    }
    // ISO base media files: their box structure is read before Exiv2 sees them.
    const QList<Tag> lens =
        typicalTags() << Tag::textTag(QStringLiteral("Exif.Photo.LensModel"), QStringLiteral("L"));
    ok &= save(dir, QStringLiteral("typical.heic"), pictureBytes(Format::Heif, lens));
    ok &= save(dir, QStringLiteral("typical.avif"), pictureBytes(Format::Avif, typicalTags()));
    ok &= save(dir, QStringLiteral("typical.cr3"), pictureBytes(Format::Cr3, lens));
    const QByteArray heif = pictureBytes(Format::Heif, typicalTags());
    ok &= save(dir, QStringLiteral("truncated.heic"), heif.left(heif.size() / 2));
    // The layouts of real cameras and phones, for the walker's differential check.
    const struct
    {
        const char* name;
        Layout layout;
    } layouts[] = {
        {"items.heic", Layout::HeifItems},
        {"iloc-v1.heic", Layout::HeifIlocV1},
        {"base-offset.heic", Layout::HeifBaseOffset},
        {"iloc-v2.heic", Layout::HeifIlocV2},
        {"extents.heic", Layout::HeifExtents},
        {"idat.heic", Layout::HeifIdat},
        {"camera.cr3", Layout::Cr3Camera},
    };
    for (const auto& l : layouts)
        ok &= save(dir, QString::fromLatin1(l.name), layoutBytes(l.layout, lens));
    return ok;
}

bool writeNameSeeds(const QString& dir)
{
    using namespace std::string_literals; // the seeds hold NULs between their parts
    const std::string seeds[] = {
        "Canon"s,
        "Canon;Nikon"s,
        "  canon ,  nikon ; "s,
        ",;, ;"s,
        "EOS 5D\0D70\0NIKON D70s"s,
        "Canon\0EOS\0Canon EOS 7D"s,
        "sony, , ,pentax"s,
        "\xc3\x9f\0\xc3\x9e"s,
    };
    bool ok = true;
    int index = 0;
    for (const std::string& seed : seeds) {
        ok &= writeBytes(QDir(dir).filePath(QStringLiteral("names-%1").arg(index++)),
                         QByteArray(seed.data(), int(seed.size())));
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PICTURE_DIR NAMES_DIR\n", argv[0]);
        return 2;
    }
    const QString pictures = QString::fromLocal8Bit(argv[1]);
    const QString names = QString::fromLocal8Bit(argv[2]);
    if (!QDir().mkpath(pictures) || !QDir().mkpath(names))
        return 1;
    return writePictureSeeds(pictures) && writeNameSeeds(names) ? 0 : 1;
}

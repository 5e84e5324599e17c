// SPDX-License-Identifier: GPL-3.0-or-later
#include "testpictures.h"

#include "analysis/exiv2compat.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

namespace testpictures {

Tag Tag::textTag(const QString& key, const QString& text)
{
    Tag t;
    t.key = key;
    t.text = text;
    return t;
}

Tag Tag::floatTag(const QString& key, float value)
{
    Tag t;
    t.key = key;
    t.number = double(value);
    t.kind = Kind::Float;
    return t;
}

Tag Tag::doubleTag(const QString& key, double value)
{
    Tag t;
    t.key = key;
    t.number = value;
    t.kind = Kind::Double;
    return t;
}

QList<Tag> typicalTags(const QString& make, const QString& model)
{
    return {
        Tag::textTag(QStringLiteral("Exif.Image.Make"), make),
        Tag::textTag(QStringLiteral("Exif.Image.Model"), model),
        Tag::textTag(QStringLiteral("Exif.Photo.FocalLength"), QStringLiteral("50/1")),
        Tag::textTag(QStringLiteral("Exif.Photo.FocalLengthIn35mmFilm"), QStringLiteral("75")),
        Tag::textTag(QStringLiteral("Exif.Photo.FNumber"), QStringLiteral("28/10")),
        Tag::textTag(QStringLiteral("Exif.Photo.ISOSpeedRatings"), QStringLiteral("200")),
        Tag::textTag(QStringLiteral("Exif.Photo.ExposureTime"), QStringLiteral("1/125")),
    };
}

QList<Tag> withoutTag(QList<Tag> tags, const QString& key)
{
    for (int i = tags.size() - 1; i >= 0; --i) {
        if (tags[i].key == key)
            tags.removeAt(i);
    }
    return tags;
}

QList<Tag> withTag(QList<Tag> tags, const QString& key, const Tag& tag)
{
    tags = withoutTag(tags, key);
    if (!tag.key.isEmpty())
        tags.append(tag);
    return tags;
}

namespace {

void setTag(Exiv2::ExifData& data, const Tag& tag)
{
    const std::string key = tag.key.toStdString();
    switch (tag.kind) {
    case Tag::Kind::Text:
        data[key] = tag.text.toStdString();
        break;
    case Tag::Kind::Float: {
        Exiv2::FloatValue value(float(tag.number));
        data[key].setValue(&value);
        break;
    }
    case Tag::Kind::Double: {
        Exiv2::DoubleValue value(tag.number);
        data[key].setValue(&value);
        break;
    }
    }
}

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray bigEndian16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray ftyp(const char* brand)
{
    return box("ftyp", QByteArray(brand, 4) + bigEndian32(0) + QByteArray(brand, 4) +
                           QByteArray("mif1", 4));
}

// ftyp, meta (hdlr, iinf naming item 1 "Exif", iloc pointing at it), and an mdat
// holding the item: a 4-byte offset to the TIFF header, then the TIFF block.
QByteArray heifFile(const char* brand, const QList<Tag>& tags, int pictureData, int ilocVersion)
{
    const QByteArray item = bigEndian32(0) + tiffBlock(tags);
    const QByteArray picture(pictureData, '\x55');
    const QByteArray fullBoxHeader = bigEndian32(0); // version 0, no flags
    const QByteArray hdlr =
        box("hdlr", fullBoxHeader + bigEndian32(0) + QByteArray("pict", 4) + QByteArray(13, '\0'));
    const QByteArray infe = box("infe", bigEndian32(0x02000000) + bigEndian16(1) + bigEndian16(0) +
                                            QByteArray("Exif", 4) + QByteArray(1, '\0'));
    const QByteArray iinf = box("iinf", fullBoxHeader + bigEndian16(1) + infe);
    // The item's offset is absolute; it is known once the sizes before mdat are. Version 1
    // adds the construction method.
    auto iloc = [&](quint32 offset) {
        const QByteArray method = ilocVersion == 0 ? QByteArray() : bigEndian16(0);
        return box("iloc", bigEndian32(quint32(ilocVersion) << 24) + QByteArray("\x44\x00", 2) +
                               bigEndian16(1) + bigEndian16(1) + method + bigEndian16(0) +
                               bigEndian16(1) + bigEndian32(offset) +
                               bigEndian32(quint32(item.size())));
    };
    const QByteArray head = ftyp(brand);
    const int metaSize = box("meta", fullBoxHeader + hdlr + iinf + iloc(0)).size();
    const quint32 offset = quint32(head.size() + metaSize + 8 + picture.size());
    return head + box("meta", fullBoxHeader + hdlr + iinf + iloc(offset)) +
           box("mdat", picture + item);
}

// ftyp "crx ", then moov holding Canon's uuid box with CMT1 (IFD0) and CMT2 (Exif IFD),
// then an mdat standing in for the picture data.
QByteArray cr3Bytes(const QList<Tag>& tags, int pictureData)
{
    QList<Tag> ifd0;
    QList<Tag> exifIfd;
    for (const Tag& tag : tags)
        (tag.key.startsWith(QLatin1String("Exif.Image.")) ? ifd0 : exifIfd).append(tag);
    static const char canonUuid[] =
        "\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48";
    const QByteArray uuid = box("uuid", QByteArray(canonUuid, 16) + box("CMT1", tiffBlock(ifd0)) +
                                            box("CMT2", tiffBlock(exifIfd, true)));
    return ftyp("crx ") + box("moov", uuid) + box("mdat", QByteArray(pictureData, '\x55'));
}

} // namespace

QByteArray box(const char* type, const QByteArray& payload)
{
    return bigEndian32(quint32(payload.size() + 8)) + QByteArray(type, 4) + payload;
}

QByteArray heifBytes(const QList<Tag>& tags, int pictureData, int ilocVersion)
{
    return heifFile("heic", tags, pictureData, ilocVersion);
}

QByteArray tiffBlock(const QList<Tag>& tags, bool exifIfdFirst)
{
    Exiv2::ExifData data;
    for (const Tag& tag : tags) {
        if (exifIfdFirst && tag.key.startsWith(QLatin1String("Exif.Photo."))) {
            // The value keeps the type of the Exif IFD's tag under IFD0's number.
            Exiv2::ExifData one;
            setTag(one, tag);
            const Exiv2::Exifdatum& datum = *one.begin();
            data.add(Exiv2::ExifKey(datum.tag(), "Image"), &datum.value());
        } else {
            setTag(data, tag);
        }
    }
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, data);
    return QByteArray(reinterpret_cast<const char*>(blob.data()), qsizetype(blob.size()));
}

bool writePicture(const QString& path, Format format, const QList<Tag>& tags, int pictureData)
{
    try {
        switch (format) {
        case Format::Heif:
            return writeBytes(path, heifFile("heic", tags, pictureData, 0));
        case Format::Avif:
            return writeBytes(path, heifFile("avif", tags, pictureData, 0));
        case Format::Cr3:
            return writeBytes(path, cr3Bytes(tags, pictureData));
        case Format::Jpeg:
        case Format::Tiff:
            break;
        }
        const std::string native = QFile::encodeName(path).toStdString();
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
        std::unique_ptr<Exiv2::Image> image;
        if (format == Format::Jpeg) {
            image = exiv2compat::createJpeg(native);
        } else {
            // Exiv2 cannot create a TIFF from nothing: start from a header and one
            // 1 x 1 strip, then let it write the tags.
            static const char tiff[] = "II*\0\x08\0\0\0"
                                       "\x01\0"                             // one entry
                                       "\x00\x01\x03\0\x01\0\0\0\x01\0\0\0" // ImageWidth 1
                                       "\0\0\0\0";
            if (!writeBytes(path, QByteArray(tiff, sizeof(tiff) - 1)))
                return false;
            image.reset(Exiv2::ImageFactory::open(native).release());
        }
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
        if (!image)
            return false;
        Exiv2::ExifData data;
        for (const Tag& tag : tags)
            setTag(data, tag);
        image->setExifData(data);
        image->writeMetadata();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

QByteArray pictureBytes(Format format, const QList<Tag>& tags, int pictureData)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture"));
    if (!writePicture(path, format, tags, pictureData))
        return QByteArray();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace testpictures

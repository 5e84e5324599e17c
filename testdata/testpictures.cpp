#include "testpictures.h"

#include "analysis/exiv2compat.h"

#include <QFile>
#include <QTemporaryDir>

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

} // namespace

bool writePicture(const QString& path, Format format, const QList<Tag>& tags)
{
    try {
        const std::string native = QFile::encodeName(path).toStdString();
        const int type = Exiv2::ImageType::jpeg;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
        std::unique_ptr<Exiv2::Image> image;
        if (format == Format::Jpeg) {
            image.reset(Exiv2::ImageFactory::create(type, native).release());
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

QByteArray pictureBytes(Format format, const QList<Tag>& tags)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture"));
    if (!writePicture(path, format, tags))
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

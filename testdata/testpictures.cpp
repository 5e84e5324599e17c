// SPDX-License-Identifier: GPL-3.0-or-later
#include "testpictures.h"

#include "core/read/exiv2compat.h"

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
QByteArray heifBytes(const char* brand, const QList<Tag>& tags, int pictureData)
{
    const QByteArray item = bigEndian32(0) + tiffBlock(tags);
    const QByteArray picture(pictureData, '\x55');
    const QByteArray fullBoxHeader = bigEndian32(0); // version 0, no flags
    const QByteArray hdlr =
        box("hdlr", fullBoxHeader + bigEndian32(0) + QByteArray("pict", 4) + QByteArray(13, '\0'));
    const QByteArray infe = box("infe", bigEndian32(0x02000000) + bigEndian16(1) + bigEndian16(0) +
                                            QByteArray("Exif", 4) + QByteArray(1, '\0'));
    const QByteArray iinf = box("iinf", fullBoxHeader + bigEndian16(1) + infe);
    // The item's offset is absolute; it is known once the sizes before mdat are.
    auto iloc = [&](quint32 offset) {
        return box("iloc", fullBoxHeader + QByteArray("\x44\x00", 2) + bigEndian16(1) +
                               bigEndian16(1) + bigEndian16(0) + bigEndian16(1) +
                               bigEndian32(offset) + bigEndian32(quint32(item.size())));
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

QByteArray fullBox(const char* type, int version, const QByteArray& payload)
{
    return box(type, bigEndian32(quint32(version) << 24) + payload);
}

const char kXmpPacket[] =
    "<?xpacket begin=\"\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?><x:xmpmeta xmlns:x=\"adobe:ns:meta/\">"
    "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
    "rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmp:Rating=\"3\"/></rdf:RDF>"
    "</x:xmpmeta><?xpacket end=\"w\"?>";

// A HEIF file with three items: the picture (1), Exif (2) and XMP (3), laid out as
// the layout says.
QByteArray heifLayout(Layout layout, const QList<Tag>& tags, int pictureData)
{
    const int version = layout == Layout::HeifIlocV2 ? 2 : layout == Layout::HeifItems ? 0 : 1;
    const bool baseOffset = layout == Layout::HeifBaseOffset;
    const bool idat = layout == Layout::HeifIdat;
    const QByteArray picture(pictureData, '\x55');
    const QByteArray exif = bigEndian32(0) + tiffBlock(tags);
    const QByteArray xmp(kXmpPacket);

    const int infeVersion = version == 2 ? 3 : 2;
    auto infe = [&](quint32 id, const char* type, const QByteArray& extra) {
        const QByteArray itemId = infeVersion == 3 ? bigEndian32(id) : bigEndian16(quint16(id));
        return fullBox("infe", infeVersion,
                       itemId + bigEndian16(0) + QByteArray(type, 4) + QByteArray(1, '\0') + extra);
    };
    const QByteArray iinf = fullBox("iinf", 0,
                                    bigEndian16(3) + infe(1, "hvc1", {}) + infe(2, "Exif", {}) +
                                        infe(3, "mime", QByteArray("application/rdf+xml", 20)));
    const QByteArray hdlr =
        fullBox("hdlr", 0, bigEndian32(0) + QByteArray("pict", 4) + QByteArray(13, '\0'));

    // Where each item lies: mdat holds the picture, then Exif (unless in idat), then XMP.
    struct Extent
    {
        quint32 offset;
        quint32 length;
    };
    auto iloc = [&](quint32 mdatData, quint32 idatData) {
        const quint32 base = baseOffset ? mdatData : 0;
        const quint32 exifAt = idat ? 0 : quint32(picture.size());
        const quint32 xmpAt = quint32(picture.size() + (idat ? 0 : exif.size()));
        QList<Extent> exifExtents;
        if (idat) {
            // Behind a few bytes of another item's data, so that its offset is not 0.
            exifExtents = {{idatData + 4, quint32(exif.size())}};
        } else if (layout == Layout::HeifExtents) {
            const quint32 half = quint32(exif.size() / 2);
            exifExtents = {{mdatData + exifAt, half},
                           {mdatData + exifAt + half, quint32(exif.size()) - half}};
        } else {
            exifExtents = {{mdatData + exifAt - base, quint32(exif.size())}};
        }
        const QList<QPair<quint32, QList<Extent>>> items = {
            {1, {{mdatData - base, quint32(picture.size())}}},
            {2, exifExtents},
            {3, {{mdatData + xmpAt - base, quint32(xmp.size())}}}};
        QByteArray entries;
        for (const auto& [id, extents] : items) {
            entries += version == 2 ? bigEndian32(id) : bigEndian16(quint16(id));
            if (version >= 1) // reserved bits and the construction method
                entries += bigEndian16(idat && id == 2 ? 1 : 0);
            entries += bigEndian16(0); // data reference index
            if (baseOffset)
                entries += bigEndian32(base);
            entries += bigEndian16(quint16(extents.size()));
            for (const Extent& e : extents)
                entries += bigEndian32(idat && id == 2 ? e.offset - idatData : e.offset) +
                           bigEndian32(e.length);
        }
        const QByteArray sizes = QByteArray(1, '\x44') + QByteArray(1, baseOffset ? '\x40' : '\0');
        const QByteArray count = version == 2 ? bigEndian32(3) : bigEndian16(3);
        return fullBox("iloc", version, sizes + count + entries);
    };
    const QByteArray idatBox = box("idat", QByteArray(4, '\x33') + (idat ? exif : QByteArray()));
    const QByteArray head = ftyp("heic");
    auto meta = [&](quint32 mdatData) {
        const quint32 idatData = quint32(head.size() + 12 + hdlr.size() + iinf.size() + 8);
        return fullBox("meta", 0,
                       hdlr + iinf + (idat ? idatBox : QByteArray()) + iloc(mdatData, idatData));
    };
    // idat's offset above assumes it follows iinf directly: meta's header (12), hdlr, iinf.
    const quint32 mdatData = quint32(head.size() + meta(0).size() + 8);
    return head + meta(mdatData) + box("mdat", picture + (idat ? QByteArray() : exif) + xmp);
}

// A CR3 file as a camera writes it, with the metadata boxes Exiv2 reads among others.
QByteArray cr3Layout(const QList<Tag>& tags, int pictureData)
{
    QList<Tag> ifd0;
    QList<Tag> exifIfd;
    for (const Tag& tag : tags)
        (tag.key.startsWith(QLatin1String("Exif.Image.")) ? ifd0 : exifIfd).append(tag);
    static const char canonUuid[] =
        "\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48";
    static const char xmpUuid[] =
        "\xbe\x7a\xcf\xcb\x97\xa9\x42\xe8\x9c\x71\x99\x94\x91\xe3\xaf\xac";
    static const char previewUuid[] =
        "\xea\xf4\x2b\x5e\x1c\x98\x4b\x88\xb9\xfb\xb7\xdc\x40\x6e\x4d\x16";
    const QByteArray jpeg = QByteArray("\xff\xd8\xff\xd9", 4) + QByteArray(200, '\x11');
    // THMB version 0: width, height, size, then the thumbnail.
    const QByteArray thmb = fullBox("THMB", 0,
                                    bigEndian16(160) + bigEndian16(120) +
                                        bigEndian32(quint32(jpeg.size())) + bigEndian32(0) + jpeg);
    const QByteArray canon =
        box("uuid", QByteArray(canonUuid, 16) + box("CNCV", QByteArray("CanonCR3_001/00.09.00")) +
                        box("CCTP", QByteArray(12, '\0')) + box("CTBO", QByteArray(100, '\0')) +
                        box("free", QByteArray(6, '\0')) + box("CMT1", tiffBlock(ifd0)) +
                        box("CMT2", tiffBlock(exifIfd, true)) + thmb);
    QByteArray moov = canon + fullBox("mvhd", 0, QByteArray(96, '\0'));
    for (int i = 0; i < 4; ++i) {
        const QByteArray stbl =
            box("stbl", fullBox("stsd", 0, bigEndian32(0)) + box("free", QByteArray(7, '\0')) +
                            fullBox("co64", 0, QByteArray(12, '\0')));
        moov +=
            box("trak", fullBox("tkhd", 0, QByteArray(80, '\0')) + box("mdia", box("minf", stbl)));
    }
    // PRVW version 0: two bytes, width, height, two bytes, size, then the preview.
    const QByteArray prvw = fullBox("PRVW", 0,
                                    bigEndian16(0) + bigEndian16(1620) + bigEndian16(1080) +
                                        bigEndian16(1) + bigEndian32(quint32(jpeg.size())) + jpeg);
    return ftyp("crx ") + box("moov", moov) +
           box("uuid", QByteArray(xmpUuid, 16) + QByteArray(kXmpPacket) + QByteArray(64, ' ')) +
           box("uuid", QByteArray(previewUuid, 16) + QByteArray(8, '\0') + prvw) +
           box("mdat", QByteArray(pictureData, '\x55'));
}

} // namespace

QByteArray layoutBytes(Layout layout, const QList<Tag>& tags, int pictureData)
{
    try {
        return layout == Layout::Cr3Camera ? cr3Layout(tags, pictureData)
                                           : heifLayout(layout, tags, pictureData);
    } catch (const std::exception&) {
        return QByteArray();
    }
}

QByteArray box(const char* type, const QByteArray& payload)
{
    return bigEndian32(quint32(payload.size() + 8)) + QByteArray(type, 4) + payload;
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
            return writeBytes(path, heifBytes("heic", tags, pictureData));
        case Format::Avif:
            return writeBytes(path, heifBytes("avif", tags, pictureData));
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

QByteArray withXmp(const QByteArray& jpeg, const QByteArray& packet)
{
    if (!jpeg.startsWith("\xFF\xD8"))
        return jpeg;
    const QByteArray payload = QByteArray("http://ns.adobe.com/xap/1.0/", 29) + packet;
    const int length = int(payload.size()) + 2;
    QByteArray segment("\xFF\xE1");
    segment += char(length >> 8);
    segment += char(length & 0xFF);
    return jpeg.left(2) + segment + payload + jpeg.mid(2);
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace testpictures

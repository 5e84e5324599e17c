// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_TESTPICTURES_H
#define LENSTALLY_TESTPICTURES_H

// Writes small pictures with chosen Exif tags through Exiv2, for the tests, the
// benchmark and the sample folder.

#include <QList>
#include <QString>

namespace testpictures {

enum class Format
{
    Jpeg,
    Tiff,
    Heif, // HEIF with brand "heic": the Exif block as an item of the meta box
    Avif, // the same layout with brand "avif"
    Cr3,  // Canon CR3: IFD0 in a CMT1 box, the Exif IFD in CMT2, inside moov
};

// One Exif tag to write: as text in the tag's usual type ("50/1", "200"), or as a
// number stored with an explicit float or double type (huge, NaN, infinite).
struct Tag
{
    enum class Kind
    {
        Text,
        Float,
        Double
    };
    QString key;
    QString text;
    double number = 0;
    Kind kind = Kind::Text;

    static Tag textTag(const QString& key, const QString& text);
    static Tag floatTag(const QString& key, float value);
    static Tag doubleTag(const QString& key, double value);
};

// A usable picture: make, model, focal length 50 mm, 35 mm 75 mm, f/2.8, ISO 200, 1/125 s.
QList<Tag> typicalTags(const QString& make = QStringLiteral("Canon"),
                       const QString& model = QStringLiteral("Canon EOS 7D"));

// The tags of typicalTags, with key's tag replaced by tag (or removed when tag's key is empty).
QList<Tag> withTag(QList<Tag> tags, const QString& key, const Tag& tag);
QList<Tag> withoutTag(QList<Tag> tags, const QString& key);

// Writes a picture of the format carrying the tags to path; false on failure. An ISO base
// media file gets pictureData bytes standing in for the picture in its mdat box, before
// the Exif item of a HEIF file.
bool writePicture(const QString& path, Format format, const QList<Tag>& tags, int pictureData = 64);

// The bytes of a picture carrying the tags, as writePicture writes it (empty on failure).
QByteArray pictureBytes(Format format, const QList<Tag>& tags, int pictureData = 64);

// ISO base media layouts of real cameras and phones, each carrying the tags as its Exif
// and a small XMP packet (xmp:Rating 3).
enum class Layout
{
    HeifItems,      // a picture, an Exif and an XMP item; iloc version 0
    HeifIlocV1,     // iloc version 1, construction method 0
    HeifBaseOffset, // iloc version 1, extents relative to a 4-byte base offset
    HeifIlocV2,     // iloc version 2 and infe version 3: 32-bit item IDs
    HeifExtents,    // the Exif item in two extents
    HeifIdat,       // the Exif item in an idat box (construction method 1)
    Cr3Camera,      // several trak; CNCV, CCTP, CTBO, free, CMT1, CMT2 and THMB in the
                    // Canon uuid; a top-level XMP uuid, then the preview uuid (PRVW)
};

// The bytes of a file of that layout, with pictureData bytes of picture in its mdat box.
QByteArray layoutBytes(Layout layout, const QList<Tag>& tags, int pictureData = 64);

// One ISO base media box: a 32-bit size, the four-character type, the payload.
QByteArray box(const char* type, const QByteArray& payload);

// A TIFF block ("II*") carrying the tags, as an Exif item or a CMT box holds it; tags of
// the Exif IFD are moved to IFD0 when exifIfdFirst is set (what a CMT2 box holds).
QByteArray tiffBlock(const QList<Tag>& tags, bool exifIfdFirst = false);

// The JPEG with an XMP packet (any bytes, damaged ones too) in an APP1 segment after its
// start marker; the JPEG unchanged when it does not start with one.
QByteArray withXmp(const QByteArray& jpeg, const QByteArray& packet);

// Writes raw bytes to path; false on failure.
bool writeBytes(const QString& path, const QByteArray& bytes);

} // namespace testpictures

#endif

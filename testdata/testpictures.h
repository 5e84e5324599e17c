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

// One ISO base media box: a 32-bit size, the four-character type, the payload.
QByteArray box(const char* type, const QByteArray& payload);

// A HEIC file as writePicture writes it, its item locations in a box of that version (0 or 1).
QByteArray heifBytes(const QList<Tag>& tags, int pictureData, int ilocVersion);

// A TIFF block ("II*") carrying the tags, as an Exif item or a CMT box holds it; tags of
// the Exif IFD are moved to IFD0 when exifIfdFirst is set (what a CMT2 box holds).
QByteArray tiffBlock(const QList<Tag>& tags, bool exifIfdFirst = false);

// Writes raw bytes to path; false on failure.
bool writeBytes(const QString& path, const QByteArray& bytes);

} // namespace testpictures

#endif

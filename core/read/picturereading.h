// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_PICTUREREADING_H
#define LENSTALLY_PICTUREREADING_H

// What one picture holds for the tables, read the same way by every front end, the
// reading threads and the fuzz targets.

#include <QString>
#include <QStringList>
#include <QVector>

#include <cstddef>

namespace Exiv2 {
class ExifData;
}
class TagSource;

// Where a picture's 35 mm focal length came from.
enum class Focal35From : quint8
{
    None,       // unknown
    Tag,        // FocalLengthIn35mmFilm
    CropFactor, // the focal length times the camera's crop factor
    FocalPlane, // the focal-plane estimate, counted with the "35 mm for every camera" option
};

// The four values as the maker notes give them through Exiv2's easy-access functions,
// read only where the Exif tag gives none usable (0 elsewhere), with the 35 mm estimates
// of that focal length where the picture has no 35 mm tag: what "maker notes" counts.
struct MakerNoteValues
{
    float focalLength = 0;
    float aperture = 0;
    float iso = 0;
    float exposureTime = 0;
    float focalLength35mm = 0; // the crop-factor estimate of that focal length, or 0
    float focalPlane35mm = 0;  // where that is 0: the focal-plane estimate, or 0
};

struct PictureValues
{
    QString make;
    QString model;
    float focalLength = 0;
    float focalLength35mm = 0; // the tag, or the crop-factor estimate, or 0 for unknown
    float focalPlane35mm = 0;  // where that is 0: the focal-plane estimate, or 0
    float aperture = 0;
    float iso = 0;
    float exposureTime = 0;
    QString lens;            // the Lens table's text, "Unknown" when no lens is known
    QString dateText;        // the first date tag with text, trimmed; "" when none
    QStringList messages;    // what the library said while reading the file, each once: the
                             // first few (see keepFirstMessages)
    int messagesLeftOut = 0; // how many more it said
    Focal35From focal35From = Focal35From::None; // of focalLength35mm
    MakerNoteValues makerNotes;
};

enum class PictureOutcome
{
    Unreadable, // not a picture, damaged, or not readable
    Filtered,   // refused by a filter
    Unusable,   // lacks focal length, aperture, ISO or exposure time
    Counted,    // values hold what the tables get
    // Given by the counting options to counted pictures only:
    OutsideDates,  // taken outside the date range, or without a readable date
    PairDuplicate, // another file of the same shot was counted
};

// Everything read from one picture before any filter is asked: what the filters see,
// the values as counted without filters, and what the library said. The reading cache
// keeps exactly this, so a picture judged from the cache comes out as from its file.
struct PictureReading
{
    PictureOutcome outcome = PictureOutcome::Unreadable; // Unreadable, Unusable or Counted
    bool makeRead = false;  // the make tag's text could be read ("" when absent)
    bool modelRead = false; // the same for the model tag
    QString makeTag;        // the tags' texts untrimmed, as the filters see them
    QString modelTag;
    PictureValues values;    // messages: what the library said while reading the file
    int openingMessages = 0; // how many it said before the filters would be asked
    bool unopened = false;   // the file could not be opened: it may read otherwise next time
};

// Sets the values' make and model from the reading's tags: each trimmed, the model only
// with a make, "" for a tag that could not be read.
void nameCamera(PictureReading* reading);

// Reads everything the analysis needs from a picture's Exif data; never throws.
PictureReading readExif(Exiv2::ExifData& data);

// Keeps the first four messages, at most 1 KiB of text in all (the first cut to fit),
// and counts the others in messagesLeftOut: a damaged file may draw thousands.
void keepFirstMessages(PictureValues* values);

// The messages as the user sees them: those kept, then "... and N more messages".
QStringList messageLines(const PictureValues& values);

// Reads everything the analysis needs from any tag source by the same rules as readExif,
// without messages; passes on what the source throws.
PictureReading readTags(TagSource& tags);

// Opens the file and reads it, collecting the library's messages (the first ones, as
// keepFirstMessages keeps them); never throws.
PictureReading readFile(const QString& path);

// Reads a picture held in memory, without collecting messages; never throws.
PictureReading readBuffer(const unsigned char* data, std::size_t size);

// Reads the file by the same rules as readFile, but opened whole by Exiv2 alone
// (exif::openWholeFile): the reference that readFile is checked against; never throws.
PictureReading readFileWhole(const QString& path);

// True when the values carry focal length > 0.1, f-number > 0.1, ISO > 0 and exposure > 0.
bool isUsable(const PictureValues& values);

// Each true when the value is usable as isUsable requires it.
inline bool hasFocalLength(float value)
{
    return double(value) > 0.1;
}
inline bool hasAperture(float value)
{
    return double(value) > 0.1;
}
inline bool hasIso(float value)
{
    return value > 0.0f;
}
inline bool hasExposureTime(float value)
{
    return value > 0.0f;
}

// True when at least one of the four values is usable.
bool hasAnyValue(const PictureValues& values);

// The Lens table's text: the trimmed LensModel tag if any; else the maker-note lens unless
// it says nothing ("", "n/a", "Unknown", a number alone or in parentheses) or states a
// focal range focalLength lies outside of; else Canon's lens text, trimmed; else the
// recorded range label; else "Unknown".
QString lensText(const QString& lensModel, const QString& makerNoteLens, float focalLength = 0,
                 const QString& canonLensModel = QString(), const QString& rangeLabel = QString());

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_PICTUREANALYSIS_H
#define LENSTALLY_PICTUREANALYSIS_H

// What one picture contributes to the six tables, read the same way by every
// front end, the worker thread and the fuzz targets.

#include "analysis/statkind.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <cstddef>

namespace Exiv2 {
class ExifData;
}
class IFilter;
class StatTable;

// The tables to fill, by StatKind; a null entry is not filled.
using TableSet = std::array<StatTable*, StatKindCount>;

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
    QString lens;         // the Lens table's text, "Unknown" when no lens is known
    QString dateText;     // the first date tag with text, trimmed; "" when none
    QStringList messages; // what the library said while reading the file, each once
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
    PictureValues values;    // messages: all the library said while reading the file
    int openingMessages = 0; // how many of them came before the filters would be asked
};

// Sets the values' make and model from the reading's tags: each trimmed, the model only
// with a make, "" for a tag that could not be read.
void nameCamera(PictureReading* reading);

// Reads everything the analysis needs from a picture's Exif data; never throws.
PictureReading readExif(Exiv2::ExifData& data);

// Opens the file and reads it, collecting the library's messages; never throws.
PictureReading readFile(const QString& path);

// Reads the file by the same rules as readFile, but opened whole by Exiv2 alone
// (exif::openWholeFile): the reference that readFile is checked against; never throws.
PictureReading readFileWhole(const QString& path);

// Asks the filters in order about a reading: Filtered with only the opening messages, or
// the reading's own outcome and values.
PictureOutcome judgeReading(const PictureReading& reading, const QVector<IFilter*>& filters,
                            PictureValues* values);

// Opens the file and analyses it, collecting the library's messages into values; never throws.
PictureOutcome analyseFile(const QString& path, const QVector<IFilter*>& filters,
                           PictureValues* values);

// Opens a picture held in memory and analyses it; never throws.
PictureOutcome analyseBuffer(const unsigned char* data, std::size_t size,
                             const QVector<IFilter*>& filters, PictureValues* values);

// True when the values carry focal length > 0.1, f-number > 0.1, ISO > 0 and exposure > 0.
bool isUsable(const PictureValues& values);

// Adds a counted picture's values to every table of the set, kinds in ascending order.
void addToTables(const PictureValues& values, const TableSet& tables);

// The Lens table's text: the trimmed LensModel tag if any, else the maker-note lens
// unless it says nothing ("", "n/a", "Unknown", a number alone or in parentheses),
// else "Unknown".
QString lensText(const QString& lensModel, const QString& makerNoteLens);

// The year of a date text "YYYY:MM:DD ...": its first four characters as a year from
// 1826 to 2200, or 0 when they are not one.
int yearOf(const QString& dateText);

// The camera table's text for a make and model: "make - model".
QString cameraText(const QString& make, const QString& model);

#endif

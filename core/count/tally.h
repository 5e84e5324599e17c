// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_TALLY_H
#define LENSTALLY_TALLY_H

// How a picture's reading is judged by the filters and what a counted picture adds to
// each table.

#include "core/count/statkind.h"
#include "core/read/picturereading.h"

#include <QString>
#include <QVector>

#include <array>
#include <cstddef>

class IFilter;
class StatTable;

// The tables to fill, by StatKind; a null entry is not filled.
using TableSet = std::array<StatTable*, StatKindCount>;

// Asks the filters in order about a reading: Filtered with only the make, the model and
// the opening messages, or the reading's own outcome and values (before applyValueRules).
PictureOutcome judgeReading(const PictureReading& reading, const QVector<IFilter*>& filters,
                            PictureValues* values);

// Opens the file and analyses it, collecting the library's messages into values; never throws.
PictureOutcome analyseFile(const QString& path, const QVector<IFilter*>& filters,
                           PictureValues* values);

// Opens a picture held in memory and analyses it; never throws.
PictureOutcome analyseBuffer(const unsigned char* data, std::size_t size,
                             const QVector<IFilter*>& filters, PictureValues* values);

// The counting options that decide which values a picture counts with.
struct ValueRules
{
    bool makerNotes = false;      // take the maker notes' values where the Exif tags give none
    bool countIncomplete = false; // count a picture with at least one of the four values
};

// Gives a judged picture the values and the outcome the rules count it with: an Unusable
// or Counted picture may gain maker-note values and become Counted; one that ends
// Unusable keeps no lens, date or focal-plane estimate. Other outcomes pass unchanged.
PictureOutcome applyValueRules(PictureOutcome outcome, const ValueRules& rules,
                               PictureValues* values);

// Adds a counted picture's values to every table of the set, kinds in ascending order; a
// value it lacks goes to the table's "Unknown" row.
void addToTables(const PictureValues& values, const TableSet& tables);

// The year of a date text "YYYY:MM:DD ...": its first four characters as a year from
// 1826 to 2200, or 0 when they are not one.
int yearOf(const QString& dateText);

// The camera table's text for a make and model: "make - model".
QString cameraText(const QString& make, const QString& model);

#endif

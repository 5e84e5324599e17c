// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_COUNTINGOPTIONS_H
#define LENSTALLY_COUNTINGOPTIONS_H

// The arithmetic of the counting options: the date a picture was taken, and which files
// are one shot saved in several formats. (The focal-plane 35 mm estimate is read with the
// picture: core/read/cropfactor.h.)

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

// The day of a date text "YYYY:MM:DD ...": a real calendar date with a year from 1826 to
// 2200, or a null date.
QDate takenOn(const QString& dateText);

// True when day lies within [from, until], either end being open when null.
bool withinDates(const QDate& day, const QDate& from, const QDate& until);

// For each file of the list, the number of its shot: files in one folder whose names
// differ only in their extension, ignoring case, share one; numbers run from 0 in the
// order shots first appear.
std::vector<int> shotNumbers(const QStringList& files);

// True when the path's extension is one of the RAW formats, ignoring case.
bool isRawFile(const QString& path);

#endif

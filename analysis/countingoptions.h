// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_COUNTINGOPTIONS_H
#define LENSTALLY_COUNTINGOPTIONS_H

// The arithmetic of the counting options: the focal-plane 35 mm estimate, the date a
// picture was taken, and which files are one shot saved in several formats.

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

// What the focal-plane tags say of the sensor, with the picture's size in pixels.
struct FocalPlane
{
    float xResolution = 0; // pixels per unit across
    float yResolution = 0; // 0: as across
    int unit = 0;          // 3 cm, 4 mm, 5 µm; anything else inches
    float width = 0;       // pixels
    float height = 0;
};

// The 35 mm equivalent of focalLength from the sensor size the focal plane gives:
// focalLength x 43.2666 / diagonal in mm, rounded; 0 when the tags are missing, the
// picture's sides differ by a factor of 2 or more, or the diagonal is not within (1, 100) mm.
float focalPlane35mm(float focalLength, const FocalPlane& plane);

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

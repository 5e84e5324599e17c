// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_LENSNAME_H
#define LENSTALLY_LENSNAME_H

// Turning what cameras print and record about their values and lenses into numbers and
// lens names: pure text and arithmetic, no library calls.

#include <QString>

// The number a value's printed text states: "200", "F5.6", "1/60 s", "0.5 s", "24.0 mm"
// (an optional "F" before, an optional unit "s" or "mm" after); 0 for any other text,
// such as "Auto" or "n/a", and for a number that is not finite and positive.
float printedNumber(const QString& printed);

// A focal range in millimetres; shortest == longest for a prime lens.
struct FocalRange
{
    double shortest = 0;
    double longest = 0;
};

// The focal range a lens name states: its first "N-Mmm" or "Nmm" (a space before "mm"
// allowed, N and M with an optional decimal part); false when it states none.
bool statedFocalRange(const QString& lensName, FocalRange* range);

// False only when the name states a focal range and focalLength (> 0) lies more than 1 mm
// outside it: then the name cannot be the lens the picture was taken with.
bool lensFitsFocalLength(const QString& lensName, float focalLength);

// A lens's recorded range as photographers write it: "18-55mm f/3.5-5.6", "50mm f/2",
// "18-55mm"; f-numbers of 0 are unknown. "" unless 0 < shortest <= longest.
QString lensRangeLabel(double shortest, double longest, double widestFNumber, double longFNumber);

#endif

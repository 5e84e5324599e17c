// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_NUMBERFORMAT_H
#define LENSTALLY_NUMBERFORMAT_H

#include <QString>
#include <QtGlobal>

// Pure arithmetic and formatting shared by the tables, the window and the exporters.
// Every function is defined for every input, NaN and infinities included.

// Rounds half away from zero; NaN gives 0, values beyond +-2^62 saturate there.
qint64 roundHalfAway(double x);

// The label of a value given in tenths: "2.8" when it has tenths, "50" when it is whole.
QString tenthsLabel(qint64 tenths);

// The label of an exposure time of x seconds: "1/250", "1", "0.4", "1.3", "30".
QString exposureLabel(double x);

// The time the label of x seconds states, in whole microseconds: 10000 for "1/100" (also
// when x is 0.009974), 300000 for "0.3".
qint64 exposureMicroseconds(double x);

// A share in percent as shown and exported: fixed point with two decimals ("12.50").
QString percentText(float percent);

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_PROGRESSFORMAT_H
#define LENSTALLY_PROGRESSFORMAT_H

// Pure arithmetic and formatting of the report's progress line.

#include <QString>
#include <QtGlobal>

// Files per second after done files in elapsedMs; 0 when no time has passed.
double filesPerSecond(qint64 done, qint64 elapsedMs);

// Whole seconds (rounded up) still needed for total files at the rate so far; -1 while
// unknown (nothing done yet or no time passed), 0 when done reaches total.
qint64 secondsLeft(qint64 done, qint64 total, qint64 elapsedMs);

// A duration as "m:ss", or "h:mm:ss" from one hour on; "--:--" for a negative one.
QString durationText(qint64 seconds);

// The progress line: "done/total files  rate files/s  time left", rate without decimals.
QString progressLine(qint64 done, qint64 total, qint64 elapsedMs);

#endif

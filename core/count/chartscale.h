// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_CHARTSCALE_H
#define LENSTALLY_CHARTSCALE_H

// Where the charts of the window and the report page put a table's values: the numeric
// tables on a logarithmic axis in their natural order, the year in order, the names by
// share. Shared so that both draw the same picture.

#include "core/count/statkind.h"

#include <QString>
#include <QtGlobal>

#include <vector>

class StatTable;

enum class ChartForm
{
    LogAxis, // focal lengths, aperture, ISO, exposure time: bars where their value lies
    InOrder, // years in order, "Unknown" last
    Ranked,  // camera and lens: most pictures first
};

// The form of a kind's chart.
ChartForm chartForm(StatKind kind);

// A logarithmic axis over keys (tenths, or microseconds for exposure times).
struct LogAxis
{
    double low = 0; // natural logarithms of the ends
    double high = 1;
    // The place of a key on the axis, 0 at the low end to 1 at the high end; keys <= 0
    // at 0.
    double position(qint64 key) const;
};

// The axis for keys from smallest to largest (both > 0) with a margin at each end, so that
// no bar stands on the frame; a single value stands in the middle.
LogAxis logAxis(qint64 smallest, qint64 largest);

// The axis of a table's known values (keys above 0); false when it has none.
bool tableAxis(const StatTable& table, LogAxis* axis);

// The keys of the familiar values of a kind (24, 50, 200 mm; f/2.8; ISO 400; 1/250)
// that lie on the axis, left out where one would stand closer than minGap (a share of the
// axis) to the one before.
std::vector<qint64> axisTicks(StatKind kind, const LogAxis& axis, double minGap);

// A key as its axis labels it: "24", "2.8", "400", "1/250", "2".
QString tickLabel(StatKind kind, qint64 key);

// The row indexes of a table in the chart's order: by key for LogAxis and InOrder with
// the unknown row (key 0) last, by count (most first, ties in table order) for Ranked.
std::vector<unsigned> chartOrder(const StatTable& table, StatKind kind);

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_INSIGHTS_H
#define LENSTALLY_INSIGHTS_H

// Answers drawn from the counted pictures: which range of 35 mm focal lengths holds most of
// them, and how each lens is used. Pure functions over one reading per picture, so that
// any subset of the pictures can be asked about.

#include "core/count/tally.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>
#include <vector>

// One counted picture as the insights see it, values in tenths as the tables key them.
struct InsightReading
{
    qint64 focalLength = 0;     // the Focal Length table's key
    qint64 focalLength35mm = 0; // the 35 mm table's key; 0 is its "Unknown" row
    qint64 aperture = 0;        // the Aperture table's key
    QString lens;               // the Lens table's label
};

// The narrowest range of 35 mm values holding a share of the pictures; tenths of a mm.
struct CoverageRange
{
    int share = 0; // 50, 80 or 95
    qint64 from = 0;
    qint64 to = 0;
};

// How one lens was used; focal lengths and f-numbers in tenths, shares in percent.
struct LensUsage
{
    QString label;
    int count = 0;
    float percent = 0; // of all readings, as the Lens table computes it
    qint64 shortest = 0;
    qint64 longest = 0;
    std::optional<float> atShortEnd; // only where shortest and longest differ
    std::optional<float> atLongEnd;
    std::optional<qint64> favourite;     // most used strictly between the ends
    std::optional<qint64> favourite35mm; // most common known 35 mm value at favourite
    qint64 widest = 0;                   // the smallest f-number
    float wideOpen = 0;                  // share of the lens's pictures at widest
};

struct Insights
{
    std::vector<CoverageRange> coverage; // empty without a known 35 mm value
    std::vector<LensUsage> lenses;       // in the order of the Lens table by share
};

// The shares coverage is computed for, in percent.
constexpr int coverageShares[] = {50, 80, 95};

// For each share p: the range [a, b] of occurring known 35 mm values holding at least
// ceil(p x N / 100) of the N readings with one, with the smallest b / a, ties to the
// smaller a; empty when N is 0.
std::vector<CoverageRange> focalCoverage(const std::vector<InsightReading>& readings);

// One entry per lens label, most pictures first, equal counts in order of first reading.
std::vector<LensUsage> lensUsage(const std::vector<InsightReading>& readings);

// Coverage and lens usage of the readings.
Insights computeInsights(const std::vector<InsightReading>& readings);

// The readings of the tables' counted values (places in the order added; all when places
// is null), from the row each value went to; empty unless the Focal Length, 35 mm,
// Aperture and Lens tables track their values.
std::vector<InsightReading> trackedReadings(const TableSet& tables,
                                            const std::vector<int>* places = nullptr);

// "24-105 mm", or "50 mm" when both ends are one value; tenths as the tables label them.
QString focalRangeText(qint64 from, qint64 to);

// "80 % of pictures: 24-105 mm (35 mm equivalent)".
QString coverageLine(const CoverageRange& range);

// The lens usage table's column headings, and one lens's cells in that order: label,
// pictures, %, focal lengths, short end, long end, favourite, widest, wide open; an empty
// cell where the value is empty.
QStringList lensUsageHeadings();
QStringList lensUsageCells(const LensUsage& lens);

#endif

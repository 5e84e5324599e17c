// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/insights.h"

#include "core/count/numberformat.h"
#include "core/count/stattable.h"

#include <QHash>

#include <algorithm>

namespace {

// A share of a part in a whole, as the tables compute it.
float shareOf(int part, int whole)
{
    return whole > 0 ? float(double(qint64(part) * 100) / double(whole)) : 0.0f;
}

// The value occurring most often, ties to the smallest; none for no values. Sorts them.
std::optional<qint64> mostCommon(std::vector<qint64>& values)
{
    std::sort(values.begin(), values.end());
    std::optional<qint64> best;
    size_t bestRun = 0;
    for (size_t i = 0; i < values.size();) {
        size_t j = i;
        while (j < values.size() && values[j] == values[i])
            ++j;
        // Ascending values: strictly longer keeps the smaller on a tie.
        if (j - i > bestRun) {
            best = values[i];
            bestRun = j - i;
        }
        i = j;
    }
    return best;
}

QString millimetres(qint64 tenths)
{
    return tenthsLabel(tenths) + QStringLiteral(" mm");
}

} // namespace

std::vector<CoverageRange> focalCoverage(const std::vector<InsightReading>& readings)
{
    std::vector<qint64> known;
    known.reserve(readings.size());
    for (const InsightReading& r : readings) {
        if (r.focalLength35mm > 0)
            known.push_back(r.focalLength35mm);
    }
    std::vector<CoverageRange> ranges;
    if (known.empty())
        return ranges;
    std::sort(known.begin(), known.end());
    const qint64 n = qint64(known.size());
    for (const int share : coverageShares) {
        const qint64 needed = (share * n + 99) / 100;
        // The narrowest window of `needed` sorted values; ratios compared crosswise, the
        // first found kept on a tie, which is the smaller start.
        size_t best = 0;
        for (size_t i = 1; i + size_t(needed) <= known.size(); ++i) {
            const qint64 a = known[i], b = known[i + size_t(needed) - 1];
            const qint64 bestA = known[best], bestB = known[best + size_t(needed) - 1];
            if (b * bestA < bestB * a)
                best = i;
        }
        ranges.push_back({share, known[best], known[best + size_t(needed) - 1]});
    }
    return ranges;
}

std::vector<LensUsage> lensUsage(const std::vector<InsightReading>& readings)
{
    // Each reading's lens, lenses numbered in order of their first reading. Readings taken
    // from a table share their row's text, so a text already seen is found by its address
    // (with its length, as raw data may share one), which costs far less than its hash.
    QHash<QString, int> lensIndex;
    QHash<const QChar*, std::pair<qsizetype, int>> seen;
    std::vector<QString> labels;
    std::vector<int> lensOf(readings.size());
    std::vector<int> counts;
    for (size_t i = 0; i < readings.size(); ++i) {
        const QString& lens = readings[i].lens;
        const auto known = seen.constFind(lens.constData());
        int id;
        if (known != seen.constEnd() && known->first == lens.size()) {
            id = known->second;
        } else {
            auto it = lensIndex.constFind(lens);
            if (it == lensIndex.constEnd()) {
                it = lensIndex.insert(lens, int(labels.size()));
                labels.push_back(lens);
                counts.push_back(0);
            }
            id = it.value();
            seen.insert(lens.constData(), {lens.size(), id});
        }
        lensOf[i] = id;
        ++counts[size_t(id)];
    }
    // The readings' numbers grouped by lens, in one array read in order.
    std::vector<size_t> start(labels.size() + 1, 0);
    for (size_t l = 0; l < labels.size(); ++l)
        start[l + 1] = start[l] + size_t(counts[l]);
    struct Numbers
    {
        qint64 focalLength, focalLength35mm, aperture;
    };
    std::vector<Numbers> grouped(readings.size());
    std::vector<size_t> next(start.begin(), start.end() - 1);
    for (size_t i = 0; i < readings.size(); ++i)
        grouped[next[size_t(lensOf[i])]++] = {readings[i].focalLength, readings[i].focalLength35mm,
                                              readings[i].aperture};

    const int total = int(readings.size());
    std::vector<LensUsage> lenses;
    lenses.reserve(labels.size());
    std::vector<qint64> values;
    for (size_t l = 0; l < labels.size(); ++l) {
        const auto own = grouped.cbegin() + std::ptrdiff_t(start[l]);
        const auto end = grouped.cbegin() + std::ptrdiff_t(start[l + 1]);
        LensUsage u;
        u.label = labels[l];
        u.count = counts[l];
        u.percent = shareOf(u.count, total);
        u.shortest = u.longest = own->focalLength;
        u.widest = own->aperture;
        for (auto r = own; r != end; ++r) {
            u.shortest = std::min(u.shortest, r->focalLength);
            u.longest = std::max(u.longest, r->focalLength);
            u.widest = std::min(u.widest, r->aperture);
        }
        int atShort = 0, atLong = 0, wideOpen = 0;
        values.clear();
        for (auto r = own; r != end; ++r) {
            const qint64 focal = r->focalLength;
            atShort += focal == u.shortest;
            atLong += focal == u.longest;
            wideOpen += r->aperture == u.widest;
            if (focal > u.shortest && focal < u.longest)
                values.push_back(focal);
        }
        u.wideOpen = shareOf(wideOpen, u.count);
        if (u.shortest != u.longest) {
            u.atShortEnd = shareOf(atShort, u.count);
            u.atLongEnd = shareOf(atLong, u.count);
        }
        u.favourite = mostCommon(values);
        if (u.favourite) {
            values.clear();
            for (auto r = own; r != end; ++r) {
                if (r->focalLength == *u.favourite && r->focalLength35mm > 0)
                    values.push_back(r->focalLength35mm);
            }
            u.favourite35mm = mostCommon(values);
        }
        lenses.push_back(std::move(u));
    }
    std::stable_sort(lenses.begin(), lenses.end(),
                     [](const LensUsage& a, const LensUsage& b) { return a.count > b.count; });
    return lenses;
}

Insights computeInsights(const std::vector<InsightReading>& readings)
{
    return Insights{focalCoverage(readings), lensUsage(readings)};
}

std::vector<InsightReading> trackedReadings(const TableSet& tables, const std::vector<int>* places)
{
    const StatTable* focal = tables[FocalLength];
    const StatTable* focal35 = tables[FocalLength35mm];
    const StatTable* aperture = tables[Aperture];
    const StatTable* lens = tables[Lens];
    std::vector<InsightReading> readings;
    if (!focal || !focal35 || !aperture || !lens)
        return readings;
    const size_t values = focal->valueRows().size();
    if (values != size_t(focal->total()) || focal35->valueRows().size() != values ||
        aperture->valueRows().size() != values || lens->valueRows().size() != values)
        return readings;
    // Rows by id: a sort moves rows, never their ids.
    const auto byId = [](const StatTable* table) {
        std::vector<const StatRow*> rows(table->rowCount());
        for (unsigned i = 0; i < table->rowCount(); ++i)
            rows[size_t(table->row(i)->id)] = table->row(i);
        return rows;
    };
    const std::vector<const StatRow*> focalRows = byId(focal), focal35Rows = byId(focal35),
                                      apertureRows = byId(aperture), lensRows = byId(lens);
    const auto reading = [&](size_t place) {
        InsightReading r;
        r.focalLength = focalRows[size_t(focal->valueRows()[place])]->key;
        r.focalLength35mm = focal35Rows[size_t(focal35->valueRows()[place])]->key;
        r.aperture = apertureRows[size_t(aperture->valueRows()[place])]->key;
        r.lens = lensRows[size_t(lens->valueRows()[place])]->label;
        return r;
    };
    if (places) {
        readings.reserve(places->size());
        for (const int place : *places) {
            if (place >= 0 && size_t(place) < values)
                readings.push_back(reading(size_t(place)));
        }
    } else {
        readings.reserve(values);
        for (size_t place = 0; place < values; ++place)
            readings.push_back(reading(place));
    }
    return readings;
}

QString focalRangeText(qint64 from, qint64 to)
{
    if (from == to)
        return millimetres(from);
    return tenthsLabel(from) + QLatin1Char('-') + millimetres(to);
}

QString coverageLine(const CoverageRange& range)
{
    return QStringLiteral("%1 % of pictures: %2 (35 mm equivalent)")
        .arg(range.share)
        .arg(focalRangeText(range.from, range.to));
}

QStringList lensUsageHeadings()
{
    return {
        QStringLiteral("Lens"),          QStringLiteral("Pictures"),  QStringLiteral("%"),
        QStringLiteral("Focal lengths"), QStringLiteral("Short end"), QStringLiteral("Long end"),
        QStringLiteral("Favourite"),     QStringLiteral("Widest"),    QStringLiteral("Wide open")};
}

QStringList lensUsageCells(const LensUsage& lens)
{
    const auto share = [](const std::optional<float>& value) {
        return value ? percentText(*value) : QString();
    };
    QString favourite;
    if (lens.favourite) {
        favourite = millimetres(*lens.favourite);
        if (lens.favourite35mm)
            favourite += QStringLiteral(" (") + millimetres(*lens.favourite35mm) +
                         QStringLiteral(" in 35 mm)");
    }
    return {lens.label,
            QString::number(lens.count),
            percentText(lens.percent),
            focalRangeText(lens.shortest, lens.longest),
            share(lens.atShortEnd),
            share(lens.atLongEnd),
            favourite,
            QStringLiteral("f/") + tenthsLabel(lens.widest),
            percentText(lens.wideOpen)};
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/insights.h"

#include "core/count/numberformat.h"
#include "core/count/stattable.h"

#include <QHash>

#include <algorithm>
#include <map>

namespace {

// A share of a part in a whole, as the tables compute it.
float shareOf(int part, int whole)
{
    return whole > 0 ? float(double(qint64(part) * 100) / double(whole)) : 0.0f;
}

// The key counted most often, ties to the smallest; none for no keys.
std::optional<qint64> mostCommon(const std::map<qint64, int>& counts)
{
    std::optional<qint64> best;
    int bestCount = 0;
    for (const auto& [key, count] : counts) {
        // Ascending keys: strictly more keeps the smaller on a tie.
        if (count > bestCount) {
            best = key;
            bestCount = count;
        }
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
    // Each lens's readings, lenses in order of their first reading.
    QHash<QString, int> lensIndex;
    std::vector<std::vector<const InsightReading*>> byLens;
    std::vector<QString> labels;
    for (const InsightReading& r : readings) {
        auto it = lensIndex.constFind(r.lens);
        if (it == lensIndex.constEnd()) {
            it = lensIndex.insert(r.lens, int(byLens.size()));
            byLens.emplace_back();
            labels.push_back(r.lens);
        }
        byLens[size_t(it.value())].push_back(&r);
    }
    const int total = int(readings.size());
    std::vector<LensUsage> lenses;
    lenses.reserve(byLens.size());
    for (size_t l = 0; l < byLens.size(); ++l) {
        const std::vector<const InsightReading*>& own = byLens[l];
        LensUsage u;
        u.label = labels[l];
        u.count = int(own.size());
        u.percent = shareOf(u.count, total);
        u.shortest = u.longest = own.front()->focalLength;
        u.widest = own.front()->aperture;
        for (const InsightReading* r : own) {
            u.shortest = std::min(u.shortest, r->focalLength);
            u.longest = std::max(u.longest, r->focalLength);
            u.widest = std::min(u.widest, r->aperture);
        }
        int atShort = 0, atLong = 0, wideOpen = 0;
        std::map<qint64, int> between;
        for (const InsightReading* r : own) {
            atShort += r->focalLength == u.shortest;
            atLong += r->focalLength == u.longest;
            wideOpen += r->aperture == u.widest;
            if (r->focalLength > u.shortest && r->focalLength < u.longest)
                ++between[r->focalLength];
        }
        u.wideOpen = shareOf(wideOpen, u.count);
        if (u.shortest != u.longest) {
            u.atShortEnd = shareOf(atShort, u.count);
            u.atLongEnd = shareOf(atLong, u.count);
        }
        u.favourite = mostCommon(between);
        if (u.favourite) {
            std::map<qint64, int> equivalents;
            for (const InsightReading* r : own) {
                if (r->focalLength == *u.favourite && r->focalLength35mm > 0)
                    ++equivalents[r->focalLength35mm];
            }
            u.favourite35mm = mostCommon(equivalents);
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

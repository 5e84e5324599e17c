// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/chartscale.h"

#include "core/count/numberformat.h"
#include "core/count/stattable.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

// The values a photographer reads an axis by, as keys.
const std::vector<qint64>& familiarKeys(StatKind kind)
{
    static const std::vector<qint64> focal{80,   100,  120,  140,  160,   180,   200,  240,
                                           280,  350,  500,  700,  850,   1000,  1350, 2000,
                                           3000, 4000, 6000, 8000, 12000, 20000, 40000};
    static const std::vector<qint64> aperture{7,  10,  14,  20,  28,  40,  56,
                                              80, 110, 160, 220, 320, 450, 640};
    static const std::vector<qint64> iso{250,    500,    1000,    2000,    4000,
                                         8000,   16000,  32000,   64000,   128000,
                                         256000, 512000, 1024000, 2048000, 4096000};
    // 1/8000 s to 30 min, in microseconds.
    static const std::vector<qint64> exposure{
        125,     250,      500,      1000,     2000,      4000,      8000,      16667,
        33333,   66667,    125000,   250000,   500000,    1000000,   2000000,   4000000,
        8000000, 15000000, 30000000, 60000000, 120000000, 300000000, 600000000, 1800000000};
    static const std::vector<qint64> none;
    switch (kind) {
    case FocalLength:
    case FocalLength35mm:
        return focal;
    case Aperture:
        return aperture;
    case Iso:
        return iso;
    case ExposureTime:
        return exposure;
    case Camera:
    case Lens:
    case Year:
        break;
    }
    return none;
}

} // namespace

ChartForm chartForm(StatKind kind)
{
    switch (kind) {
    case FocalLength:
    case FocalLength35mm:
    case Aperture:
    case Iso:
    case ExposureTime:
        return ChartForm::LogAxis;
    case Year:
        return ChartForm::InOrder;
    case Camera:
    case Lens:
        break;
    }
    return ChartForm::Ranked;
}

double LogAxis::position(qint64 key) const
{
    if (key <= 0 || high <= low)
        return 0;
    return std::clamp((std::log(double(key)) - low) / (high - low), 0.0, 1.0);
}

LogAxis logAxis(qint64 smallest, qint64 largest)
{
    const double low = std::log(double(std::max<qint64>(smallest, 1)));
    const double high = std::log(double(std::max(largest, smallest)));
    // A twentieth of the span at each end, and a factor of 2 around a single value.
    const double margin = high > low ? (high - low) / 20 : std::log(2.0);
    return LogAxis{low - margin, high + margin};
}

bool tableAxis(const StatTable& table, LogAxis* axis)
{
    qint64 smallest = 0, largest = 0;
    for (unsigned i = 0; i < table.rowCount(); ++i) {
        const qint64 key = table.row(i)->key;
        if (key <= 0)
            continue;
        smallest = smallest ? std::min(smallest, key) : key;
        largest = std::max(largest, key);
    }
    if (!smallest)
        return false;
    *axis = logAxis(smallest, largest);
    return true;
}

std::vector<qint64> axisTicks(StatKind kind, const LogAxis& axis, double minGap)
{
    std::vector<qint64> ticks;
    double last = -1;
    for (const qint64 key : familiarKeys(kind)) {
        const double at = (std::log(double(key)) - axis.low) / (axis.high - axis.low);
        if (at < 0 || at > 1 || (last >= 0 && at - last < minGap))
            continue;
        ticks.push_back(key);
        last = at;
    }
    return ticks;
}

QString tickLabel(StatKind kind, qint64 key)
{
    if (kind == ExposureTime)
        return exposureLabel(double(key) / 1e6);
    return tenthsLabel(key);
}

std::vector<unsigned> chartOrder(const StatTable& table, StatKind kind)
{
    std::vector<unsigned> order(table.rowCount());
    std::iota(order.begin(), order.end(), 0u);
    if (chartForm(kind) == ChartForm::Ranked) {
        std::stable_sort(order.begin(), order.end(), [&table](unsigned a, unsigned b) {
            return table.row(a)->count > table.row(b)->count;
        });
    } else {
        // Key 0 is the unknown row (35 mm, Year): after every known value.
        const auto place = [&table](unsigned i) {
            const qint64 key = table.row(i)->key;
            return key > 0 ? key : std::numeric_limits<qint64>::max();
        };
        std::stable_sort(order.begin(), order.end(),
                         [&place](unsigned a, unsigned b) { return place(a) < place(b); });
    }
    return order;
}

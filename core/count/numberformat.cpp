// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/numberformat.h"

#include <cmath>

namespace {
// Far inside the 64-bit range, so that later arithmetic on a key cannot overflow.
constexpr double kSaturation = 4611686018427387904.0; // 2^62
} // namespace

qint64 roundHalfAway(double x)
{
    if (std::isnan(x))
        return 0;
    if (x >= kSaturation)
        return qint64(kSaturation);
    if (x <= -kSaturation)
        return -qint64(kSaturation);
    return qint64(std::round(x)); // std::round rounds halves away from zero
}

QString tenthsLabel(qint64 tenths)
{
    if (tenths % 10 != 0)
        return QString::number(double(tenths) / 10.0, 'f', 1);
    return QString::number(tenths / 10);
}

namespace {

// What an exposure label states: 1/denominator seconds when denominator is not 0, else
// tenths of a second.
struct StatedExposure
{
    qint64 denominator = 0;
    qint64 tenths = 0;
};

StatedExposure statedExposure(double x)
{
    if (x >= 1.0)
        return {0, roundHalfAway(x * 10.0)};
    // Shorter than a second: a fraction "1/n" when 1/n is within 5 % of the time,
    // otherwise the time itself in tenths (0.4 s is not 1/3 s).
    const qint64 n = roundHalfAway(1.0 / x);
    if (std::fabs(double(n) * x - 1.0) <= 0.05)
        return {n, 0};
    return {0, roundHalfAway(x * 10.0)};
}

} // namespace

QString exposureLabel(double x)
{
    const StatedExposure stated = statedExposure(x);
    if (stated.denominator == 0)
        return tenthsLabel(stated.tenths);
    return stated.denominator == 1 ? QStringLiteral("1")
                                   : QStringLiteral("1/") + QString::number(stated.denominator);
}

qint64 exposureMicroseconds(double x)
{
    const StatedExposure stated = statedExposure(x);
    if (stated.denominator == 0)
        return roundHalfAway(double(stated.tenths) * 100000.0);
    return roundHalfAway(1000000.0 / double(stated.denominator));
}

QString percentText(float percent)
{
    return QString::number(double(percent), 'f', 2);
}

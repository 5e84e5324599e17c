// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read/lensname.h"

#include <QRegularExpression>

#include <cmath>

float printedNumber(const QString& printed)
{
    static const QRegularExpression pattern(
        QStringLiteral("^F?(\\d+(?:\\.\\d+)?)(?:/(\\d+(?:\\.\\d+)?))? ?(?:s|mm)?$"));
    const QRegularExpressionMatch match = pattern.match(printed.trimmed());
    if (!match.hasMatch())
        return 0.0f;
    double value = match.captured(1).toDouble();
    if (match.hasCaptured(2)) {
        const double divisor = match.captured(2).toDouble();
        if (divisor <= 0)
            return 0.0f;
        value /= divisor;
    }
    // Sane bounds as for any tag: a print of "1e40" digits is no camera's.
    if (!std::isfinite(value) || value <= 0 || value >= 1e9)
        return 0.0f;
    return float(value);
}

bool statedFocalRange(const QString& lensName, FocalRange* range)
{
    static const QRegularExpression pattern(
        QStringLiteral("(\\d+(?:\\.\\d+)?)(?:-(\\d+(?:\\.\\d+)?))? ?mm"));
    const QRegularExpressionMatch match = pattern.match(lensName);
    if (!match.hasMatch())
        return false;
    range->shortest = match.captured(1).toDouble();
    range->longest = match.hasCaptured(2) ? match.captured(2).toDouble() : range->shortest;
    return true;
}

bool lensFitsFocalLength(const QString& lensName, float focalLength)
{
    FocalRange range;
    if (!(focalLength > 0.0f) || !statedFocalRange(lensName, &range))
        return true;
    const double f = double(focalLength);
    return f >= range.shortest - 1.0 && f <= range.longest + 1.0;
}

namespace {

// One decimal at most, rounded half away from zero, without a trailing ".0".
QString oneDecimal(double value)
{
    const double tenths = std::round(value * 10.0);
    return QString::number(tenths / 10.0, 'f', std::fmod(tenths, 10.0) == 0.0 ? 0 : 1);
}

} // namespace

QString lensRangeLabel(double shortest, double longest, double widestFNumber, double longFNumber)
{
    if (!(shortest > 0) || !(longest >= shortest) || !std::isfinite(longest) || longest >= 1e9)
        return QString();
    QString label = oneDecimal(shortest);
    if (oneDecimal(longest) != label)
        label += QLatin1Char('-') + oneDecimal(longest);
    label += QStringLiteral("mm");
    const bool wideKnown = widestFNumber > 0 && widestFNumber < 1e9;
    const bool longKnown = longFNumber > 0 && longFNumber < 1e9;
    if (wideKnown && longKnown && oneDecimal(widestFNumber) != oneDecimal(longFNumber))
        label += QStringLiteral(" f/") + oneDecimal(widestFNumber) + QLatin1Char('-') +
                 oneDecimal(longFNumber);
    else if (wideKnown || longKnown)
        label += QStringLiteral(" f/") + oneDecimal(wideKnown ? widestFNumber : longFNumber);
    return label;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/namelist.h"

QStringList parseNameList(const QString& text)
{
    QString s = text;
    const QString twoSpaces = QStringLiteral("  ");
    while (s.contains(twoSpaces))
        s.replace(twoSpaces, QStringLiteral(" "));
    s.replace(QLatin1Char(';'), QLatin1Char(','));
    s.replace(QStringLiteral(" ,"), QStringLiteral(","));
    s.replace(QStringLiteral(", "), QStringLiteral(","));
    return s.trimmed().split(QLatin1Char(','), Qt::SkipEmptyParts);
}

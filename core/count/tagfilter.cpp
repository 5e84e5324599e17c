// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/tagfilter.h"

bool TagFilter::matchesAny(const QString& text, const QStringList& names)
{
    for (const QString& name : names) {
        if (text.indexOf(name, 0, Qt::CaseInsensitive) != -1)
            return true;
    }
    return false;
}

bool TagFilter::accepts(const PictureReading& reading)
{
    if (!(reading.*read))
        return false; // an unreadable tag skips the picture in both modes
    return matchesAny(reading.*text, names) != except;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/tagfilter.h"

#include "analysis/exifaccess.h"

bool TagFilter::matchesAny(const QString& text, const QStringList& names)
{
    for (const QString& name : names) {
        if (text.indexOf(name, 0, Qt::CaseInsensitive) != -1)
            return true;
    }
    return false;
}

bool TagFilter::accepts(Exiv2::ExifData& data)
{
    QString text;
    if (!exif::readText(data, key, &text))
        return false; // an unreadable tag skips the picture in both modes
    return matchesAny(text, names) != except;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/walk/exclusion.h"

#include "core/base/fsname.h"

#include <fnmatch.h>

WalkExclusion::WalkExclusion(const QStringList& patterns)
{
    for (const QString& given : patterns) {
        QString pattern = given;
        // "2019/edits/" means the folder; "/2019" means it below the chosen folder.
        while (pattern.endsWith(QLatin1Char('/')))
            pattern.chop(1);
        const bool isPath = pattern.contains(QLatin1Char('/'));
        while (pattern.startsWith(QLatin1Char('/')))
            pattern.remove(0, 1);
        if (pattern.isEmpty())
            continue;
        (isPath ? paths : names).push_back(fsname::encode(pattern));
    }
}

bool WalkExclusion::excludes(const QByteArray& relativePath, const char* name) const
{
    for (const QByteArray& pattern : names) {
        if (::fnmatch(pattern.constData(), name, 0) == 0)
            return true;
    }
    for (const QByteArray& pattern : paths) {
        // FNM_PATHNAME: a "*" never spans folders, so "2019/*/edits" is one level deep.
        if (::fnmatch(pattern.constData(), relativePath.constData(), FNM_PATHNAME) == 0)
            return true;
    }
    return false;
}

QStringList splitPatterns(const QString& text)
{
    QStringList patterns;
    for (const QString& part : text.split(QLatin1Char(';'))) {
        const QString pattern = part.trimmed();
        if (!pattern.isEmpty())
            patterns << pattern;
    }
    return patterns;
}

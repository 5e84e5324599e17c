// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_TAGFILTER_H
#define LENSTALLY_TAGFILTER_H

#include "analysis/ifilter.h"

#include <QStringList>

// Keeps (or, with except, leaves out) the pictures whose text tag contains one of
// the listed names, ignoring case. MakeFilter and ModelFilter fix the tag.
class TagFilter : public IFilter
{
public:
    bool accepts(Exiv2::ExifData& data) override;
    virtual ~TagFilter() = default;

    // True when one of names occurs in text, ignoring case.
    static bool matchesAny(const QString& text, const QStringList& names);

    bool except = false;

protected:
    TagFilter(const char* key, const QStringList& names) : names(names), key(key) {}

private:
    QStringList names;
    const char* key;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_TAGFILTER_H
#define LENSTALLY_TAGFILTER_H

#include "core/count/ifilter.h"
#include "core/read/picturereading.h"

#include <QStringList>

// Keeps (or, with except, leaves out) the pictures whose text tag contains one of
// the listed names, ignoring case. MakeFilter and ModelFilter fix the tag.
class TagFilter : public IFilter
{
public:
    bool accepts(const PictureReading& reading) override;
    virtual ~TagFilter() = default;

    // True when one of names occurs in text, ignoring case.
    static bool matchesAny(const QString& text, const QStringList& names);

    bool except = false;

protected:
    // The tag is given by its text in a reading and whether that could be read.
    TagFilter(QString PictureReading::*text, bool PictureReading::*read, const QStringList& names)
        : names(names), text(text), read(read)
    {
    }

private:
    QStringList names;
    QString PictureReading::*text;
    bool PictureReading::*read;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_MAKEFILTER_H
#define LENSTALLY_MAKEFILTER_H

#include "core/count/tagfilter.h"

// Filters pictures by camera make ("Exif.Image.Make").
class MakeFilter : public TagFilter
{
public:
    explicit MakeFilter(const QStringList& names)
        : TagFilter(&PictureReading::makeTag, &PictureReading::makeRead, names)
    {
    }
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_MODELFILTER_H
#define LENSTALLY_MODELFILTER_H

#include "core/count/tagfilter.h"

// Filters pictures by camera model ("Exif.Image.Model").
class ModelFilter : public TagFilter
{
public:
    explicit ModelFilter(const QStringList& names)
        : TagFilter(&PictureReading::modelTag, &PictureReading::modelRead, names)
    {
    }
};

#endif

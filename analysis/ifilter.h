// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_IFILTER_H
#define LENSTALLY_IFILTER_H

namespace Exiv2 {
class ExifData;
}

// A picture filter that the reader asks before counting a picture.
// Owners delete filters through their concrete type, never through this interface.
class IFilter
{
public:
    // True when the picture whose Exif data is given passes; the lookup may add
    // an empty entry for an absent key, hence the non-const reference.
    virtual bool accepts(Exiv2::ExifData& data) = 0;

protected:
    ~IFilter() = default;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_IFILTER_H
#define LENSTALLY_IFILTER_H

struct PictureReading;

// A picture filter that the reader asks before counting a picture.
// Owners delete filters through their concrete type, never through this interface.
class IFilter
{
public:
    // True when the picture read passes; asked on the reading threads, from the file's
    // reading or from the reading cache alike.
    virtual bool accepts(const PictureReading& reading) = 0;

protected:
    ~IFilter() = default;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_SLOWFILTER_H
#define LENSTALLY_SLOWFILTER_H

#include "core/count/ifilter.h"

#include <QThread>

// Lets every picture pass, a millisecond later: a run of thousands of files then lasts
// seconds however fast the machine reads, so a test can stop it in the middle.
class SlowFilter : public IFilter
{
public:
    bool accepts(const PictureReading&) override
    {
        QThread::msleep(1);
        return true;
    }
};

#endif

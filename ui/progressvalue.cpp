// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/progressvalue.h"

#include <QtGlobal>

int progressValue(int done, int total)
{
    if (total <= 0 || done <= 0)
        return 0;
    if (done >= total)
        return 10000;
    // Widened first: done * 100 overflows an int past 21 million files.
    const double percent = double(qint64(done) * 100) / total;
    return int(percent * 100);
}

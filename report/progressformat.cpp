// SPDX-License-Identifier: GPL-3.0-or-later
#include "progressformat.h"

double filesPerSecond(qint64 done, qint64 elapsedMs)
{
    if (elapsedMs <= 0 || done <= 0)
        return 0;
    return double(done) * 1000.0 / double(elapsedMs);
}

qint64 secondsLeft(qint64 done, qint64 total, qint64 elapsedMs)
{
    if (done >= total)
        return 0;
    if (done <= 0 || elapsedMs <= 0)
        return -1;
    // Integer arithmetic: (total - done) * elapsed / done in ms, rounded up to seconds.
    const qint64 msLeft = ((total - done) * elapsedMs + done - 1) / done;
    return (msLeft + 999) / 1000;
}

QString durationText(qint64 seconds)
{
    if (seconds < 0)
        return QStringLiteral("--:--");
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds / 60 % 60;
    const QString secs = QStringLiteral("%1").arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (hours > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(hours)
            .arg(minutes, 2, 10, QLatin1Char('0'))
            .arg(secs);
    return QStringLiteral("%1:%2").arg(minutes).arg(secs);
}

QString progressLine(qint64 done, qint64 total, qint64 elapsedMs)
{
    return QStringLiteral("%1/%2 files  %3 files/s  %4 left")
        .arg(done)
        .arg(total)
        .arg(filesPerSecond(done, elapsedMs), 0, 'f', 0)
        .arg(durationText(secondsLeft(done, total, elapsedMs)));
}

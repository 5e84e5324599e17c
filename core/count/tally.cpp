// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/tally.h"

#include "core/count/ifilter.h"
#include "core/count/stattable.h"

PictureOutcome judgeReading(const PictureReading& reading, const QVector<IFilter*>& filters,
                            PictureValues* values)
{
    if (reading.outcome != PictureOutcome::Unreadable) {
        for (IFilter* filter : filters) {
            if (!filter->accepts(reading)) {
                // Refused before its values would have been read: only what was said so far.
                PictureValues refused;
                refused.make = reading.values.make;
                refused.model = reading.values.model;
                refused.messages = reading.values.messages.mid(0, reading.openingMessages);
                refused.messagesLeftOut = reading.openingMessages - int(refused.messages.size());
                *values = std::move(refused);
                return PictureOutcome::Filtered;
            }
        }
    }
    *values = reading.values;
    return reading.outcome;
}

PictureOutcome analyseFile(const QString& path, const QVector<IFilter*>& filters,
                           PictureValues* values)
{
    return judgeReading(readFile(path), filters, values);
}

PictureOutcome analyseBuffer(const unsigned char* data, std::size_t size,
                             const QVector<IFilter*>& filters, PictureValues* values)
{
    return judgeReading(readBuffer(data, size), filters, values);
}

int yearOf(const QString& dateText)
{
    if (dateText.size() < 4)
        return 0;
    int year = 0;
    for (int i = 0; i < 4; ++i) {
        const QChar c = dateText[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        year = year * 10 + (c.unicode() - '0');
    }
    return year >= 1826 && year <= 2200 ? year : 0;
}

QString cameraText(const QString& make, const QString& model)
{
    return make + QStringLiteral(" - ") + model;
}

void addToTables(const PictureValues& v, const TableSet& tables)
{
    if (StatTable* t = tables[FocalLength])
        t->addNumber(v.focalLength);
    if (StatTable* t = tables[FocalLength35mm])
        t->addNumber(v.focalLength35mm);
    if (StatTable* t = tables[Aperture])
        t->addNumber(v.aperture);
    if (StatTable* t = tables[Iso])
        t->addNumber(v.iso);
    if (StatTable* t = tables[ExposureTime])
        t->addExposureTime(v.exposureTime);
    if (StatTable* t = tables[Camera])
        t->addText(cameraText(v.make, v.model));
    if (StatTable* t = tables[Lens])
        t->addText(v.lens);
    if (StatTable* t = tables[Year]) {
        const int year = yearOf(v.dateText);
        t->addKeyed(year, year ? QString::number(year) : QStringLiteral("Unknown"));
    }
}

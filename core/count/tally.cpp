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

PictureOutcome applyValueRules(PictureOutcome outcome, const ValueRules& rules,
                               PictureValues* values)
{
    if (outcome != PictureOutcome::Counted && outcome != PictureOutcome::Unusable)
        return outcome;
    PictureValues& v = *values;
    const MakerNoteValues& m = v.makerNotes;
    if (rules.makerNotes) {
        if (!hasFocalLength(v.focalLength) && hasFocalLength(m.focalLength)) {
            v.focalLength = m.focalLength;
            if (v.focal35From != Focal35From::Tag) {
                v.focalLength35mm = m.focalLength35mm;
                v.focal35From =
                    m.focalLength35mm > 0.0f ? Focal35From::CropFactor : Focal35From::None;
                v.focalPlane35mm = m.focalPlane35mm;
            }
        }
        if (!hasAperture(v.aperture))
            v.aperture = m.aperture;
        if (!hasIso(v.iso))
            v.iso = m.iso;
        if (!hasExposureTime(v.exposureTime))
            v.exposureTime = m.exposureTime;
    }
    // Only the values it counts with: maker-note ones count with that option alone.
    const bool anyValue = hasFocalLength(v.focalLength) || hasAperture(v.aperture) ||
                          hasIso(v.iso) || hasExposureTime(v.exposureTime);
    if (isUsable(v) || (rules.countIncomplete && anyValue))
        return PictureOutcome::Counted;
    // Read in case an option counts the picture; without one it has none of them.
    v.lens.clear();
    v.dateText.clear();
    v.focalPlane35mm = 0.0f;
    return PictureOutcome::Unusable;
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
    const auto addOrUnknown = [](StatTable* t, bool known, float value) {
        if (known)
            t->addNumber(value);
        else
            t->addUnknown();
    };
    if (StatTable* t = tables[FocalLength])
        addOrUnknown(t, hasFocalLength(v.focalLength), v.focalLength);
    if (StatTable* t = tables[FocalLength35mm])
        t->addNumber(v.focalLength35mm);
    if (StatTable* t = tables[Aperture])
        addOrUnknown(t, hasAperture(v.aperture), v.aperture);
    if (StatTable* t = tables[Iso])
        addOrUnknown(t, hasIso(v.iso), v.iso);
    if (StatTable* t = tables[ExposureTime]) {
        if (hasExposureTime(v.exposureTime))
            t->addExposureTime(v.exposureTime);
        else
            t->addUnknown();
    }
    if (StatTable* t = tables[Camera])
        t->addText(cameraText(v.make, v.model));
    if (StatTable* t = tables[Lens])
        t->addText(v.lens);
    if (StatTable* t = tables[Year]) {
        const int year = yearOf(v.dateText);
        t->addKeyed(year, year ? QString::number(year) : QStringLiteral("Unknown"));
    }
}

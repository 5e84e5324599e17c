// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/analysisresult.h"

#include "core/count/countingoptions.h"
#include "core/count/numberformat.h"

#include <limits>

void OutcomeCounts::add(PictureOutcome outcome)
{
    switch (outcome) {
    case PictureOutcome::Counted:
        ++counted;
        break;
    case PictureOutcome::Filtered:
        ++filteredOut;
        break;
    case PictureOutcome::Unusable:
        ++unusable;
        break;
    case PictureOutcome::Unreadable:
        ++unreadable;
        break;
    case PictureOutcome::OutsideDates:
        ++outsideDates;
        break;
    case PictureOutcome::PairDuplicate:
        ++pairDuplicates;
        break;
    }
}

int OutcomeCounts::files() const
{
    return counted + filteredOut + unusable + unreadable + outsideDates + pairDuplicates;
}

QString OutcomeCounts::summary(bool withPairs, bool withDates, const QLocale& numbers) const
{
    QString text = QStringLiteral("%1 files: %2 counted, %3 filtered out, %4 without usable "
                                  "data, %5 unreadable")
                       .arg(numbers.toString(files()), numbers.toString(counted),
                            numbers.toString(filteredOut), numbers.toString(unusable),
                            numbers.toString(unreadable));
    if (withPairs)
        text += QStringLiteral(", %1 pair duplicates").arg(numbers.toString(pairDuplicates));
    if (withDates)
        text += QStringLiteral(", %1 outside the dates").arg(numbers.toString(outsideDates));
    return text;
}

TableSet AnalysisResult::tableSet()
{
    TableSet set{};
    for (int kind = 0; kind < StatKindCount; ++kind)
        set[size_t(kind)] = &tables[size_t(kind)];
    return set;
}

void AnalysisResult::clear()
{
    for (StatTable& t : tables)
        t.clear();
    outcomes = OutcomeCounts();
    unlistedFolders.clear();
    leftOutFolders = 0;
    leftOutFiles = 0;
    countedFiles.clear();
    fileRecords.clear();
    cacheWarnings.clear();
}

std::vector<int> AnalysisResult::filesOfRow(StatKind kind, int rowId) const
{
    std::vector<int> files;
    for (int place : table(kind).valuesOfRow(rowId)) {
        if (size_t(place) < countedFiles.size())
            files.push_back(countedFiles[size_t(place)]);
    }
    return files;
}

void showInBothOrders(StatTable& table, const std::function<void(const StatTable&)>& byValue,
                      const std::function<void(const StatTable&)>& byCount)
{
    table.sortByValue();
    byValue(table);
    table.sortByCount();
    byCount(table);
}

QString displayLabel(StatKind kind, const QString& label)
{
    if (kind == FocalLength35mm && label == QLatin1String("0"))
        return QStringLiteral("Unknown");
    return label;
}

QString outcomeText(PictureOutcome outcome)
{
    switch (outcome) {
    case PictureOutcome::Counted:
        return QStringLiteral("counted");
    case PictureOutcome::Filtered:
        return QStringLiteral("filtered out");
    case PictureOutcome::Unusable:
        return QStringLiteral("without usable data");
    case PictureOutcome::Unreadable:
        break;
    case PictureOutcome::OutsideDates:
        return QStringLiteral("outside the dates");
    case PictureOutcome::PairDuplicate:
        return QStringLiteral("pair duplicate");
    }
    return QStringLiteral("unreadable");
}

QString focal35FromText(Focal35From from)
{
    switch (from) {
    case Focal35From::Tag:
        return QStringLiteral("tag");
    case Focal35From::CropFactor:
        return QStringLiteral("crop factor");
    case Focal35From::FocalPlane:
        return QStringLiteral("focal plane");
    case Focal35From::None:
        break;
    }
    return QStringLiteral("none");
}

quint32 FileRecords::textId(const QString& text)
{
    if (text.isEmpty())
        return 0;
    const auto it = textIds.constFind(text);
    if (it != textIds.constEnd())
        return it.value();
    const quint32 id = quint32(texts.size());
    texts.append(text);
    textIds.insert(text, id);
    return id;
}

void FileRecords::record(int index, PictureOutcome outcome, const PictureValues& values)
{
    if (index < 0)
        return;
    if (size_t(index) >= records.size())
        records.resize(size_t(index) + 1);
    Record& r = records[size_t(index)];
    r.outcome = quint8(int(outcome) + 1);
    r.focalLength = values.focalLength;
    r.focalLength35mm = values.focalLength35mm;
    r.focal35From = values.focal35From;
    r.aperture = values.aperture;
    r.iso = values.iso;
    r.exposureTime = values.exposureTime;
    r.make = textId(values.make);
    r.model = textId(values.model);
    r.lens = textId(values.lens);
    const QDate day = takenOn(values.dateText);
    r.taken = day.isValid() ? day.year() * 10000 + day.month() * 100 + day.day() : 0;
    r.messages = quint16(std::min<qsizetype>(values.messages.size() + values.messagesLeftOut,
                                             std::numeric_limits<quint16>::max()));
}

bool FileRecords::recorded(int index) const
{
    return index >= 0 && size_t(index) < records.size() && records[size_t(index)].outcome != 0;
}

namespace {

// A number as its table labels it, "" when it was not read.
QString numberLabel(float value)
{
    return value > 0.0f ? tenthsLabel(roundHalfAway(double(value) * 10.0)) : QString();
}

} // namespace

FileLabels FileRecords::labels(int index) const
{
    FileLabels l;
    if (!recorded(index))
        return l;
    const Record& r = records[size_t(index)];
    l.outcome = PictureOutcome(r.outcome - 1);
    l.make = texts.value(qsizetype(r.make));
    l.model = texts.value(qsizetype(r.model));
    l.lens = texts.value(qsizetype(r.lens));
    l.focalLength = numberLabel(r.focalLength);
    // A usable picture has a row in the 35 mm table, "Unknown" included.
    const bool usable = l.outcome == PictureOutcome::Counted ||
                        l.outcome == PictureOutcome::OutsideDates ||
                        l.outcome == PictureOutcome::PairDuplicate;
    l.focalLength35mm =
        usable ? displayLabel(FocalLength35mm,
                              tenthsLabel(roundHalfAway(double(r.focalLength35mm) * 10.0)))
               : numberLabel(r.focalLength35mm);
    l.focal35From = l.focalLength35mm.isEmpty() || r.focalLength35mm == 0.0f ? Focal35From::None
                                                                             : r.focal35From;
    l.aperture = numberLabel(r.aperture);
    l.iso = numberLabel(r.iso);
    l.exposureTime = r.exposureTime > 0.0f ? exposureLabel(double(r.exposureTime)) : QString();
    if (r.taken)
        l.taken = QStringLiteral("%1-%2-%3")
                      .arg(r.taken / 10000, 4, 10, QLatin1Char('0'))
                      .arg(r.taken / 100 % 100, 2, 10, QLatin1Char('0'))
                      .arg(r.taken % 100, 2, 10, QLatin1Char('0'));
    l.messages = r.messages;
    return l;
}

void FileRecords::clear()
{
    records.clear();
    texts = QStringList{QString()};
    textIds.clear();
}

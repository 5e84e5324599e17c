// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/analysisresult.h"

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

QString OutcomeCounts::summary(bool withPairs, bool withDates) const
{
    QString text = QStringLiteral("%1 files: %2 counted, %3 filtered out, %4 without usable "
                                  "data, %5 unreadable")
                       .arg(files())
                       .arg(counted)
                       .arg(filteredOut)
                       .arg(unusable)
                       .arg(unreadable);
    if (withPairs)
        text += QStringLiteral(", %1 pair duplicates").arg(pairDuplicates);
    if (withDates)
        text += QStringLiteral(", %1 outside the dates").arg(outsideDates);
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
    countedFiles.clear();
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

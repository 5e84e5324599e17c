// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_ANALYSISRESULT_H
#define LENSTALLY_ANALYSISRESULT_H

// What an analysis yields, shared by the window, the report and the tests: a table per
// StatKind and what became of every file.

#include "core/count/statkind.h"
#include "core/count/stattable.h"
#include "core/count/tally.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

// How many files ended in each outcome; every file of an analysis in exactly one.
struct OutcomeCounts
{
    int counted = 0;
    int filteredOut = 0;
    int unusable = 0;
    int unreadable = 0;
    int outsideDates = 0;   // left out by the date range
    int pairDuplicates = 0; // second files of a shot counted once
    int withMessages = 0;   // files that drew library messages, whatever their outcome

    // Counts one file's outcome.
    void add(PictureOutcome outcome);
    // The number of files counted in some outcome.
    int files() const;
    // "186 files: 66 counted, 0 filtered out, 100 without usable data, 20 unreadable",
    // then ", P pair duplicates" and ", D outside the dates" when asked for.
    QString summary(bool withPairs = false, bool withDates = false) const;
};

class AnalysisResult
{
public:
    // The table of a kind.
    StatTable& table(StatKind kind) { return tables[size_t(kind)]; }
    const StatTable& table(StatKind kind) const { return tables[size_t(kind)]; }
    // Every table, for the reader and the exports.
    TableSet tableSet();
    // Empties the tables and the counts, for a new analysis.
    void clear();

    OutcomeCounts outcomes;
    QStringList unlistedFolders; // folders below the chosen one that could not be listed
    // Kept when asked for (EntryReader::keepPictures): the file-list index of each counted
    // picture, in the order the tables got them.
    std::vector<int> countedFiles;
    // What went wrong with the reading cache, each a line for the user.
    QStringList cacheWarnings;
    // The file-list indexes of the pictures counted in a table's row (by row id), when kept.
    std::vector<int> filesOfRow(StatKind kind, int rowId) const;

private:
    std::array<StatTable, StatKindCount> tables;
};

// Hands the table to byValue sorted by value, then to byCount sorted by count (most
// first), the order in which the results are shown; the table stays sorted by count,
// as the exports write it.
void showInBothOrders(StatTable& table, const std::function<void(const StatTable&)>& byValue,
                      const std::function<void(const StatTable&)>& byCount);

// A row's label as shown and printed: "Unknown" for the 35 mm table's "0" row, the
// label itself otherwise.
QString displayLabel(StatKind kind, const QString& label);

#endif

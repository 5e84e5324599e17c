// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_ANALYSISRESULT_H
#define LENSTALLY_ANALYSISRESULT_H

// What an analysis yields, shared by the window, the report and the tests: a table per
// StatKind and what became of every file.

#include "core/count/statkind.h"
#include "core/count/stattable.h"
#include "core/count/tally.h"

#include <QHash>
#include <QLocale>
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
    // then ", P pair duplicates" and ", D outside the dates" when asked for; the numbers
    // as the locale writes them (the C locale: without grouping).
    QString summary(bool withPairs = false, bool withDates = false,
                    const QLocale& numbers = QLocale::c()) const;
};

// The outcome in the words of the summary line: "counted", "filtered out", "without
// usable data", "unreadable", "outside the dates", "pair duplicate".
QString outcomeText(PictureOutcome outcome);

// The "35 mm from" words: "tag", "crop factor", "focal plane", "none".
QString focal35FromText(Focal35From from);

// One file's values as the tables label them, "" where nothing was read.
struct FileLabels
{
    PictureOutcome outcome = PictureOutcome::Unreadable;
    QString make;
    QString model;
    QString lens;
    QString focalLength;
    QString focalLength35mm; // "Unknown" for a usable picture without one
    Focal35From focal35From = Focal35From::None;
    QString aperture;
    QString iso;
    QString exposureTime;
    QString taken; // YYYY-MM-DD
    int messages = 0;
};

// What became of each file of an analysis and what was read from it, some 40 bytes a file:
// the texts are kept once each, the date as a number.
class FileRecords
{
public:
    // Keeps the outcome and values of the file at a file-list index.
    void record(int index, PictureOutcome outcome, const PictureValues& values);
    // The number of places, analysed or not: one past the highest index recorded.
    int size() const { return int(records.size()); }
    // True when the file at index was recorded (a stopped run leaves some out).
    bool recorded(int index) const;
    // The file's values as the tables label them; only for a recorded index.
    FileLabels labels(int index) const;
    void clear();

private:
    struct Record
    {
        float focalLength = 0;
        float focalLength35mm = 0;
        float aperture = 0;
        float iso = 0;
        float exposureTime = 0;
        quint32 make = 0; // indexes into texts
        quint32 model = 0;
        quint32 lens = 0;
        qint32 taken = 0; // YYYYMMDD, 0 without a date
        quint16 messages = 0;
        quint8 outcome = 0; // PictureOutcome + 1; 0 when not recorded
        Focal35From focal35From = Focal35From::None;
    };
    quint32 textId(const QString& text);

    std::vector<Record> records;
    QStringList texts{QString()};
    QHash<QString, quint32> textIds;
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
    int leftOutFolders = 0;      // folders the exclusion patterns kept the walk out of
    int leftOutFiles = 0;        // files of the ticked formats the patterns left out
    // Kept when asked for (EntryReader::keepPictures): the file-list index of each counted
    // picture, in the order the tables got them.
    std::vector<int> countedFiles;
    // Kept when asked for (EntryReader::keepFileRecords): every file, by file-list index.
    FileRecords fileRecords;
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

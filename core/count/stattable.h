// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_STATTABLE_H
#define LENSTALLY_STATTABLE_H

#include <QString>
#include <QtGlobal>

#include <map>
#include <vector>

// One row of a statistics table: a distinct value and how often it occurred.
struct StatRow
{
    QString label;     // made once, from the first value that created the row
    qint64 key = 0;    // numeric sort key (tenths, or microseconds); 0 for text rows
    int count = 0;     // values counted in this row
    float percent = 0; // share of the table's total, set by computePercents
    int id = 0;        // the row's place in creation order, kept through sorts
};

// Counts how often each distinct value of one picture property occurs.
// Rows keep creation order until a sort; add only between clear() and the first sort.
class StatTable
{
public:
    StatTable() = default;
    StatTable(const StatTable&) = delete;
    StatTable& operator=(const StatTable&) = delete;

    // Empties the table: no rows, no index entries, total 0.
    void clear();

    // Counts a value given in tenths; a new row is labelled "2.8" or "50".
    void addTenths(qint64 tenths);
    // Counts a number, rounded half away from zero to tenths.
    void addNumber(float value);
    // Counts an exposure time in seconds in the row of its label ("1/100"), whose key is
    // the time the label states in whole microseconds.
    void addExposureTime(float seconds);
    // Counts a value by its key; a new row takes label.
    void addKeyed(qint64 key, const QString& label);
    // Counts a text value; rows differ by exact, case-sensitive text.
    void addText(const QString& text);
    // Counts a value that is not known in the row "Unknown", whose key 0 sorts it before
    // every value (a number row of key 0 stays a row of its own).
    void addUnknown();

    // Makes the table remember which row each value went to (off after clear()).
    void trackValues() { tracking = true; }
    // With tracking: the places, in the order added, of the values counted in the row
    // whose id is given; empty without tracking.
    std::vector<int> valuesOfRow(int id) const;
    // With tracking: the row id of every value, in the order added; empty without.
    const std::vector<int>& valueRows() const { return rowOfValue; }
    // Makes the table hold exactly these rows, as computed elsewhere: the total is the sum
    // of their counts, nothing is tracked, and only sorts and computePercents may follow.
    void setRows(std::vector<StatRow> computed);

    // Sets every row's percent to count * 100 / total.
    void computePercents();
    // Stable sort by key, then by label (UTF-16 order).
    void sortByValue();
    // Stable sort by count, most first; equal counts keep their order.
    void sortByCount();

    // Number of rows.
    unsigned rowCount() const { return unsigned(rows.size()); }
    // The row at index, or null past the end; valid until the next add, sort or clear.
    const StatRow* row(unsigned index) const;
    // Values counted since the last clear.
    int total() const { return totalCount; }

private:
    // Counts the value in its existing row; false when there is none yet.
    bool countExisting(qint64 key);
    void appendNumberRow(qint64 key, const QString& label);

    std::vector<StatRow> rows;
    std::map<qint64, int> numberIndex;
    std::map<QString, int> textIndex;     // text rows, and exposure rows by label
    std::map<quint32, int> exposureIndex; // an exposure time's float bits -> its row
    int totalCount = 0;
    bool tracking = false;
    std::vector<int> rowOfValue; // with tracking: the row id of each value, in the order added
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/stattable.h"

#include "core/count/numberformat.h"

#include <algorithm>
#include <cstring>
#include <utility>

void StatTable::clear()
{
    rows.clear();
    numberIndex.clear();
    textIndex.clear();
    exposureIndex.clear();
    totalCount = 0;
    tracking = false;
    rowOfValue.clear();
}

bool StatTable::countExisting(qint64 key)
{
    const auto it = numberIndex.find(key);
    if (it == numberIndex.end())
        return false;
    ++rows[size_t(it->second)].count;
    ++totalCount;
    if (tracking)
        rowOfValue.push_back(it->second);
    return true;
}

void StatTable::appendNumberRow(qint64 key, const QString& label)
{
    const int id = int(rows.size());
    numberIndex.emplace(key, id);
    rows.push_back(StatRow{label, key, 1, 0.0f, id});
    ++totalCount;
    if (tracking)
        rowOfValue.push_back(id);
}

void StatTable::addTenths(qint64 tenths)
{
    if (!countExisting(tenths))
        appendNumberRow(tenths, tenthsLabel(tenths));
}

void StatTable::addNumber(float value)
{
    addTenths(roundHalfAway(double(value) * 10.0));
}

void StatTable::addExposureTime(float seconds)
{
    // Rows are the labels: times that print alike are one row, which sorts by the time its
    // label states. Each distinct float is labelled once.
    quint32 bits;
    static_assert(sizeof bits == sizeof seconds);
    std::memcpy(&bits, &seconds, sizeof bits);
    const auto known = exposureIndex.find(bits);
    int id;
    if (known != exposureIndex.end()) {
        id = known->second;
        ++rows[size_t(id)].count;
    } else {
        const QString label = exposureLabel(double(seconds));
        const auto it = textIndex.find(label);
        if (it != textIndex.end()) {
            id = it->second;
            ++rows[size_t(id)].count;
        } else {
            id = int(rows.size());
            textIndex.emplace(label, id);
            rows.push_back(StatRow{label, exposureMicroseconds(double(seconds)), 1, 0.0f, id});
        }
        exposureIndex.emplace(bits, id);
    }
    ++totalCount;
    if (tracking)
        rowOfValue.push_back(id);
}

void StatTable::addKeyed(qint64 key, const QString& label)
{
    if (!countExisting(key))
        appendNumberRow(key, label);
}

void StatTable::addText(const QString& text)
{
    const auto it = textIndex.find(text);
    int id;
    if (it != textIndex.end()) {
        id = it->second;
        ++rows[size_t(id)].count;
    } else {
        id = int(rows.size());
        textIndex.emplace(text, id);
        rows.push_back(StatRow{text, 0, 1, 0.0f, id});
    }
    ++totalCount;
    if (tracking)
        rowOfValue.push_back(id);
}

void StatTable::addUnknown()
{
    // Kept among the text rows: an exposure row is found by its label, a number row by its
    // key, and neither is ever labelled "Unknown".
    addText(QStringLiteral("Unknown"));
}

void StatTable::computePercents()
{
    if (rows.empty())
        return;
    for (StatRow& r : rows)
        r.percent = float(double(qint64(r.count) * 100) / double(totalCount));
}

void StatTable::sortByValue()
{
    std::stable_sort(rows.begin(), rows.end(), [](const StatRow& a, const StatRow& b) {
        if (a.key != b.key)
            return a.key < b.key;
        return a.label < b.label;
    });
}

void StatTable::sortByCount()
{
    std::stable_sort(rows.begin(), rows.end(),
                     [](const StatRow& a, const StatRow& b) { return a.count > b.count; });
}

std::vector<int> StatTable::valuesOfRow(int id) const
{
    std::vector<int> places;
    for (size_t i = 0; i < rowOfValue.size(); ++i) {
        if (rowOfValue[i] == id)
            places.push_back(int(i));
    }
    return places;
}

void StatTable::setRows(std::vector<StatRow> computed)
{
    clear();
    rows = std::move(computed);
    for (const StatRow& r : rows)
        totalCount += r.count;
}

const StatRow* StatTable::row(unsigned index) const
{
    return index < rows.size() ? &rows[index] : nullptr;
}

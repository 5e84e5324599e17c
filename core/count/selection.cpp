// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/selection.h"

#include <algorithm>
#include <utility>

namespace {

struct KindNames
{
    StatKind kind;
    const char* name;
    const char* title;
};

const KindNames kindNames[StatKindCount] = {
    {FocalLength, "focal-length", "Focal length"},
    {FocalLength35mm, "focal-length-35mm", "Focal length (35 mm)"},
    {Aperture, "aperture", "Aperture"},
    {Iso, "iso", "ISO"},
    {ExposureTime, "exposure-time", "Exposure time"},
    {Camera, "camera", "Camera"},
    {Lens, "lens", "Lens"},
    {Year, "year", "Year"},
};

// A row's label as the tables print it: the 35 mm table's "0" row is "Unknown" there.
QString printedLabel(StatKind kind, const QString& label)
{
    if (kind == FocalLength35mm && label == QLatin1String("0"))
        return QStringLiteral("Unknown");
    return label;
}

// The highest row id of a table plus one: the size of an array indexed by row id.
size_t idRange(const StatTable& table)
{
    int top = 0;
    for (unsigned i = 0; i < table.rowCount(); ++i)
        top = std::max(top, table.row(i)->id + 1);
    return size_t(top);
}

} // namespace

bool Selection::isEmpty() const
{
    for (const QStringList& labels : chosen) {
        if (!labels.isEmpty())
            return false;
    }
    return true;
}

void Selection::setLabels(StatKind kind, const QStringList& labels)
{
    QStringList& part = chosen[size_t(kind)];
    part.clear();
    for (const QString& label : labels)
        add(kind, label);
}

void Selection::add(StatKind kind, const QString& label)
{
    QStringList& part = chosen[size_t(kind)];
    if (!part.contains(label))
        part.append(label);
}

void Selection::clear()
{
    for (QStringList& labels : chosen)
        labels.clear();
}

QString Selection::describe() const
{
    QStringList parts;
    for (int kind = 0; kind < StatKindCount; ++kind) {
        const QStringList& labels = chosen[size_t(kind)];
        if (!labels.isEmpty())
            parts.append(selectionKindTitle(StatKind(kind)) + QStringLiteral(" is ") +
                         labels.join(QStringLiteral(" or ")));
    }
    return parts.join(QStringLiteral("; "));
}

QString selectionKindTitle(StatKind kind)
{
    return QString::fromLatin1(kindNames[size_t(kind)].title);
}

QString selectionKindName(StatKind kind)
{
    return QString::fromLatin1(kindNames[size_t(kind)].name);
}

std::optional<StatKind> selectionKindFromName(const QString& name)
{
    for (const KindNames& k : kindNames) {
        if (name == QLatin1String(k.name))
            return k.kind;
    }
    return std::nullopt;
}

std::vector<int> SelectedPictures::places() const
{
    std::vector<int> chosen;
    chosen.reserve(size_t(selected));
    for (int place = 0; place < counted; ++place) {
        if (isSelected(place))
            chosen.push_back(place);
    }
    return chosen;
}

SelectedPictures selectPictures(const ConstTableSet& tables, const Selection& selection)
{
    SelectedPictures pictures;
    pictures.counted = int(tables[0]->valueRows().size());
    if (selection.isEmpty()) {
        pictures.counted = tables[0]->total();
        pictures.selected = pictures.counted;
        return pictures;
    }
    pictures.missed.assign(size_t(pictures.counted), 0);
    for (int kind = 0; kind < StatKindCount; ++kind) {
        const QStringList& labels = selection.labels(StatKind(kind));
        if (labels.isEmpty())
            continue;
        const StatTable& table = *tables[size_t(kind)];
        // Chosen row ids as a lookup table: one array read per picture.
        std::vector<char> chosenRow(idRange(table), 0);
        for (const QString& label : labels) {
            bool found = false;
            for (unsigned i = 0; i < table.rowCount(); ++i) {
                const StatRow* row = table.row(i);
                if (printedLabel(StatKind(kind), row->label) == label) {
                    chosenRow[size_t(row->id)] = 1;
                    found = true;
                }
            }
            if (!found)
                pictures.unmatched.append(selectionKindTitle(StatKind(kind)) + QLatin1Char(' ') +
                                          label);
        }
        const quint8 bit = quint8(1u << kind);
        const std::vector<int>& rowOf = table.valueRows();
        const size_t n = std::min(rowOf.size(), pictures.missed.size());
        for (size_t place = 0; place < n; ++place) {
            if (!chosenRow[size_t(rowOf[place])])
                pictures.missed[place] |= bit;
        }
    }
    for (quint8 m : pictures.missed)
        pictures.selected += m == 0;
    return pictures;
}

void tabulateSelection(const ConstTableSet& tables, const Selection& selection,
                       const SelectedPictures& pictures, std::array<StatTable, StatKindCount>& out,
                       bool keepOwnRows)
{
    std::vector<int> counts;
    for (int kind = 0; kind < StatKindCount; ++kind) {
        const StatTable& table = *tables[size_t(kind)];
        const bool ownRows = keepOwnRows && !selection.labels(StatKind(kind)).isEmpty();
        // A picture counts here when it misses no table's part, or only this table's own.
        const quint8 ignored = ownRows ? quint8(1u << kind) : quint8(0);
        counts.assign(idRange(table), 0);
        const std::vector<int>& rowOf = table.valueRows();
        if (pictures.missed.empty()) {
            for (int id : rowOf)
                ++counts[size_t(id)];
        } else {
            const size_t n = std::min(rowOf.size(), pictures.missed.size());
            for (size_t place = 0; place < n; ++place) {
                if ((pictures.missed[place] & ~ignored) == 0)
                    ++counts[size_t(rowOf[place])];
            }
        }
        int total = 0;
        for (int c : counts)
            total += c;
        std::vector<StatRow> rows;
        rows.reserve(table.rowCount());
        for (unsigned i = 0; i < table.rowCount(); ++i) {
            StatRow row = *table.row(i);
            row.count = counts[size_t(row.id)];
            if (row.count == 0 && !ownRows)
                continue;
            row.percent = total > 0 ? float(double(qint64(row.count) * 100) / double(total)) : 0;
            rows.push_back(std::move(row));
        }
        out[size_t(kind)].setRows(std::move(rows));
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_SELECTION_H
#define LENSTALLY_SELECTION_H

// Drilling down: a set of table rows that narrows every table to the pictures counted in
// them, worked out from the row each counted picture went to in each table, never from
// the files.

#include "core/count/statkind.h"
#include "core/count/stattable.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

// The tables a selection reads, by StatKind; each must have tracked its values and have
// got one value per counted picture, as addToTables gives them.
using ConstTableSet = std::array<const StatTable*, StatKindCount>;

// Rows chosen by their labels as the tables print them ("Unknown" included), per table. A
// picture is selected when, for every table with chosen labels, it is counted in one of
// them: OR within a table, AND across tables.
class Selection
{
public:
    // True when no label is chosen: every counted picture is selected.
    bool isEmpty() const;
    // The chosen labels of a table, in the order they were chosen.
    const QStringList& labels(StatKind kind) const { return chosen[size_t(kind)]; }
    // Replaces a table's chosen labels (duplicates dropped); empty clears the table's part.
    void setLabels(StatKind kind, const QStringList& labels);
    // Adds a label to a table's part, unless already there.
    void add(StatKind kind, const QString& label);
    // Chooses no label at all.
    void clear();
    // "Lens is RF24-105mm F4 L IS USM; Year is 2023 or 2024": the parts in StatKind order,
    // labels in the order chosen; "" when empty.
    QString describe() const;

    bool operator==(const Selection& other) const { return chosen == other.chosen; }
    bool operator!=(const Selection& other) const { return !(*this == other); }

private:
    std::array<QStringList, StatKindCount> chosen;
};

// A table's name in a selection's description and in --where: "Focal length",
// "Focal length (35 mm)", "Aperture", "ISO", "Exposure time", "Camera", "Lens", "Year".
QString selectionKindTitle(StatKind kind);
// The --where name of a table: "focal-length", "focal-length-35mm", "aperture", "iso",
// "exposure-time", "camera", "lens", "year".
QString selectionKindName(StatKind kind);
// The table of a --where name, or nothing for a name that is not one.
std::optional<StatKind> selectionKindFromName(const QString& name);

// Which counted pictures a selection takes, by their place in the order counted.
struct SelectedPictures
{
    // One byte per counted picture: bit k set when the picture is not in table k's
    // chosen rows (0 for a selected picture).
    std::vector<quint8> missed;
    int selected = 0; // pictures with no bit set
    int counted = 0;  // every counted picture
    // The chosen labels that name no row with a counted picture, as "Lens RF 24-105".
    QStringList unmatched;

    // True when the picture at a place is selected.
    bool isSelected(int place) const { return missed.empty() || missed[size_t(place)] == 0; }
    // The places of the selected pictures, in order.
    std::vector<int> places() const;
};

// Works out which counted pictures of the tables a selection takes; with an empty
// selection every picture, without a per-picture vector.
SelectedPictures selectPictures(const ConstTableSet& tables, const Selection& selection);

// Fills out[k] with table k's rows counted over the selected pictures only, as computed
// rows with their percents of the selected total, in the table's current row order; a
// row without a selected picture is left out. With keepOwnRows, a table that has chosen
// labels is instead counted over the pictures the other tables' parts select and keeps
// every row, those without a picture at 0: its rows stay there to be chosen.
void tabulateSelection(const ConstTableSet& tables, const Selection& selection,
                       const SelectedPictures& pictures, std::array<StatTable, StatKindCount>& out,
                       bool keepOwnRows = false);

#endif

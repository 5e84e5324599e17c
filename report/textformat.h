// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_TEXTFORMAT_H
#define LENSTALLY_TEXTFORMAT_H

// Pure formatting of the report's plain-text tables.

#include <QList>
#include <QString>
#include <QStringList>

#include "core/count/statkind.h"

class StatTable;
struct Insights;

enum class ColumnAlign
{
    Left,
    Right
};

// The rows as lines, each cell padded to its column's widest cell (in UTF-16 units) and
// cells joined by two spaces; a row with fewer cells than aligns is padded with empty
// cells. No line ends in a space.
QStringList alignColumns(const QList<QStringList>& rows, const QList<ColumnAlign>& aligns);

// The text with every control character (C0, DEL, C1) replaced by U+FFFD, so that a
// tag cannot move the cursor or recolour the terminal.
QString printableText(const QString& text);

// One table as printed: the title, the heading line (valueHeading, "Pictures", "%"), then
// one line per row in the table's current order, labelled as displayLabel does for the
// kind. Every line ends in "\n".
QString tableText(const QString& title, const QString& valueHeading, const StatTable& table,
                  StatKind kind);

// The insights as printed after the tables: "Focal coverage" and a line per share (or
// that no picture has a known 35 mm focal length), then "Lens usage" with its columns
// aligned as the tables' are. Every line ends in "\n".
QString insightsText(const Insights& insights);

#endif

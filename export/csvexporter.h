// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_CSVEXPORTER_H
#define LENSTALLY_CSVEXPORTER_H

#include "core/count/statkind.h"
#include "export/exporter.h"

#include <QString>

#include <optional>

struct StatRow;

// Comma-separated values after RFC 4180, UTF-8 without byte-order mark, every line
// ending in CR LF: the header "Table,Value,Number,Pictures,Percent", then one line per
// row of every section: the section's title, the row's label as displayed, the value as
// a plain number (see number()), its count and its percent with two decimals. Sections
// without rows write no line.
class CSVExporter : public Exporter
{
public:
    // Touches no file until write().
    explicit CSVExporter(const QString& fileName);

    bool write() override;
    bool writeTo(QIODevice* device) override;

    // The text as one field: a leading "=", "+", "-", "@", tab or CR gets an apostrophe
    // before it, so that a spreadsheet does not take it for a formula; then the field is
    // quoted, its quotes doubled, when it holds a comma, quote, CR or LF.
    static QString field(const QString& text);

    // A row's value as a number a spreadsheet reads as one, where the label ("1/30") may
    // be taken for a date: millimetres, f-number or ISO ("2.8", "50"), seconds for an
    // exposure time ("0.033333"), the year; "" for text tables, Unknown and non-tables.
    static QString number(std::optional<StatKind> kind, const StatRow& row);

private:
    QString fileName;
};

#endif

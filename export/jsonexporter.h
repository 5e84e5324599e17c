// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_JSONEXPORTER_H
#define LENSTALLY_JSONEXPORTER_H

#include "export/exporter.h"

#include <QString>

// One JSON object (RFC 8259), UTF-8, lines ending in LF, keys in a fixed order:
// "program", "version", "folder", "settings", "totals", then "tables", one object per
// section with "kind", "title", "heading", "total" and "rows" in the table's order, each
// row {"label", "key", "count", "percent"}; percent has exactly two decimals. The totals
// carry "pairDuplicates" and "outsideDates" only when the request uses those options.
class JSONExporter : public Exporter
{
public:
    // Touches no file until write().
    explicit JSONExporter(const QString& fileName);

    bool write() override;
    bool writeTo(QIODevice* device) override;

    // The text as a JSON string, quotes included: quote and backslash escaped, control
    // characters as \n, \r, \t, \b, \f or \u00XX, U+2028 and U+2029 as \u escapes.
    static QString string(const QString& text);

private:
    QString fileName;
};

#endif

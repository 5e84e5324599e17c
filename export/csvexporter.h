// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_CSVEXPORTER_H
#define LENSTALLY_CSVEXPORTER_H

#include "export/exporter.h"

#include <QString>

// Comma-separated values after RFC 4180, UTF-8 without byte-order mark, every line
// ending in CR LF: the header "Table,Value,Pictures,Percent", then one line per row of
// every section: the section's title, the row's label as displayed, its count and its
// percent with two decimals. Sections without rows write no line.
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

private:
    QString fileName;
};

#endif

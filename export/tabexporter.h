// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_TABEXPORTER_H
#define LENSTALLY_TABEXPORTER_H

#include "export/exporter.h"

#include <QString>

// Tab-separated text, UTF-8 without byte-order mark, every line ending in CR LF:
//   Lenstally
//   then per section: <value heading> TAB Pictures TAB %
//   then per row:     <label> TAB <count> TAB <percent, two decimals>
// Section titles are not written; a tab, CR or LF inside a heading or label becomes a
// space, so that every row has exactly three fields.
class TABExporter : public Exporter
{
public:
    // Touches no file until write().
    explicit TABExporter(const QString& fileName);

    bool write() override;
    bool writeTo(QIODevice* device) override;

    // The text as one field: tabs, carriage returns and line feeds made spaces.
    static QString field(const QString& text);

private:
    QString fileName;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_HTMLEXPORTER_H
#define LENSTALLY_HTMLEXPORTER_H

#include "export/exporter.h"

#include <QString>

// One self-contained HTML page, UTF-8 without byte-order mark: a small style sheet, the
// heading "Lenstally", then per section an <h2> title and a table with the value heading,
// "Pictures" and "%" columns. Lines end in CR LF except the final "</html>".
// Titles, headings and labels are HTML-escaped, so no camera name can inject markup.
class HTMLExporter : public Exporter
{
public:
    // Touches no file until write().
    explicit HTMLExporter(const QString& fileName);

    bool write() override;
    bool writeTo(QIODevice* device) override;

private:
    QString fileName;
};

#endif

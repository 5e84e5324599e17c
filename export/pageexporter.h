// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_PAGEEXPORTER_H
#define LENSTALLY_PAGEEXPORTER_H

#include "export/exporter.h"

#include <QString>

// The report page: one self-contained HTML5 document, UTF-8 without byte-order mark,
// lines ending in LF, with inline style sheet (screen, narrow screen and print), no
// script and nothing fetched. It shows the folder, the date, the settings and what became
// of the files, then per section a heading, a horizontal bar chart as inline SVG (one bar
// per row by share, at most chartRows of the largest rows, the rest counted below it) and
// the table; a chart shortens labels beyond 40 characters with an ellipsis. Every text
// from the context or the tables is escaped; control characters become U+FFFD.
class PageExporter : public Exporter
{
public:
    // The most rows a chart shows.
    static constexpr unsigned chartRows = 25;

    // Touches no file until write().
    explicit PageExporter(const QString& fileName);

    bool write() override;
    bool writeTo(QIODevice* device) override;

    // The text escaped for HTML text and attribute values; control characters other than
    // tab, LF and CR, and the non-characters U+FFFE and U+FFFF, become U+FFFD.
    static QString escaped(const QString& text);

private:
    QString fileName;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/htmlexporter.h"

#include "core/count/numberformat.h"
#include "core/count/stattable.h"

#include <QTextStream>

HTMLExporter::HTMLExporter(const QString& fileName) : fileName(fileName) {}

bool HTMLExporter::write()
{
    return saveAs(fileName);
}

bool HTMLExporter::writeTo(QIODevice* device)
{
    QTextStream out(device);
    out << "<html>\r\n"
           "<style type=\"text/css\">\r\n"
           "table {border-width: 1px; border-style: solid; border-collapse: collapse;}\r\n"
           "th {width: 5em; border-width: 1px; border-style: solid;}\r\n"
           "td {width: 5em; border-width: 1px; border-style: dotted;}\r\n"
           "</style>\r\n"
           "<h1>Lenstally</h1>\r\n";
    for (const ExportSection& section : sections) {
        out << "<h2>" << section.title.toHtmlEscaped() << "</h2>\r\n";
        out << "<table><tr><th>" << section.valueHeading.toHtmlEscaped()
            << "</th><th>Pictures</th><th>%</th></tr>\r\n";
        const unsigned rows = section.table ? section.table->rowCount() : 0;
        for (unsigned i = 0; i < rows; ++i) {
            const StatRow* row = section.table->row(i);
            out << "<tr><td><b>" << row->label.toHtmlEscaped() << "</b></td>\r\n";
            out << "<td align=\"center\">" << QString::number(row->count) << "</td>\r\n";
            out << "<td align=\"center\">" << percentText(row->percent) << "</td></tr>\r\n";
        }
        out << "</table>\r\n";
    }
    out << "</html>";
    out.flush();
    return out.status() == QTextStream::Ok;
}

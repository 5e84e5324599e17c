// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/tabexporter.h"

#include "core/count/numberformat.h"
#include "core/count/stattable.h"

#include <QTextStream>

QString TABExporter::field(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return out;
}

TABExporter::TABExporter(const QString& fileName) : fileName(fileName) {}

bool TABExporter::write()
{
    return saveAs(fileName);
}

bool TABExporter::writeTo(QIODevice* device)
{
    QTextStream out(device);
    out << "Lenstally\r\n";
    for (const ExportSection& section : sections) {
        out << field(section.valueHeading) << "\tPictures\t%\r\n";
        const unsigned rows = section.table ? section.table->rowCount() : 0;
        for (unsigned i = 0; i < rows; ++i) {
            const StatRow* row = section.table->row(i);
            out << field(row->label) << '\t' << QString::number(row->count) << '\t'
                << percentText(row->percent) << "\r\n";
        }
    }
    out.flush();
    return out.status() == QTextStream::Ok;
}

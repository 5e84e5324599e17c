#include "export/tabexporter.h"

#include "analysis/numberformat.h"
#include "analysis/stattable.h"

#include <QTextStream>

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
        out << section.valueHeading << "\tPictures\t%\r\n";
        const unsigned rows = section.table ? section.table->rowCount() : 0;
        for (unsigned i = 0; i < rows; ++i) {
            const StatRow* row = section.table->row(i);
            out << row->label << '\t' << QString::number(row->count) << '\t'
                << percentText(row->percent) << "\r\n";
        }
    }
    out.flush();
    return out.status() == QTextStream::Ok;
}

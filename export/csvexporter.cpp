// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/csvexporter.h"

#include "core/count/numberformat.h"
#include "core/count/stattable.h"
#include "core/session/analysisresult.h"

#include <QIODevice>

QString CSVExporter::field(const QString& text)
{
    QString out = text;
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!out.isEmpty() && formulaStarts.contains(out.front()))
        out.prepend(QLatin1Char('\''));
    if (out.contains(QLatin1Char(',')) || out.contains(QLatin1Char('"')) ||
        out.contains(QLatin1Char('\r')) || out.contains(QLatin1Char('\n'))) {
        out.replace(QLatin1Char('"'), QLatin1String("\"\""));
        out = QLatin1Char('"') + out + QLatin1Char('"');
    }
    return out;
}

QString CSVExporter::number(std::optional<StatKind> kind, const StatRow& row)
{
    if (!kind)
        return QString();
    switch (*kind) {
    case FocalLength:
    case Aperture:
    case Iso:
        return tenthsLabel(row.key);
    case FocalLength35mm:
        return row.key == 0 ? QString() : tenthsLabel(row.key);
    case ExposureTime: {
        // Whole microseconds as exact decimals, not the nearest double.
        QString seconds = QString::number(row.key / 1000000);
        const qint64 fraction = row.key % 1000000;
        if (fraction != 0) {
            seconds +=
                QLatin1Char('.') + QStringLiteral("%1").arg(fraction, 6, 10, QLatin1Char('0'));
            while (seconds.endsWith(QLatin1Char('0')))
                seconds.chop(1);
        }
        return seconds;
    }
    case Year:
        return row.key == 0 ? QString() : QString::number(row.key);
    case Camera:
    case Lens:
        break;
    }
    return QString();
}

CSVExporter::CSVExporter(const QString& fileName) : fileName(fileName) {}

bool CSVExporter::write()
{
    return saveAs(fileName);
}

bool CSVExporter::writeTo(QIODevice* device)
{
    QString text = QStringLiteral("Table,Value,Number,Pictures,Percent\r\n");
    for (const ExportSection& section : sections) {
        const unsigned rows = section.table ? section.table->rowCount() : 0;
        const QString title = field(section.title);
        for (unsigned i = 0; i < rows; ++i) {
            const StatRow* row = section.table->row(i);
            const QString label =
                section.kind ? displayLabel(*section.kind, row->label) : row->label;
            text += title + QLatin1Char(',') + field(label) + QLatin1Char(',') +
                    number(section.kind, *row) + QLatin1Char(',') + QString::number(row->count) +
                    QLatin1Char(',') + percentText(row->percent) + QLatin1String("\r\n");
        }
    }
    const QByteArray bytes = text.toUtf8();
    return device->write(bytes) == bytes.size();
}

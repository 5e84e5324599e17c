// SPDX-License-Identifier: GPL-3.0-or-later
#include "textformat.h"

#include "core/session/analysisresult.h"

#include "core/count/insights.h"
#include "core/count/numberformat.h"
#include "core/count/stattable.h"

#include <algorithm>

QStringList alignColumns(const QList<QStringList>& rows, const QList<ColumnAlign>& aligns)
{
    const int columns = int(aligns.size());
    QList<int> widths(columns, 0);
    for (const QStringList& row : rows) {
        for (int c = 0; c < columns && c < row.size(); ++c)
            widths[c] = std::max(widths[c], int(row[c].size()));
    }
    QStringList lines;
    lines.reserve(rows.size());
    for (const QStringList& row : rows) {
        QString line;
        for (int c = 0; c < columns; ++c) {
            const QString cell = row.value(c);
            if (c > 0)
                line += QLatin1String("  ");
            line += aligns[c] == ColumnAlign::Left ? cell.leftJustified(widths[c])
                                                   : cell.rightJustified(widths[c]);
        }
        // A left-aligned last column pads only to the right.
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        lines.append(line);
    }
    return lines;
}

QString printableText(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f))
            c = QChar(0xfffd);
    }
    return result;
}

QString tableText(const QString& title, const QString& valueHeading, const StatTable& table,
                  StatKind kind)
{
    QList<QStringList> rows;
    rows.append({printableText(valueHeading), QStringLiteral("Pictures"), QStringLiteral("%")});
    for (unsigned i = 0; i < table.rowCount(); ++i) {
        const StatRow* row = table.row(i);
        const QString label = printableText(displayLabel(kind, row->label));
        rows.append({label, QString::number(row->count), percentText(row->percent)});
    }
    QString text = printableText(title) + QLatin1Char('\n');
    const QStringList lines =
        alignColumns(rows, {ColumnAlign::Left, ColumnAlign::Right, ColumnAlign::Right});
    for (const QString& line : lines)
        text += line + QLatin1Char('\n');
    return text;
}

QString insightsText(const Insights& insights)
{
    QString text = QStringLiteral("Focal coverage\n");
    for (const CoverageRange& range : insights.coverage)
        text += coverageLine(range) + QLatin1Char('\n');
    if (insights.coverage.empty())
        text += QStringLiteral("No picture with a known 35 mm focal length\n");
    text += QStringLiteral("\nLens usage\n");
    QList<QStringList> rows{lensUsageHeadings()};
    for (const LensUsage& lens : insights.lenses) {
        QStringList cells = lensUsageCells(lens);
        cells[0] = printableText(cells[0]);
        rows.append(cells);
    }
    QList<ColumnAlign> aligns(rows.constFirst().size(), ColumnAlign::Right);
    aligns[0] = ColumnAlign::Left;
    for (const QString& line : alignColumns(rows, aligns))
        text += line + QLatin1Char('\n');
    return text;
}

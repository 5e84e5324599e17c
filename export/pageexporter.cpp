// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/pageexporter.h"

#include "export/pagestyle.h"

#include "core/count/chartscale.h"
#include "core/count/insights.h"
#include "core/count/numberformat.h"
#include "core/count/stattable.h"

#include <QIODevice>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Chart geometry, in per cent of the chart's width and in pixels down. Short labels
// (numbers, years, exposure times) stand right-aligned in a narrow column before the
// bars; longer ones (cameras, lenses) left-aligned in a wide one, clipped at its end.
constexpr int shortLabel = 7;          // characters
constexpr double shortLabelWidth = 16; // room for "Unknown" on a phone
constexpr double longLabelWidth = 31;
constexpr double barGap = 1.5;
constexpr double valueSpace = 24; // right of the longest bar, for its value
constexpr int chartLabel = 40;    // characters; a longer label ends in an ellipsis
constexpr int rowPitch = 24;
constexpr int barHeight = 16;

QString html(const QString& text)
{
    return PageExporter::escaped(text);
}

QString percentOfWidth(double value)
{
    return QString::number(value, 'f', 2) + QLatin1Char('%');
}

QString plural(int n, const char* one, const char* many)
{
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

QString rowLabel(const ExportSection& section, const StatRow& row)
{
    return section.kind ? displayLabel(*section.kind, row.label) : row.label;
}

// "any", the names, or "all except " the names.
QString filterText(const QString& names, bool except)
{
    if (names.trimmed().isEmpty())
        return QStringLiteral("any");
    return except ? QStringLiteral("all except ") + names : names;
}

QString optionsText(const AnalysisRequest& request)
{
    QStringList options;
    if (request.estimate35mm)
        options << QStringLiteral("35 mm for every camera");
    if (request.pairsOnce)
        options << QStringLiteral("RAW+JPEG pairs once");
    if (request.makerNotes)
        options << QStringLiteral("values from the maker notes");
    if (request.countIncomplete)
        options << QStringLiteral("incomplete pictures counted");
    if (request.hasDateRange()) {
        QString range = QStringLiteral("taken");
        if (request.takenFrom.isValid())
            range += QStringLiteral(" from ") + request.takenFrom.toString(Qt::ISODate);
        if (request.takenUntil.isValid())
            range += QStringLiteral(" until ") + request.takenUntil.toString(Qt::ISODate);
        options << range;
    }
    return options.isEmpty() ? QStringLiteral("none") : options.join(QLatin1String("; "));
}

QString settingsList(const ExportContext& context)
{
    const AnalysisRequest& request = context.request;
    QString when = QStringLiteral("unknown");
    if (context.analysedAt.isValid()) {
        when = QStringLiteral("<time datetime=\"") +
               context.analysedAt.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
               QStringLiteral("\">") +
               context.analysedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm")) +
               QStringLiteral("</time>");
    }
    QStringList formats = formatNames(request);
    for (QString& name : formats)
        name = name.toUpper();
    const auto item = [](const char* term, const QString& definition) {
        return QStringLiteral("<dt>") + QLatin1String(term) + QStringLiteral("</dt><dd>") +
               definition + QStringLiteral("</dd>\n");
    };
    QString folders;
    if (namesEveryFolder(context)) {
        QStringList names;
        for (const QString& folder : context.folders)
            names << html(folder);
        folders = item("Folders", names.join(QLatin1String("<br>"))) +
                  item("Excluded", context.request.exclude.isEmpty()
                                       ? QStringLiteral("none")
                                       : html(context.request.exclude.join(QLatin1String("; "))));
    }
    return QStringLiteral("<dl class=\"settings\">\n") + item("Folder", html(context.folder)) +
           folders + item("Analysed", when) +
           item("Formats",
                formats.isEmpty() ? QStringLiteral("none") : formats.join(QLatin1String(", "))) +
           item("Make", html(filterText(request.makeText, request.exceptMake))) +
           item("Model", html(filterText(request.modelText, request.exceptModel))) +
           item("Counting options", html(optionsText(request))) +
           (context.where.isEmpty() ? QString()
                                    : item("Pictures shown", html(context.where.describe()))) +
           QStringLiteral("</dl>\n");
}

QString outcomesTable(const ExportContext& context)
{
    const OutcomeCounts& o = context.outcomes;
    struct Line
    {
        const char* text;
        int files;
        bool shown;
    };
    const Line lines[] = {
        {"Counted", o.counted, true},
        {"Filtered out", o.filteredOut, true},
        {"Without usable data", o.unusable, true},
        {"Unreadable", o.unreadable, true},
        {"Pair duplicates", o.pairDuplicates, context.request.pairsOnce},
        {"Outside the dates", o.outsideDates, context.request.hasDateRange()},
    };
    QString text = QStringLiteral("<table class=\"outcomes\">\n<thead><tr><th scope=\"col\">"
                                  "Files</th><th scope=\"col\" class=\"num\">Number</th></tr>"
                                  "</thead>\n<tbody>\n");
    for (const Line& line : lines) {
        if (line.shown) {
            text += QStringLiteral("<tr><td>") + QLatin1String(line.text) +
                    QStringLiteral("</td><td class=\"num\">") + QString::number(line.files) +
                    QStringLiteral("</td></tr>\n");
        }
    }
    text += QStringLiteral("<tr class=\"total\"><td>All files</td><td class=\"num\">") +
            QString::number(o.files()) + QStringLiteral("</td></tr>\n</tbody>\n</table>\n");
    return text;
}

// Bars of the rows in order, at most `limit` of them, with the count of the rows it leaves
// out below it.
QString barChart(const ExportSection& section, int number, std::vector<unsigned> order,
                 unsigned limit)
{
    const StatTable& table = *section.table;
    const unsigned shown = std::min<unsigned>(unsigned(order.size()), limit);
    order.resize(shown);

    double largest = 0;
    qsizetype longest = 0;
    for (unsigned i : order) {
        largest = std::max(largest, double(table.row(i)->percent));
        longest = std::max(longest, rowLabel(section, *table.row(i)).size());
    }
    const bool narrow = longest <= shortLabel;
    const double labelWidth = narrow ? shortLabelWidth : longLabelWidth;
    const double barStart = labelWidth + barGap;
    const double barSpan = 100 - barStart - valueSpace;
    const QString labelPlace =
        narrow ? QStringLiteral("x=\"%1\" text-anchor=\"end\"").arg(percentOfWidth(labelWidth))
               : QStringLiteral("x=\"0\"");
    const QString clip = QStringLiteral("clip-%1").arg(number);
    const int height = int(shown) * rowPitch + 4;
    QString text = QStringLiteral("<figure>\n<svg class=\"chart\" width=\"100%\" height=\"%1\" "
                                  "role=\"img\" aria-label=\"%2\">\n")
                       .arg(height)
                       .arg(html(section.title + QStringLiteral(": pictures by share")));
    text += QStringLiteral("<defs><clipPath id=\"%1\"><rect x=\"0\" y=\"0\" width=\"%2\" "
                           "height=\"%3\"/></clipPath></defs>\n")
                .arg(clip, percentOfWidth(labelWidth))
                .arg(height);
    for (unsigned n = 0; n < shown; ++n) {
        const StatRow& row = *table.row(order[n]);
        const QString full = rowLabel(section, row);
        const QString label = html(full);
        QString shortened = full;
        if (shortened.size() > chartLabel) {
            // Not between the halves of a surrogate pair.
            shortened.truncate(chartLabel - (shortened[chartLabel - 2].isHighSurrogate() ? 2 : 1));
            shortened += QChar(0x2026);
        }
        const QString share = percentText(row.percent);
        // Proportional to the share, the largest row spanning the whole bar area; a row
        // that counts stays visible however small its share.
        double width = largest > 0 ? double(row.percent) / largest * barSpan : 0;
        width = std::clamp(width, 0.3, barSpan);
        const int top = int(n) * rowPitch;
        // One pass: a label may hold "%1" itself.
        text += QStringLiteral("<g><title>%1: %2, %3 %</title>\n")
                    .arg(label, plural(row.count, "picture", "pictures"), share);
        text += QStringLiteral("<text class=\"label\" %1 y=\"%2\" clip-path=\"url(#%3)\">"
                               "%4</text>\n")
                    .arg(labelPlace, QString::number(top + 16), clip, html(shortened));
        text += QStringLiteral("<rect class=\"bar\" x=\"%1\" y=\"%2\" width=\"%3\" "
                               "height=\"%4\" rx=\"2\"/>\n")
                    .arg(percentOfWidth(barStart))
                    .arg(top + 4)
                    .arg(percentOfWidth(width))
                    .arg(barHeight);
        text += QStringLiteral("<text class=\"value\" x=\"%1\" dx=\"6\" y=\"%2\">%3 % (%4)</text>"
                               "</g>\n")
                    .arg(percentOfWidth(barStart + width))
                    .arg(top + 16)
                    .arg(share)
                    .arg(row.count);
    }
    text += QStringLiteral("</svg>\n");
    const unsigned left = table.rowCount() - shown;
    if (left == 1)
        text += QStringLiteral("<figcaption>1 more row not shown in the chart</figcaption>\n");
    else if (left > 1)
        text += QStringLiteral("<figcaption>%1 more rows not shown in the chart</figcaption>\n")
                    .arg(left);
    text += QStringLiteral("</figure>\n");
    return text;
}

// Chart geometry of the value charts, in per cent of the width and pixels down.
constexpr int plotTop = 18; // room for the largest count
constexpr int plotHeight = 120;
constexpr int tickSpace = 18;       // below the plot, for the axis labels
constexpr double unknownStart = 90; // the unknown row's bar stands apart, right

// One column of a value chart, with its tool tip.
QString column(const QString& label, const StatRow& row, double centre, double columnWidth,
               int largest)
{
    const int height = std::max(1, int(double(row.count) / largest * plotHeight + 0.5));
    return QStringLiteral("<g><title>%1: %2, %3 %</title><rect class=\"bar\" x=\"%4\" "
                          "y=\"%5\" width=\"%6\" height=\"%7\"/></g>\n")
        .arg(html(label), plural(row.count, "picture", "pictures"), percentText(row.percent),
             percentOfWidth(centre - columnWidth / 2))
        .arg(plotTop + plotHeight - height)
        .arg(percentOfWidth(columnWidth))
        .arg(height);
}

// Every value of a numeric table as a column where its value lies on a logarithmic axis,
// the unknown row apart at the right.
QString valueChart(const ExportSection& section)
{
    const StatTable& table = *section.table;
    const StatKind kind = *section.kind;
    LogAxis axis;
    const bool known = tableAxis(table, &axis);
    const StatRow* unknown = nullptr;
    int largest = 1;
    for (unsigned i = 0; i < table.rowCount(); ++i) {
        largest = std::max(largest, table.row(i)->count);
        if (table.row(i)->key <= 0)
            unknown = table.row(i);
    }
    const double span = unknown ? unknownStart - 4 : 100;
    // Wide where there are few values, thin where there are many.
    const double width = std::clamp(span / (3.0 * table.rowCount()), 0.3, 2.5);
    const int height = plotTop + plotHeight + tickSpace;
    const int base = plotTop + plotHeight;
    QString text = QStringLiteral("<figure>\n<svg class=\"chart\" width=\"100%\" height=\"%1\" "
                                  "role=\"img\" aria-label=\"%2\">\n")
                       .arg(height)
                       .arg(html(section.title + QStringLiteral(": pictures by value")));
    text += QStringLiteral("<text class=\"value\" x=\"0\" y=\"12\">%1</text>\n")
                .arg(plural(largest, "picture", "pictures"));
    text += QStringLiteral("<line class=\"grid\" x1=\"0\" y1=\"%1\" x2=\"100%\" y2=\"%1\"/>\n")
                .arg(base);
    if (known) {
        for (const qint64 key : axisTicks(kind, axis, 0.1)) {
            const QString x = percentOfWidth(axis.position(key) * span);
            text += QStringLiteral("<line class=\"grid\" x1=\"%1\" y1=\"%2\" x2=\"%1\" "
                                   "y2=\"%3\"/><text class=\"tick\" x=\"%1\" y=\"%4\" "
                                   "text-anchor=\"middle\">%5</text>\n")
                        .arg(x)
                        .arg(plotTop)
                        .arg(base + 4)
                        .arg(base + 15)
                        .arg(tickLabel(kind, key));
        }
    }
    for (const unsigned i : chartOrder(table, kind)) {
        const StatRow& row = *table.row(i);
        if (row.key > 0)
            text +=
                column(rowLabel(section, row), row, axis.position(row.key) * span, width, largest);
    }
    if (unknown) {
        const double centre = (unknownStart + 100) / 2;
        text += column(rowLabel(section, *unknown), *unknown, centre, width, largest);
        text += QStringLiteral("<text class=\"tick\" x=\"%1\" y=\"%2\" text-anchor=\"middle\">"
                               "%3</text>\n")
                    .arg(percentOfWidth(centre))
                    .arg(base + 15)
                    .arg(html(rowLabel(section, *unknown)));
    }
    text += QStringLiteral("</svg>\n</figure>\n");
    return text;
}

// The chart a section's table takes: values on their axis, years in order, names ranked.
QString chart(const ExportSection& section, int number)
{
    const StatTable& table = *section.table;
    const StatKind kind = section.kind ? *section.kind : Camera;
    switch (chartForm(kind)) {
    case ChartForm::LogAxis:
        return valueChart(section);
    case ChartForm::InOrder:
        return barChart(section, number, chartOrder(table, kind), table.rowCount());
    case ChartForm::Ranked:
        break;
    }
    return barChart(section, number, chartOrder(table, kind), PageExporter::chartRows);
}

// The insights: the coverage ranges as bands on a logarithmic 35 mm axis from 10 to
// 1000 mm with their lines, then the lens usage table.
QString insightsSection(const Insights& insights)
{
    QString text = QStringLiteral("<section id=\"insights\">\n<h2>Insights</h2>\n");
    if (insights.lenses.empty())
        return text + QStringLiteral("<p class=\"count\">No pictures.</p>\n</section>\n");
    text += QStringLiteral("<h3>Focal coverage</h3>\n");
    if (insights.coverage.empty()) {
        text += QStringLiteral("<p class=\"count\">No picture with a known 35 mm focal "
                               "length.</p>\n");
    } else {
        const LogAxis axis{std::log(100.0), std::log(10000.0)}; // tenths
        constexpr double start = 10;                            // per cent, for "95 %"
        const auto at = [&](qint64 key) { return start + axis.position(key) * (100 - start); };
        const int rows = int(insights.coverage.size());
        const int height = rows * 22 + tickSpace + 4;
        text += QStringLiteral("<figure>\n<svg class=\"chart\" width=\"100%\" height=\"%1\" "
                               "role=\"img\" aria-label=\"Focal coverage on a 35 mm axis\">\n")
                    .arg(height);
        for (const qint64 key : axisTicks(FocalLength35mm, axis, 0.09)) {
            text += QStringLiteral("<line class=\"grid\" x1=\"%1\" y1=\"0\" x2=\"%1\" "
                                   "y2=\"%2\"/><text class=\"tick\" x=\"%1\" y=\"%3\" "
                                   "text-anchor=\"middle\">%4</text>\n")
                        .arg(percentOfWidth(at(key)))
                        .arg(rows * 22 + 2)
                        .arg(rows * 22 + 15)
                        .arg(tenthsLabel(key));
        }
        for (int r = 0; r < rows; ++r) {
            const CoverageRange& range = insights.coverage[size_t(r)];
            const double from = at(range.from), to = at(range.to);
            text += QStringLiteral("<g><title>%1</title><text class=\"label\" x=\"0\" y=\"%2\">"
                                   "%3 %</text><rect class=\"band%3\" x=\"%4\" y=\"%5\" "
                                   "width=\"%6\" height=\"16\" rx=\"2\"/></g>\n")
                        .arg(html(coverageLine(range)))
                        .arg(r * 22 + 14)
                        .arg(range.share)
                        .arg(percentOfWidth(from))
                        .arg(r * 22 + 2)
                        .arg(percentOfWidth(std::max(to - from, 0.4)));
        }
        text += QStringLiteral("</svg>\n</figure>\n<ul class=\"coverage\">\n");
        for (const CoverageRange& range : insights.coverage)
            text += QStringLiteral("<li>") + html(coverageLine(range)) + QStringLiteral("</li>\n");
        text += QStringLiteral("</ul>\n");
    }
    text += QStringLiteral("<h3>Lens usage</h3>\n<div class=\"scroll\">\n<table class=\"lenses\">\n"
                           "<thead><tr>");
    const QStringList headings = lensUsageHeadings();
    for (qsizetype c = 0; c < headings.size(); ++c) {
        text += QStringLiteral("<th scope=\"col\"") + QLatin1String(c ? " class=\"num\">" : ">") +
                html(headings[c]) + QStringLiteral("</th>");
    }
    text += QStringLiteral("</tr></thead>\n<tbody>\n");
    for (const LensUsage& lens : insights.lenses) {
        const QStringList cells = lensUsageCells(lens);
        text += QStringLiteral("<tr>");
        for (qsizetype c = 0; c < cells.size(); ++c) {
            // The favourite with its 35 mm value is the one long cell that may wrap.
            text += QLatin1String(c == 0   ? "<td>"
                                  : c == 6 ? "<td class=\"num wraps\">"
                                           : "<td class=\"num\">") +
                    html(cells[c]) + QStringLiteral("</td>");
        }
        text += QStringLiteral("</tr>\n");
    }
    return text + QStringLiteral("</tbody>\n</table>\n</div>\n</section>\n");
}

QString rowsTable(const ExportSection& section)
{
    const StatTable& table = *section.table;
    QString text = QStringLiteral("<table class=\"rows\">\n<thead><tr><th scope=\"col\">") +
                   html(section.valueHeading) +
                   QStringLiteral("</th><th scope=\"col\" class=\"num\">Pictures</th>"
                                  "<th scope=\"col\" class=\"num\">%</th></tr></thead>\n"
                                  "<tbody>\n");
    for (unsigned i = 0; i < table.rowCount(); ++i) {
        const StatRow& row = *table.row(i);
        text += QStringLiteral("<tr><td>") + html(rowLabel(section, row)) +
                QStringLiteral("</td><td class=\"num\">") + QString::number(row.count) +
                QStringLiteral("</td><td class=\"num\">") + percentText(row.percent) +
                QStringLiteral("</td></tr>\n");
    }
    text += QStringLiteral("</tbody>\n</table>\n");
    return text;
}

} // namespace

QString PageExporter::escaped(const QString& text)
{
    QString clean = text;
    for (QChar& c : clean) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || (u >= 0x7f && u <= 0x9f) ||
            u == 0xfffe || u == 0xffff)
            c = QChar(QChar::ReplacementCharacter);
    }
    return clean.toHtmlEscaped();
}

PageExporter::PageExporter(const QString& fileName) : fileName(fileName) {}

bool PageExporter::write()
{
    return saveAs(fileName);
}

bool PageExporter::writeTo(QIODevice* device)
{
    QString text = QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n"
                                  "<meta charset=\"utf-8\">\n"
                                  "<meta name=\"viewport\" content=\"width=device-width, "
                                  "initial-scale=1\">\n<title>Lenstally");
    if (!context.folder.isEmpty())
        text += QStringLiteral(": ") + html(context.folder);
    text += QStringLiteral("</title>\n") + QLatin1String(pageStyleSheet) +
            QStringLiteral("</head>\n<body>\n<header>\n<h1>Lenstally</h1>\n");
    if (!context.folder.isEmpty())
        text += QStringLiteral("<p class=\"folder\">") + html(context.folder) +
                QStringLiteral("</p>\n");
    text += QStringLiteral("</header>\n<main>\n<section id=\"analysis\">\n<h2>Analysis</h2>\n") +
            settingsList(context) + outcomesTable(context);
    if (!sections.isEmpty()) {
        text += QStringLiteral("<nav aria-label=\"Tables\"><ul>\n"
                               "<li><a href=\"#insights\">Insights</a></li>\n");
        for (qsizetype s = 0; s < sections.size(); ++s) {
            text += QStringLiteral("<li><a href=\"#table-%1\">%2</a></li>\n")
                        .arg(s + 1)
                        .arg(html(sections[s].title));
        }
        text += QStringLiteral("</ul></nav>\n");
    }
    text += QStringLiteral("</section>\n") + insightsSection(context.insights);

    for (qsizetype s = 0; s < sections.size(); ++s) {
        const ExportSection& section = sections[s];
        text += QStringLiteral("<section id=\"table-%1\">\n<h2>%2</h2>\n")
                    .arg(s + 1)
                    .arg(html(section.title));
        if (!section.table || section.table->rowCount() == 0) {
            text += QStringLiteral("<p class=\"count\">No pictures.</p>\n</section>\n");
            continue;
        }
        text += QStringLiteral("<p class=\"count\">") +
                plural(section.table->total(), "picture", "pictures") + QStringLiteral(", ") +
                plural(int(section.table->rowCount()), "row", "rows") + QStringLiteral("</p>\n") +
                chart(section, int(s + 1)) + rowsTable(section) + QStringLiteral("</section>\n");
    }
    text += QStringLiteral("</main>\n<footer>Written by Lenstally ") + programVersion() +
            QStringLiteral("</footer>\n</body>\n</html>\n");
    const QByteArray bytes = text.toUtf8();
    return device->write(bytes) == bytes.size();
}

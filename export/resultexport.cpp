// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/resultexport.h"

#include "export/csvexporter.h"
#include "export/htmlexporter.h"
#include "export/jsonexporter.h"
#include "export/pageexporter.h"
#include "export/tabexporter.h"

#include <QFileInfo>
#include <QRegularExpression>

ExportFormat exportFormatFor(const QString& fileName)
{
    const auto endsWith = [&fileName](const char* ending) {
        return fileName.endsWith(QLatin1String(ending), Qt::CaseInsensitive);
    };
    if (endsWith(".htm"))
        return ExportFormat::Html;
    if (endsWith(".html"))
        return ExportFormat::Page;
    if (endsWith(".csv"))
        return ExportFormat::Csv;
    if (endsWith(".json"))
        return ExportFormat::Json;
    return ExportFormat::Tab;
}

std::unique_ptr<Exporter> makeExporter(ExportFormat format, const QString& fileName)
{
    switch (format) {
    case ExportFormat::Tab:
        break;
    case ExportFormat::Html:
        return std::make_unique<HTMLExporter>(fileName);
    case ExportFormat::Page:
        return std::make_unique<PageExporter>(fileName);
    case ExportFormat::Csv:
        return std::make_unique<CSVExporter>(fileName);
    case ExportFormat::Json:
        return std::make_unique<JSONExporter>(fileName);
    }
    return std::make_unique<TABExporter>(fileName);
}

std::unique_ptr<Exporter> exporterFor(const QString& fileName)
{
    return makeExporter(exportFormatFor(fileName), fileName);
}

QString withFilterSuffix(const QString& fileName, const QString& filter)
{
    if (!QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? fileName + QLatin1Char('.') + match.captured(1) : fileName;
}

QList<ExportSection> allSections(const TableSet& tables)
{
    struct Heading
    {
        const char* title;
        const char* valueHeading;
    };
    // Indexed by StatKind.
    static const Heading headings[StatKindCount] = {
        {"Focal Length", "mm"},
        {"Focal Length (35mm equivalent)", "mm"},
        {"Aperture", "f/"},
        {"ISO", "ISO"},
        {"Exposure Time", "Seconds"},
        {"Camera", "Make & Model"},
        {"Lens", "Lens"},
        {"Year", "Year"},
    };
    QList<ExportSection> sections;
    for (int kind = 0; kind < StatKindCount; ++kind) {
        sections.append(ExportSection{QString::fromLatin1(headings[kind].title),
                                      QString::fromLatin1(headings[kind].valueHeading),
                                      tables[size_t(kind)], StatKind(kind)});
    }
    return sections;
}

QList<ExportSection> resultSections(const TableSet& tables)
{
    return allSections(tables).mid(0, ClassicKindCount);
}

QList<ExportSection> exportSections(ExportFormat format, const TableSet& tables)
{
    if (format == ExportFormat::Tab || format == ExportFormat::Html)
        return resultSections(tables);
    return allSections(tables);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/resultexport.h"

#include "export/htmlexporter.h"
#include "export/tabexporter.h"

#include <QFileInfo>
#include <QRegularExpression>

std::unique_ptr<Exporter> exporterFor(const QString& fileName)
{
    if (fileName.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
        fileName.endsWith(QLatin1String(".html"), Qt::CaseInsensitive))
        return std::make_unique<HTMLExporter>(fileName);
    return std::make_unique<TABExporter>(fileName);
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
                                      tables[size_t(kind)]});
    }
    return sections;
}

QList<ExportSection> resultSections(const TableSet& tables)
{
    return allSections(tables).mid(0, ClassicKindCount);
}

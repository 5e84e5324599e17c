// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_RESULTEXPORT_H
#define LENSTALLY_RESULTEXPORT_H

// How the results of an analysis are exported: which format a file name asks for, and
// which sections the tables make.

#include "core/count/tally.h"
#include "export/exporter.h"

#include <QList>
#include <QString>

#include <memory>

// The export formats; Tab and Html are the classic six-table exports.
enum class ExportFormat
{
    Tab,  // tab-separated text (TABExporter)
    Html, // the ".htm" page (HTMLExporter)
    Page, // the report page with charts (PageExporter)
    Csv,  // comma-separated values (CSVExporter)
    Json, // one JSON document (JSONExporter)
};

// The format a file name asks for by its ending, in any case: ".htm" Html, ".html" Page,
// ".csv" Csv, ".json" Json, anything else (".txt" included) Tab.
ExportFormat exportFormatFor(const QString& fileName);

// A new exporter of the format for the name, with no sections.
std::unique_ptr<Exporter> makeExporter(ExportFormat format, const QString& fileName);

// The exporter for the format the name asks for; the name is used as given, no extension
// is added.
std::unique_ptr<Exporter> exporterFor(const QString& fileName);

// The name with the first "*.ext" pattern of a file dialog's filter ("HTML File (*.htm)")
// appended when the name's last part has no suffix; the name unchanged otherwise.
QString withFilterSuffix(const QString& fileName, const QString& filter);

// The six tables as sections in StatKind order, titled "Focal Length",
// "Focal Length (35mm equivalent)", "Aperture", "ISO", "Exposure Time" and "Camera".
// A null table makes a section without rows.
QList<ExportSection> resultSections(const TableSet& tables);

// Every table as a section in StatKind order: the six of resultSections, then "Lens" and
// "Year"; for the printed report and the richer exports.
QList<ExportSection> allSections(const TableSet& tables);

// The sections a format writes: resultSections for Tab and Html, allSections otherwise.
QList<ExportSection> exportSections(ExportFormat format, const TableSet& tables);

#endif

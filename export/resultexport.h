// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_RESULTEXPORT_H
#define LENSTALLY_RESULTEXPORT_H

// How the results of an analysis are exported: which format a file name asks for, and
// which sections the six tables make.

#include "analysis/pictureanalysis.h"
#include "export/exporter.h"

#include <QList>
#include <QString>

#include <memory>

// An HTMLExporter when the name ends in ".htm" or ".html", in any case; a TABExporter
// otherwise (".txt" included). The name is used as given, no extension is added.
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

#endif

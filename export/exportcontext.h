// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_EXPORTCONTEXT_H
#define LENSTALLY_EXPORTCONTEXT_H

// What the richer exports tell beside the tables: which folder was analysed, when, with
// which settings, and what became of its files.

#include "core/count/insights.h"
#include "core/count/selection.h"
#include "core/session/analysisrequest.h"
#include "core/session/analysisresult.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

struct ExportContext
{
    QString folder;          // the analysed folder, absolute and cleaned
    QStringList folders;     // every analysed folder so, folder first
    QDateTime analysedAt;    // when the analysis ended; invalid when not known
    AnalysisRequest request; // formats, filters, reading threads and counting options
    OutcomeCounts outcomes;
    Selection where; // the rows the exported tables are narrowed to; empty for all pictures
    Insights insights; // of the counted pictures, for the report page and JSON
};

// The context of an analysis of request that ended at analysedAt with outcomes; the
// folder is request.folder made absolute, folders every folder of the request so.
ExportContext makeExportContext(const AnalysisRequest& request, const OutcomeCounts& outcomes,
                                const QDateTime& analysedAt);

// True when the exports name every folder and the patterns: when there is more than one
// folder or something is left out (else they read as they did before either existed).
bool namesEveryFolder(const ExportContext& context);

// The program's version as the build gives it ("1.2").
QString programVersion();

// The ticked formats as lower-case names, in the order jpeg, tiff, raw, heif.
QStringList formatNames(const AnalysisRequest& request);

// The name of a table kind in the JSON export: "focalLength", "focalLength35mm",
// "aperture", "iso", "exposureTime", "camera", "lens", "year".
QString kindName(StatKind kind);

#endif

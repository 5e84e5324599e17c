// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_REPORTRUN_H
#define LENSTALLY_REPORTRUN_H

#include "reportoptions.h"

#include "analysis/analysisresult.h"
#include "export/resultexport.h"

#include <QDateTime>

#include <functional>

class QIODevice;

// One report: the shared start checks and folder walk, the analysis by EntryReader, the
// printed tables, the exports and the summary of what became of every file.
class ReportRun
{
public:
    // out gets the tables (or the export named "-"); err the messages and the progress
    // line; interrupted is polled during the walk and the analysis.
    ReportRun(const ReportOptions& options, QIODevice* out, QIODevice* err,
              std::function<bool()> interrupted);

    // Shows a self-updating progress line on err (for a terminal).
    void setShowProgress(bool show) { showProgress = show; }

    // Runs the report; the result is the process exit status (see exitstatus.h).
    int exec();

private:
    bool analyse(const FileListing& listing);
    // The outcome line and, where it applies, the lines on messages and unread folders.
    void printSummary();
    QString sortedTablesText();
    int exportTo(ExportFormat format, const QString& fileName);
    // Writes an exporter to its file or, for "-", to out; the exit status.
    int writeExport(Exporter* exporter, const QString& fileName);
    // Prints the tables and writes the exports; the exit status.
    int writeResults();
    void message(const QString& text);

    ReportOptions options;
    QIODevice* out;
    QIODevice* err;
    std::function<bool()> interrupted;
    bool showProgress = false;
    AnalysisResult result;
    QDateTime analysedAt; // when the analysis ended
    QStringList messages; // "path: message" lines, for --verbose
    QStringList files;    // the analysed files, in list order
};

#endif

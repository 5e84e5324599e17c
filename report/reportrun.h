// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_REPORTRUN_H
#define LENSTALLY_REPORTRUN_H

#include "reportoptions.h"

#include "core/count/selection.h"
#include "core/session/analysissession.h"
#include "export/resultexport.h"

#include <functional>
#include <optional>

class QIODevice;

// One report: the analysis by an AnalysisSession, the printed tables, the exports and the
// summary of what became of every file.
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
    // Runs the session to its end, showing progress; false when interrupted.
    bool analyse();
    // The outcome line and, where it applies, the lines on messages and unread folders.
    void printSummary();
    QString sortedTablesText();
    int exportTo(ExportFormat format, const QString& fileName);
    // Writes an exporter to its file or, for "-", to out; the exit status.
    int writeExport(Exporter* exporter, const QString& fileName);
    // Prints the tables and writes the exports; the exit status.
    int writeResults();
    void message(const QString& text);
    // --where: narrows the tables to the selected pictures, saying which labels match none.
    void narrowToSelection();
    // The tables printed and exported: the selected pictures' with --where.
    TableSet shownTables();
    // The counted pictures' insights, worked out once.
    const Insights& insights();

    ReportOptions options;
    QIODevice* out;
    QIODevice* err;
    std::function<bool()> interrupted;
    bool showProgress = false;
    AnalysisSession session;
    QStringList messages;           // "path: message" lines, for --verbose
    std::optional<Insights> worked; // insights(), once asked for
    // With --where: the selected pictures' tables, and each file's place in the selection.
    std::array<StatTable, StatKindCount> selectedTables;
    SelectedPictures selected;
    std::vector<int> selectedPlaces; // the selected pictures' places, for the insights
    std::vector<char> selectedFiles; // by file-list index: 1 selected, 0 not
};

#endif

#ifndef LENSTALLY_REPORTRUN_H
#define LENSTALLY_REPORTRUN_H

#include "reportoptions.h"

#include "analysis/statkind.h"
#include "analysis/stattable.h"

#include <array>
#include <functional>

class QIODevice;

// One report: the window's start checks, the folder walk, the analysis by EntryReader,
// the printed tables and the exports.
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
    bool analyse(const QStringList& files);
    QString sortedTablesText();
    int exportTo(bool html, const QString& fileName);
    // The reading threads: --jobs, or one per core.
    int jobs() const;
    void message(const QString& text);

    ReportOptions options;
    QIODevice* out;
    QIODevice* err;
    std::function<bool()> interrupted;
    bool showProgress = false;
    std::array<StatTable, StatKindCount> tables;
};

#endif

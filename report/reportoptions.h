// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_REPORTOPTIONS_H
#define LENSTALLY_REPORTOPTIONS_H

#include "core/count/selection.h"
#include "core/session/analysisrequest.h"

#include <QString>
#include <QStringList>

// What one lenstally-report run is asked to do; the defaults are the window's.
struct ReportOptions
{
    AnalysisRequest analysis; // folder, formats, filters and reading threads
    QString tsvFile;          // empty: none; "-": standard output
    QString htmlFile;         // the ".htm" page
    QString pageFile;         // the report page with charts
    QString csvFile;
    QString jsonFile;
    QString filesFile; // one CSV row per file
    bool byValue = false;
    bool insights = false; // print the focal coverage and the lens usage after the tables
    bool quiet = false;
    bool verbose = false;   // print the library's messages, each with its file's path
    bool exiv2Only = false; // read every picture with Exiv2, never with the fast reader
    Selection where;        // --where: the rows the tables and exports are narrowed to
};

// What the command line asks for.
enum class ParseResult
{
    Run,     // options holds the run
    Help,    // print text (the help) to standard output, status 0
    Version, // print text (the version) to standard output, status 0
    Error,   // print text (the reason and where the help is) to standard error, status 2
};

// Parses arguments (program name first) into options; text is what to print for
// Help, Version and Error.
ParseResult parseReportOptions(const QStringList& arguments, ReportOptions* options, QString* text);

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportrun.h"

#include "exitstatus.h"
#include "progressformat.h"
#include "textformat.h"

#include "export/filelistexporter.h"
#include "export/resultexport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QIODevice>

#include <memory>
#include <utility>

namespace {

const QLatin1String standardOutput("-");
// How the export errors name standard output.
const QString standardOutputName = QStringLiteral("standard output");

} // namespace

ReportRun::ReportRun(const ReportOptions& options, QIODevice* out, QIODevice* err,
                     std::function<bool()> interrupted)
    : options(options), out(out), err(err), interrupted(std::move(interrupted))
{
}

void ReportRun::message(const QString& text)
{
    err->write((text + QLatin1Char('\n')).toUtf8());
}

int ReportRun::exec()
{
    // A target that cannot be written is refused before a long walk and reading, not after.
    for (const QString& fileName : {options.tsvFile, options.htmlFile, options.pageFile,
                                    options.csvFile, options.jsonFile, options.filesFile}) {
        if (fileName.isEmpty() || fileName == standardOutput)
            continue;
        const ExportError error = exportTargetError(fileName);
        if (error != ExportError::None) {
            message(exportErrorMessage(error, fileName));
            return ExitOpenFailed;
        }
    }
    if (!analyse())
        return ExitInterrupted;
    const Refusal refusal = session.refusal();
    if (refusal != Refusal::None) {
        message(refusalLine(refusal, refusedFolder(options.analysis, refusal)));
        return refusalStatus(refusal);
    }
    if (!options.where.isEmpty())
        narrowToSelection();
    const int status = writeResults();
    if (status != ExitInterrupted)
        printSummary();
    return status;
}

int ReportRun::writeResults()
{
    QString text = sortedTablesText();
    if (options.insights)
        text += QLatin1Char('\n') + insightsText(insights());
    // In the order of the options' help; the first failure ends the run.
    const std::pair<ExportFormat, QString> exports[] = {
        {ExportFormat::Tab, options.tsvFile},   {ExportFormat::Html, options.htmlFile},
        {ExportFormat::Page, options.pageFile}, {ExportFormat::Csv, options.csvFile},
        {ExportFormat::Json, options.jsonFile},
    };
    bool exportToOut = false;
    for (const auto& [format, fileName] : exports)
        exportToOut = exportToOut || fileName == standardOutput;
    exportToOut = exportToOut || options.filesFile == standardOutput;
    if (!exportToOut) {
        const QByteArray bytes = text.toUtf8();
        if (out->write(bytes) != bytes.size()) {
            message(exportErrorMessage(ExportError::WriteFailed, standardOutputName));
            return ExitWriteFailed;
        }
    }
    for (const auto& [format, fileName] : exports) {
        if (fileName.isEmpty())
            continue;
        const int status = exportTo(format, fileName);
        if (status != ExitOk)
            return status;
    }
    if (!options.filesFile.isEmpty()) {
        if (interrupted())
            return ExitInterrupted;
        FileListExporter list(options.filesFile, session.files(), session.result().fileRecords);
        if (!options.where.isEmpty())
            list.setSelectedFiles(&selectedFiles);
        return writeExport(&list, options.filesFile);
    }
    return ExitOk;
}

bool ReportRun::analyse()
{
    if (!options.filesFile.isEmpty())
        session.setKeepFileRecords(true);
    // The insights are worked out from the row each picture went to.
    if (!options.where.isEmpty() || options.insights || !options.pageFile.isEmpty() ||
        !options.jsonFile.isEmpty())
        session.setKeepPictures(true);
    if (options.verbose) {
        session.setMessageSink([this](const QString& path, const QStringList& said) {
            for (const QString& line : said)
                messages.append(path + QStringLiteral(": ") + line);
        });
    }
    session.start(options.analysis);
    QElapsedTimer clock;
    bool lineShown = false;
    const auto showLine = [&] {
        const int total = session.fileTotal();
        if (!showProgress || total < 0)
            return;
        if (!lineShown)
            clock.start();
        lineShown = true;
        const qint64 elapsed = clock.elapsed();
        err->write(("\r" + progressLine(session.filesDone(), total, elapsed) + "\033[K").toUtf8());
    };
    // Short waits while the walk runs, so that the line shows as the reading starts.
    while (!session.wait(session.fileTotal() < 0 ? 10 : 100)) {
        if (interrupted()) {
            session.stop();
            session.wait();
            if (lineShown)
                err->write("\r\033[K");
            return false;
        }
        showLine();
    }
    // Even a run shorter than one wait says what it read.
    if (!lineShown && session.refusal() == Refusal::None)
        showLine();
    if (lineShown)
        err->write("\r\033[K");
    // A signal during the last files still stops the run: nothing is printed or exported.
    return !interrupted();
}

void ReportRun::printSummary()
{
    const AnalysisResult& result = session.result();
    if (options.verbose) {
        for (const QString& line : messages)
            message(line);
        for (const QString& folder : result.unlistedFolders)
            message(refusalMessage(Refusal::UnreadableFolder) + QLatin1Char(' ') + folder);
        if (!options.analysis.exclude.isEmpty()) {
            message(QStringLiteral("Left out by --exclude: %1 folders, %2 files")
                        .arg(result.leftOutFolders)
                        .arg(result.leftOutFiles));
        }
    }
    // The cache never changes the results; what went wrong with it is said even when quiet.
    for (const QString& warning : result.cacheWarnings)
        message(QStringLiteral("Warning: ") + warning);
    if (options.quiet)
        return;
    const OutcomeCounts& counts = result.outcomes;
    message(session.summary());
    if (!options.where.isEmpty()) {
        message(QStringLiteral("Showing %1 of %2 counted pictures: %3")
                    .arg(selected.selected)
                    .arg(selected.counted)
                    .arg(options.where.describe()));
    }
    if (counts.withMessages > 0 && !options.verbose) {
        message(QStringLiteral("%1 files drew messages from the picture library; --verbose "
                               "shows them")
                    .arg(counts.withMessages));
    }
    if (!result.unlistedFolders.isEmpty()) {
        message(QStringLiteral("%1 folders could not be read%2")
                    .arg(result.unlistedFolders.size())
                    .arg(options.verbose ? QString() : QStringLiteral("; --verbose names them")));
    }
}

QString ReportRun::sortedTablesText()
{
    const QList<ExportSection> sections = allSections(shownTables());
    // As the window's results display; the tables stay sorted by count for the exports.
    QString text;
    for (int kind = 0; kind < StatKindCount; ++kind) {
        const ExportSection& section = sections[kind];
        const std::function<void(const StatTable&)> print = [&](const StatTable& table) {
            text += tableText(section.title, section.valueHeading, table, StatKind(kind));
        };
        const std::function<void(const StatTable&)> skip = [](const StatTable&) {};
        if (kind > 0)
            text += QLatin1Char('\n');
        showInBothOrders(*shownTables()[size_t(kind)], options.byValue ? print : skip,
                         options.byValue ? skip : print);
    }
    return text;
}

int ReportRun::exportTo(ExportFormat format, const QString& fileName)
{
    if (interrupted())
        return ExitInterrupted;
    // The report picks the format by option, not by the file's name.
    const std::unique_ptr<Exporter> exporter = makeExporter(format, fileName);
    AnalysisResult& result = session.result();
    exporter->sections = exportSections(format, shownTables());
    exporter->context = makeExportContext(options.analysis, result.outcomes, session.finishedAt());
    exporter->context.where = options.where;
    if (format == ExportFormat::Page || format == ExportFormat::Json)
        exporter->context.insights = insights();
    return writeExport(exporter.get(), fileName);
}

const Insights& ReportRun::insights()
{
    if (!worked)
        worked = computeInsights(trackedReadings(
            session.result().tableSet(), options.where.isEmpty() ? nullptr : &selectedPlaces));
    return *worked;
}

int ReportRun::writeExport(Exporter* exporter, const QString& fileName)
{
    if (fileName == standardOutput) {
        if (!exporter->writeTo(out)) {
            message(exportErrorMessage(ExportError::WriteFailed, standardOutputName));
            return ExitWriteFailed;
        }
        return ExitOk;
    }
    if (exporter->write())
        return ExitOk;
    message(exportErrorMessage(exporter->error(), fileName));
    return exporter->error() == ExportError::OpenFailed ? ExitOpenFailed : ExitWriteFailed;
}

void ReportRun::narrowToSelection()
{
    const AnalysisResult& result = session.result();
    ConstTableSet tables{};
    for (int kind = 0; kind < StatKindCount; ++kind)
        tables[size_t(kind)] = &result.table(StatKind(kind));
    selected = selectPictures(tables, options.where);
    tabulateSelection(tables, options.where, selected, selectedTables);
    for (const QString& row : selected.unmatched)
        message(QStringLiteral("No counted picture has ") + row);
    selectedPlaces = selected.places();
    selectedFiles.assign(session.files().size(), 0);
    for (size_t place = 0; place < result.countedFiles.size(); ++place) {
        const int file = result.countedFiles[place];
        if (file >= 0 && size_t(file) < selectedFiles.size())
            selectedFiles[size_t(file)] = selected.isSelected(int(place)) ? 1 : 0;
    }
}

TableSet ReportRun::shownTables()
{
    if (options.where.isEmpty())
        return session.result().tableSet();
    TableSet set{};
    for (int kind = 0; kind < StatKindCount; ++kind)
        set[size_t(kind)] = &selectedTables[size_t(kind)];
    return set;
}

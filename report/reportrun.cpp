// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportrun.h"

#include "exitstatus.h"
#include "progressformat.h"
#include "textformat.h"

#include "analysis/entryreader.h"
#include "export/filelistexporter.h"
#include "export/resultexport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QIODevice>

#include <memory>
#include <utility>

namespace {

const QLatin1String standardOutput("-");

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
    const AnalysisRequest request = options.analysis;
    FileListing listing;
    const Refusal refusal = listRequestFiles(request, &listing);
    if (interrupted())
        return ExitInterrupted;
    if (refusal != Refusal::None) {
        QString text = refusalMessage(refusal);
        if (refusal == Refusal::InvalidFolder || refusal == Refusal::UnreadableFolder)
            text += QStringLiteral(": ") + request.folder;
        message(text);
        return refusalStatus(refusal);
    }
    if (!analyse(listing))
        return ExitInterrupted;
    const int status = writeResults();
    if (status != ExitInterrupted)
        printSummary();
    return status;
}

int ReportRun::writeResults()
{
    const QString text = sortedTablesText();
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
            message(QStringLiteral("Could not write standard output"));
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
        FileListExporter list(options.filesFile, files, result.fileRecords);
        return writeExport(&list, options.filesFile);
    }
    return ExitOk;
}

bool ReportRun::analyse(const FileListing& listing)
{
    files = listing.files;
    result.clear();
    result.unlistedFolders = listing.unlistedFolders;
    QAtomicInt processed;
    EntryReader reader;
    reader.setFiles(&processed, files);
    reader.setWalkedFolders(listing.walkedFolders);
    reader.configure(options.analysis, &result);
    if (!options.filesFile.isEmpty())
        reader.keepFileRecords();
    if (options.verbose) {
        reader.setMessageSink([this](const QString& path, const QStringList& said) {
            for (const QString& line : said)
                messages.append(path + QStringLiteral(": ") + line);
        });
    }

    QElapsedTimer clock;
    clock.start();
    reader.start();
    // The line shows at once, so that even a run shorter than one poll says what it read.
    if (showProgress)
        err->write(("\r" + progressLine(0, files.size(), 0) + "\033[K").toUtf8());
    while (!reader.wait(QDeadlineTimer(100))) {
        if (interrupted()) {
            reader.requestInterruption();
            reader.wait();
            if (showProgress)
                err->write("\r\033[K");
            return false;
        }
        if (showProgress) {
            const QString line =
                progressLine(processed.loadRelaxed(), files.size(), clock.elapsed());
            err->write(("\r" + line + "\033[K").toUtf8());
        }
    }
    if (showProgress)
        err->write("\r\033[K");
    analysedAt = QDateTime::currentDateTime();
    // A signal during the last files still stops the run: nothing is printed or exported.
    return !interrupted();
}

void ReportRun::printSummary()
{
    if (options.verbose) {
        for (const QString& line : messages)
            message(line);
        for (const QString& folder : result.unlistedFolders)
            message(QStringLiteral("Could not read the folder ") + folder);
    }
    // The cache never changes the results; what went wrong with it is said even when quiet.
    for (const QString& warning : result.cacheWarnings)
        message(QStringLiteral("Warning: ") + warning);
    if (options.quiet)
        return;
    const OutcomeCounts& counts = result.outcomes;
    message(counts.summary(options.analysis.pairsOnce, options.analysis.hasDateRange()));
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
    const QList<ExportSection> sections = allSections(result.tableSet());
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
        showInBothOrders(result.table(StatKind(kind)), options.byValue ? print : skip,
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
    exporter->sections = exportSections(format, result.tableSet());
    exporter->context = makeExportContext(options.analysis, result.outcomes, analysedAt);
    return writeExport(exporter.get(), fileName);
}

int ReportRun::writeExport(Exporter* exporter, const QString& fileName)
{
    if (fileName == standardOutput) {
        if (!exporter->writeTo(out)) {
            message(QStringLiteral("Could not write standard output"));
            return ExitWriteFailed;
        }
        return ExitOk;
    }
    if (exporter->write())
        return ExitOk;
    if (exporter->error() == ExportError::OpenFailed) {
        message(QStringLiteral("Could not open ") + fileName);
        return ExitOpenFailed;
    }
    message(QStringLiteral("Could not write ") + fileName);
    return ExitWriteFailed;
}

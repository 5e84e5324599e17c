#include "reportrun.h"

#include "exitstatus.h"
#include "progressformat.h"
#include "textformat.h"

#include "analysis/entryreader.h"
#include "analysis/filecollector.h"
#include "analysis/makefilter.h"
#include "analysis/modelfilter.h"
#include "analysis/namelist.h"
#include "analysis/orderedanalysis.h"
#include "export/htmlexporter.h"
#include "export/resultexport.h"
#include "export/tabexporter.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QIODevice>

#include <memory>

namespace {

const QLatin1String standardOutput("-");

} // namespace

ReportRun::ReportRun(const ReportOptions& options, QIODevice* out, QIODevice* err,
                     std::function<bool()> interrupted)
    : options(options), out(out), err(err), interrupted(std::move(interrupted))
{
}

int ReportRun::jobs() const
{
    return options.jobs > 0 ? options.jobs : defaultJobCount();
}

void ReportRun::message(const QString& text)
{
    err->write((text + QLatin1Char('\n')).toUtf8());
}

int ReportRun::exec()
{
    if (options.folder.trimmed().isEmpty()) {
        message(QStringLiteral("No folder was specified"));
        return ExitNoFolder;
    }
    if (!QDir(options.folder).exists()) {
        message(QStringLiteral("Invalid Folder"));
        return ExitInvalidFolder;
    }
    const QStringList files =
        collectFiles(options.folder, pictureExtensions(options.jpeg, options.tiff, options.raw),
                     jobs());
    if (interrupted())
        return ExitInterrupted;
    if (files.isEmpty()) {
        message(QStringLiteral("No files were found"));
        return ExitNoFiles;
    }
    if (!analyse(files))
        return ExitInterrupted;

    const QString text = sortedTablesText();
    const bool exportToOut =
        options.tsvFile == standardOutput || options.htmlFile == standardOutput;
    if (!exportToOut) {
        const QByteArray bytes = text.toUtf8();
        if (out->write(bytes) != bytes.size()) {
            message(QStringLiteral("Could not write standard output"));
            return ExitWriteFailed;
        }
    }
    if (!options.tsvFile.isEmpty()) {
        const int status = exportTo(false, options.tsvFile);
        if (status != ExitOk)
            return status;
    }
    if (!options.htmlFile.isEmpty())
        return exportTo(true, options.htmlFile);
    return ExitOk;
}

bool ReportRun::analyse(const QStringList& files)
{
    // The window's order: filters for non-empty lists only, the make filter first.
    std::unique_ptr<MakeFilter> makeFilter;
    std::unique_ptr<ModelFilter> modelFilter;
    const QStringList makes = parseNameList(options.makeText);
    const QStringList models = parseNameList(options.modelText);

    QAtomicInt processed;
    EntryReader reader;
    reader.setFiles(&processed, files);
    reader.setJobs(jobs());
    if (!makes.isEmpty()) {
        makeFilter = std::make_unique<MakeFilter>(makes);
        makeFilter->except = options.exceptMake;
        reader.addFilter(makeFilter.get());
    }
    if (!models.isEmpty()) {
        modelFilter = std::make_unique<ModelFilter>(models);
        modelFilter->except = options.exceptModel;
        reader.addFilter(modelFilter.get());
    }
    for (int kind = 0; kind < StatKindCount; ++kind) {
        tables[kind].clear();
        reader.setTable(StatKind(kind), &tables[kind]);
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
    // A signal during the last files still stops the run: nothing is printed or exported.
    return !interrupted();
}

QString ReportRun::sortedTablesText()
{
    TableSet set{};
    for (int kind = 0; kind < StatKindCount; ++kind)
        set[kind] = &tables[kind];
    const QList<ExportSection> sections = resultSections(set);
    // As the window's results display: by value, then by count, and the tables stay so
    // for the exports.
    QString text;
    for (int kind = 0; kind < StatKindCount; ++kind) {
        StatTable& table = tables[kind];
        const ExportSection& section = sections[kind];
        const bool unknownZero = kind == FocalLength35mm;
        if (kind > 0)
            text += QLatin1Char('\n');
        table.sortByValue();
        if (options.byValue)
            text += tableText(section.title, section.valueHeading, table, unknownZero);
        table.sortByCount();
        if (!options.byValue)
            text += tableText(section.title, section.valueHeading, table, unknownZero);
    }
    return text;
}

int ReportRun::exportTo(bool html, const QString& fileName)
{
    if (interrupted())
        return ExitInterrupted;
    TableSet set{};
    for (int kind = 0; kind < StatKindCount; ++kind)
        set[kind] = &tables[kind];
    std::unique_ptr<Exporter> exporter;
    if (html)
        exporter = std::make_unique<HTMLExporter>(fileName);
    else
        exporter = std::make_unique<TABExporter>(fileName);
    exporter->sections = resultSections(set);

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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportoptions.h"

#include "core/cache/readingcache.h"

#include "exitstatus.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>

#include <utility>

namespace {

// One line for the reason and one for where the help is: the whole help would bury the
// reason.
QString usageError(const QString& message)
{
    return message + QStringLiteral("\nTry 'lenstally-report --help' for more information.\n");
}

} // namespace

ParseResult parseReportOptions(const QStringList& arguments, ReportOptions* options, QString* text)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Counts the pictures below FOLDER by focal length, 35 mm focal length, aperture, ISO, "
        "exposure time, camera, lens and year, as the Lenstally window does, and prints the "
        "eight tables."));
    parser.addPositionalArgument(
        QStringLiteral("FOLDER"),
        QStringLiteral("The folder to analyse, with its subfolders; several may be given, and a "
                       "file reached from two of them counts once."),
        QStringLiteral("FOLDER..."));
    const QCommandLineOption jpeg(QStringLiteral("jpeg"), QStringLiteral("Analyse JPEG files."));
    const QCommandLineOption tiff(QStringLiteral("tiff"), QStringLiteral("Analyse TIFF files."));
    const QCommandLineOption raw(QStringLiteral("raw"),
                                 QStringLiteral("Analyse camera RAW files (the default)."));
    const QCommandLineOption heif(QStringLiteral("heif"),
                                  QStringLiteral("Analyse HEIF, HEIC and AVIF files."));
    const QCommandLineOption noRaw(QStringLiteral("no-raw"),
                                   QStringLiteral("Do not analyse camera RAW files."));
    const QCommandLineOption make(QStringLiteral("make"),
                                  QStringLiteral("Only cameras whose make contains one of the "
                                                 "names, separated by \",\" or \";\"."),
                                  QStringLiteral("LIST"));
    const QCommandLineOption exceptMake(QStringLiteral("except-make"),
                                        QStringLiteral("Leave out the makes of --make instead."));
    const QCommandLineOption model(QStringLiteral("model"),
                                   QStringLiteral("Only cameras whose model contains one of the "
                                                  "names, separated by \",\" or \";\"."),
                                   QStringLiteral("LIST"));
    const QCommandLineOption exceptModel(
        QStringLiteral("except-model"), QStringLiteral("Leave out the models of --model instead."));
    const QCommandLineOption tsv(QStringLiteral("tsv"),
                                 QStringLiteral("Also write the tab-separated export to FILE "
                                                "(\"-\": standard output, instead of the tables)."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption html(
        QStringLiteral("html"),
        QStringLiteral("Also write the HTML export to FILE "
                       "(\"-\": standard output, instead of the tables)."),
        QStringLiteral("FILE"));
    const QCommandLineOption page(
        QStringLiteral("page"),
        QStringLiteral("Also write the report page (HTML with charts, settings and outcomes) to "
                       "FILE (\"-\": standard output, instead of the tables)."),
        QStringLiteral("FILE"));
    const QCommandLineOption csv(QStringLiteral("csv"),
                                 QStringLiteral("Also write the eight tables as CSV to FILE "
                                                "(\"-\": standard output, instead of the tables)."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption json(
        QStringLiteral("json"),
        QStringLiteral("Also write settings, outcomes and the eight tables as JSON to FILE "
                       "(\"-\": standard output, instead of the tables)."),
        QStringLiteral("FILE"));
    const QCommandLineOption files(
        QStringLiteral("files"),
        QStringLiteral("Also write one CSV row per file (its outcome and values) to FILE "
                       "(\"-\": standard output, instead of the tables)."),
        QStringLiteral("FILE"));
    const QCommandLineOption byValue(
        QStringLiteral("by-value"), QStringLiteral("Print the tables sorted by value, not share."));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Show no progress line and no summary."));
    const QCommandLineOption verbose(
        QStringLiteral("verbose"),
        QStringLiteral("Print the picture library's messages, each with its file's path, and "
                       "the folders that could not be read."));
    const QCommandLineOption estimate35mm(
        QStringLiteral("estimate-35mm"),
        QStringLiteral("Estimate the 35 mm focal length of any camera from its focal-plane "
                       "tags where the picture does not give it."));
    const QCommandLineOption pairsOnce(
        QStringLiteral("pairs-once"),
        QStringLiteral("Count files of one shot (same folder and name, other extension, e.g. "
                       "RAW and JPEG) once."));
    const QCommandLineOption makerNotes(
        QStringLiteral("maker-notes"),
        QStringLiteral("Take the focal length, f-number, ISO or exposure time from the maker "
                       "notes where the Exif tags do not give it."));
    const QCommandLineOption countIncomplete(
        QStringLiteral("count-incomplete"),
        QStringLiteral("Count pictures with at least one of focal length, f-number, ISO and "
                       "exposure time; each value they lack counts as Unknown."));
    const QCommandLineOption takenFrom(
        QStringLiteral("taken-from"),
        QStringLiteral("Count only pictures taken on or after DATE (YYYY-MM-DD)."),
        QStringLiteral("DATE"));
    const QCommandLineOption takenUntil(
        QStringLiteral("taken-until"),
        QStringLiteral("Count only pictures taken on or before DATE (YYYY-MM-DD)."),
        QStringLiteral("DATE"));
    const QCommandLineOption where(
        QStringLiteral("where"),
        QStringLiteral("Tabulate and export only the pictures counted in the row LABEL of the "
                       "table KIND (focal-length, focal-length-35mm, aperture, iso, "
                       "exposure-time, camera, lens, year), LABEL as the tables print it; "
                       "repeatable: rows of one KIND are OR-ed, KINDs AND-ed."),
        QStringLiteral("KIND=LABEL"));
    const QCommandLineOption jobs(
        QStringLiteral("jobs"), QStringLiteral("Read N pictures at once (default: one per core)."),
        QStringLiteral("N"));
    const QCommandLineOption noCache(
        QStringLiteral("no-cache"),
        QStringLiteral("Read every file, and leave the reading cache alone."));
    const QCommandLineOption cache(
        QStringLiteral("cache"),
        QStringLiteral("Keep what is read from each file in the database FILE rather than in "
                       "the reading cache of the user's cache folder."),
        QStringLiteral("FILE"));
    const QCommandLineOption exclude(
        QStringLiteral("exclude"),
        QStringLiteral("Leave out the folders and files whose name matches PATTERN (\"*\", "
                       "\"?\", \"[...]\", case-sensitive); a PATTERN with \"/\" matches the "
                       "path below FOLDER. May be given several times."),
        QStringLiteral("PATTERN"));
    const QCommandLineOption exiv2Only(
        QStringLiteral("exiv2-only"),
        QStringLiteral("Read every picture with Exiv2 alone, not with the fast reader of common "
                       "layouts (for diagnosis and comparison; the results are the same)."));
    parser.addOptions({jpeg,
                       tiff,
                       raw,
                       noRaw,
                       heif,
                       make,
                       exceptMake,
                       model,
                       exceptModel,
                       tsv,
                       html,
                       page,
                       csv,
                       json,
                       files,
                       byValue,
                       quiet,
                       verbose,
                       jobs,
                       estimate35mm,
                       pairsOnce,
                       makerNotes,
                       countIncomplete,
                       takenFrom,
                       takenUntil,
                       where,
                       noCache,
                       cache,
                       exiv2Only,
                       exclude});
    const QCommandLineOption insights(
        QStringLiteral("insights"),
        QStringLiteral("Also print the focal coverage and the lens usage after the tables."));
    parser.addOption(insights);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    if (!parser.parse(arguments)) {
        *text = usageError(parser.errorText());
        return ParseResult::Error;
    }
    // Qt lists --help-all beside --help; both print the help.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        *text = parser.helpText() + exitStatusHelp();
        return ParseResult::Help;
    }
    if (parser.isSet(version)) {
        *text = QCoreApplication::applicationName() + QLatin1Char(' ') +
                QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return ParseResult::Version;
    }
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(raw) && parser.isSet(noRaw)) {
        *text = usageError(QStringLiteral("--raw and --no-raw exclude each other."));
        return ParseResult::Error;
    }
    // A second --make would silently replace the first: refuse it rather than guess.
    for (const QCommandLineOption* option : {&make, &model, &tsv, &html, &page, &csv, &json, &files,
                                             &jobs, &takenFrom, &takenUntil, &cache}) {
        if (parser.values(*option).size() > 1) {
            const QString name = QStringLiteral("--") + option->names().constFirst();
            *text = usageError(name + QStringLiteral(" can be given only once") +
                               (option == &make || option == &model
                                    ? QStringLiteral("; separate the names with \",\" "
                                                     "or \";\".")
                                    : QStringLiteral(".")));
            return ParseResult::Error;
        }
    }
    if (parser.isSet(exceptMake) && !parser.isSet(make)) {
        *text = usageError(QStringLiteral("--except-make needs --make."));
        return ParseResult::Error;
    }
    if (parser.isSet(exceptModel) && !parser.isSet(model)) {
        *text = usageError(QStringLiteral("--except-model needs --model."));
        return ParseResult::Error;
    }
    const auto last = [&parser](const QCommandLineOption& option) {
        const QStringList values = parser.values(option);
        return values.isEmpty() ? QString() : values.last();
    };
    ReportOptions result;
    result.analysis.folder = positional.value(0);
    result.analysis.moreFolders = positional.mid(1);
    result.analysis.exclude = parser.values(exclude);
    for (const QString& pattern : result.analysis.exclude) {
        if (pattern.trimmed().isEmpty() || pattern.trimmed() == QLatin1String("/")) {
            *text = usageError(QStringLiteral("--exclude needs a pattern."));
            return ParseResult::Error;
        }
    }
    result.analysis.jpeg = parser.isSet(jpeg);
    result.analysis.tiff = parser.isSet(tiff);
    result.analysis.raw = !parser.isSet(noRaw);
    result.analysis.heif = parser.isSet(heif);
    result.analysis.makeText = last(make);
    result.analysis.exceptMake = parser.isSet(exceptMake);
    result.analysis.modelText = last(model);
    result.analysis.exceptModel = parser.isSet(exceptModel);
    result.analysis.estimate35mm = parser.isSet(estimate35mm);
    result.analysis.pairsOnce = parser.isSet(pairsOnce);
    result.analysis.makerNotes = parser.isSet(makerNotes);
    result.analysis.countIncomplete = parser.isSet(countIncomplete);
    for (const auto& [option, date] : {std::pair{&takenFrom, &result.analysis.takenFrom},
                                       std::pair{&takenUntil, &result.analysis.takenUntil}}) {
        if (!parser.isSet(*option))
            continue;
        const QString given = last(*option);
        *date = QDate::fromString(given, QStringLiteral("yyyy-MM-dd"));
        if (!date->isValid() || given.size() != 10) {
            *text = usageError(QStringLiteral("--%1 needs a date as YYYY-MM-DD, not \"%2\".")
                                   .arg(option->names().constFirst(), given));
            return ParseResult::Error;
        }
    }
    if (result.analysis.takenFrom.isValid() && result.analysis.takenUntil.isValid() &&
        result.analysis.takenFrom > result.analysis.takenUntil) {
        *text = usageError(QStringLiteral("--taken-from must not be after --taken-until."));
        return ParseResult::Error;
    }
    result.byValue = parser.isSet(byValue);
    result.insights = parser.isSet(insights);
    result.quiet = parser.isSet(quiet);
    result.verbose = parser.isSet(verbose);
    int toStandardOutput = 0;
    for (const auto& [option, file] :
         {std::pair{&tsv, &result.tsvFile}, std::pair{&html, &result.htmlFile},
          std::pair{&page, &result.pageFile}, std::pair{&csv, &result.csvFile},
          std::pair{&json, &result.jsonFile}, std::pair{&files, &result.filesFile}}) {
        *file = last(*option);
        if (parser.isSet(*option) && file->isEmpty()) {
            *text = usageError(
                QStringLiteral("--%1 needs a file name.").arg(option->names().constFirst()));
            return ParseResult::Error;
        }
        if (*file == QLatin1String("-"))
            ++toStandardOutput;
    }
    if (parser.isSet(noCache) && parser.isSet(cache)) {
        *text = usageError(QStringLiteral("--no-cache and --cache exclude each other."));
        return ParseResult::Error;
    }
    if (parser.isSet(cache) && last(cache).isEmpty()) {
        *text = usageError(QStringLiteral("--cache needs a file name."));
        return ParseResult::Error;
    }
    result.exiv2Only = parser.isSet(exiv2Only);
    for (const QString& value : parser.values(where)) {
        const qsizetype equals = value.indexOf(QLatin1Char('='));
        const std::optional<StatKind> kind =
            selectionKindFromName(equals < 0 ? value : value.left(equals));
        if (equals < 0 || !kind) {
            QStringList kinds;
            for (int k = 0; k < StatKindCount; ++k)
                kinds.append(selectionKindName(StatKind(k)));
            *text =
                usageError(QStringLiteral("--where needs KIND=LABEL, KIND one of %1; not \"%2\".")
                               .arg(kinds.join(QStringLiteral(", ")), value));
            return ParseResult::Error;
        }
        result.where.add(*kind, value.mid(equals + 1));
    }
    result.analysis.cacheFile = parser.isSet(noCache) ? QString()
                                : parser.isSet(cache) ? last(cache)
                                                      : ReadingCache::defaultPath();
    if (parser.isSet(jobs)) {
        bool ok = false;
        result.analysis.jobs = last(jobs).toInt(&ok);
        if (!ok || result.analysis.jobs < 1 || result.analysis.jobs > 8) {
            *text = usageError(QStringLiteral("--jobs needs a number from 1 to 8."));
            return ParseResult::Error;
        }
    }
    // Two documents interleaved on one stream would be neither.
    if (toStandardOutput > 1) {
        *text = usageError(QStringLiteral("Only one of --tsv, --html, --page, --csv, --json and "
                                          "--files can write to \"-\"."));
        return ParseResult::Error;
    }
    *options = result;
    return ParseResult::Run;
}

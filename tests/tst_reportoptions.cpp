// SPDX-License-Identifier: GPL-3.0-or-later
// The report's command line: every option lands in its field, and wrong command lines
// are refused with a one-line reason.

#include "reportoptions.h"

#include "core/cache/readingcache.h"

#include <QtTest>

class TestReportOptions : public QObject
{
    Q_OBJECT

private slots:
    void options_data();
    void options();
    void refused_data();
    void refused();
    void helpListsExitStatuses_data();
    void helpListsExitStatuses();
};

void TestReportOptions::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    const QStringList f{"lenstally-report", "pics"};
    QTest::newRow("folder as typed")
        << QStringList{"r", "  pics "} << "folder" << QVariant("  pics ");
    QTest::newRow("RAW by default") << f << "raw" << QVariant(true);
    QTest::newRow("no JPEG by default") << f << "jpeg" << QVariant(false);
    QTest::newRow("no TIFF by default") << f << "tiff" << QVariant(false);
    QTest::newRow("--jpeg") << f + QStringList{"--jpeg"} << "jpeg" << QVariant(true);
    QTest::newRow("--jpeg keeps RAW") << f + QStringList{"--jpeg"} << "raw" << QVariant(true);
    QTest::newRow("--tiff") << f + QStringList{"--tiff"} << "tiff" << QVariant(true);
    QTest::newRow("no HEIF by default") << f << "heif" << QVariant(false);
    QTest::newRow("--heif") << f + QStringList{"--heif"} << "heif" << QVariant(true);
    QTest::newRow("--no-raw") << f + QStringList{"--no-raw"} << "raw" << QVariant(false);
    QTest::newRow("--raw") << f + QStringList{"--raw"} << "raw" << QVariant(true);
    QTest::newRow("--make") << f + QStringList{"--make", "Canon; Nikon"} << "make"
                            << QVariant("Canon; Nikon");
    QTest::newRow("--make=") << f + QStringList{"--make=Sony"} << "make" << QVariant("Sony");
    QTest::newRow("--except-make")
        << f + QStringList{"--make", "Sony", "--except-make"} << "exceptMake" << QVariant(true);
    QTest::newRow("--model") << f + QStringList{"--model", "EOS 5D"} << "model"
                             << QVariant("EOS 5D");
    QTest::newRow("--except-model")
        << f + QStringList{"--model", "D90", "--except-model"} << "exceptModel" << QVariant(true);
    QTest::newRow("except-make leaves model")
        << f + QStringList{"--make", "Sony", "--except-make"} << "exceptModel" << QVariant(false);
    QTest::newRow("--tsv") << f + QStringList{"--tsv", "out.txt"} << "tsv" << QVariant("out.txt");
    QTest::newRow("--html -") << f + QStringList{"--html", "-"} << "html" << QVariant("-");
    QTest::newRow("--page") << f + QStringList{"--page", "r.html"} << "page" << QVariant("r.html");
    QTest::newRow("--csv=") << f + QStringList{"--csv=t.csv"} << "csv" << QVariant("t.csv");
    QTest::newRow("--json -") << f + QStringList{"--json", "-"} << "json" << QVariant("-");
    QTest::newRow("--files") << f + QStringList{"--files", "l.csv"} << "files" << QVariant("l.csv");
    QTest::newRow("no page by default") << f << "page" << QVariant(QString());
    QTest::newRow("--json beside --tsv")
        << f + QStringList{"--tsv", "-", "--json", "a.json"} << "json" << QVariant("a.json");
    QTest::newRow("--by-value") << f + QStringList{"--by-value"} << "byValue" << QVariant(true);
    QTest::newRow("by share by default") << f << "byValue" << QVariant(false);
    QTest::newRow("--quiet") << f + QStringList{"--quiet"} << "quiet" << QVariant(true);
    QTest::newRow("reader's jobs by default") << f << "jobs" << QVariant(0);
    QTest::newRow("--jobs 1") << f + QStringList{"--jobs", "1"} << "jobs" << QVariant(1);
    QTest::newRow("--jobs=8") << f + QStringList{"--jobs=8"} << "jobs" << QVariant(8);
    QTest::newRow("counting options off") << f << "options" << QVariant("0 0 null null");
    QTest::newRow("counting options")
        << f + QStringList{"--estimate-35mm", "--pairs-once", "--taken-from", "2024-02-29",
                           "--taken-until=2024-03-01"}
        << "options" << QVariant("1 1 2024-02-29 2024-03-01");
    QTest::newRow("open start") << f + QStringList{"--taken-until", "2020-01-01"} << "options"
                                << QVariant("0 0 null 2020-01-01");
    QTest::newRow("options before folder")
        << QStringList{"r", "--quiet", "--tiff", "pics"} << "folder" << QVariant("pics");
    QTest::newRow("no folder is not a usage error")
        << QStringList{"r"} << "folder" << QVariant(QString());
    QTest::newRow("the shared cache by default")
        << f << "cache" << QVariant(ReadingCache::defaultPath());
    QTest::newRow("--no-cache") << f + QStringList{"--no-cache"} << "cache" << QVariant(QString());
    QTest::newRow("--cache") << f + QStringList{"--cache", "c.db"} << "cache" << QVariant("c.db");
    QTest::newRow("several folders, the first is folder")
        << QStringList{"r", "a", "--tiff", "b", "c"} << "folders" << QVariant("a|b|c");
    QTest::newRow("one folder") << f << "folders" << QVariant("pics");
    QTest::newRow("--exclude repeated, in order")
        << f + QStringList{"--exclude", "_trash", "--exclude=2019/*/edits"} << "exclude"
        << QVariant("_trash|2019/*/edits");
    QTest::newRow("nothing excluded by default") << f << "exclude" << QVariant(QString());
}

static QVariant field(const ReportOptions& o, const QString& name)
{
    const QHash<QString, QVariant> fields{
        {"folder", o.analysis.folder},
        {"jpeg", o.analysis.jpeg},
        {"tiff", o.analysis.tiff},
        {"raw", o.analysis.raw},
        {"heif", o.analysis.heif},
        {"make", o.analysis.makeText},
        {"exceptMake", o.analysis.exceptMake},
        {"model", o.analysis.modelText},
        {"exceptModel", o.analysis.exceptModel},
        {"tsv", o.tsvFile},
        {"html", o.htmlFile},
        {"page", o.pageFile},
        {"csv", o.csvFile},
        {"json", o.jsonFile},
        {"files", o.filesFile},
        {"byValue", o.byValue},
        {"quiet", o.quiet},
        {"jobs", o.analysis.jobs},
        {"cache", o.analysis.cacheFile},
        {"folders", o.analysis.folders().join('|')},
        {"exclude", o.analysis.exclude.join('|')},
        {"options",
         QStringLiteral("%1 %2 %3 %4")
             .arg(int(o.analysis.estimate35mm))
             .arg(int(o.analysis.pairsOnce))
             .arg(o.analysis.takenFrom.isNull() ? "null"
                                                : o.analysis.takenFrom.toString(Qt::ISODate),
                  o.analysis.takenUntil.isNull() ? "null"
                                                 : o.analysis.takenUntil.toString(Qt::ISODate))},
    };
    return fields.value(name);
}

void TestReportOptions::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    ReportOptions options;
    QString text;
    QCOMPARE(parseReportOptions(arguments, &options, &text), ParseResult::Run);
    QCOMPARE(::field(options, field), value);
}

void TestReportOptions::refused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{"r", "pics", "--colour"} << "colour";
    QTest::newRow("missing value") << QStringList{"r", "pics", "--make"} << "make";
    QTest::newRow("empty --exclude") << QStringList{"r", "pics", "--exclude="} << "--exclude needs";
    QTest::newRow("raw and no-raw") << QStringList{"r", "a", "--raw", "--no-raw"} << "--no-raw";
    QTest::newRow("jobs not a number") << QStringList{"r", "a", "--jobs", "two"} << "--jobs";
    QTest::newRow("no jobs") << QStringList{"r", "a", "--jobs", "0"} << "--jobs";
    QTest::newRow("too many jobs") << QStringList{"r", "a", "--jobs", "9"} << "--jobs";
    QTest::newRow("empty export name") << QStringList{"r", "a", "--tsv", ""} << "--tsv";
    QTest::newRow("--make twice") << QStringList{"r", "a", "--make", "Sony", "--make", "Canon"}
                                  << "--make can be given only once";
    QTest::newRow("--model twice")
        << QStringList{"r", "a", "--model=A", "--model=B"} << "--model can be given only once";
    QTest::newRow("--tsv twice") << QStringList{"r", "a", "--tsv", "x", "--tsv", "y"}
                                 << "--tsv can be given only once";
    QTest::newRow("--except-make alone")
        << QStringList{"r", "a", "--except-make"} << "--except-make needs --make";
    QTest::newRow("--except-model alone")
        << QStringList{"r", "a", "--except-model"} << "--except-model needs --model";
    QTest::newRow("no such day") << QStringList{"r", "a", "--taken-from", "2023-02-29"}
                                 << "--taken-from needs a date as YYYY-MM-DD, not \"2023-02-29\"";
    QTest::newRow("Exif date form")
        << QStringList{"r", "a", "--taken-until", "2023:02:01"} << "--taken-until needs a date";
    QTest::newRow("from after until")
        << QStringList{"r", "a", "--taken-from", "2024-01-02", "--taken-until", "2024-01-01"}
        << "--taken-from must not be after --taken-until";
    QTest::newRow("--taken-from twice")
        << QStringList{"r", "a", "--taken-from", "2024-01-02", "--taken-from", "2024-01-03"}
        << "--taken-from can be given only once";
    QTest::newRow("both exports to standard output")
        << QStringList{"r", "a", "--tsv", "-", "--html", "-"} << "\"-\"";
    QTest::newRow("CSV and JSON to standard output")
        << QStringList{"r", "a", "--csv", "-", "--json", "-"} << "can write to \"-\"";
    QTest::newRow("file list and CSV to standard output")
        << QStringList{"r", "a", "--files", "-", "--csv", "-"} << "can write to \"-\"";
    QTest::newRow("--files twice") << QStringList{"r", "a", "--files", "x", "--files", "y"}
                                   << "--files can be given only once";
    QTest::newRow("page and text to standard output")
        << QStringList{"r", "a", "--page=-", "--tsv", "-"} << "can write to \"-\"";
    QTest::newRow("--page twice") << QStringList{"r", "a", "--page", "x", "--page", "y"}
                                  << "--page can be given only once";
    QTest::newRow("--csv twice") << QStringList{"r", "a", "--csv", "x", "--csv", "x"}
                                 << "--csv can be given only once";
    QTest::newRow("--json twice") << QStringList{"r", "a", "--json=-", "--json=-"}
                                  << "--json can be given only once";
    QTest::newRow("empty page name") << QStringList{"r", "a", "--page="} << "--page needs a file";
    QTest::newRow("empty JSON name")
        << QStringList{"r", "a", "--json", ""} << "--json needs a file";
    QTest::newRow("--cache twice")
        << QStringList{"r", "a", "--cache=x", "--cache=y"} << "--cache can be given only once";
    QTest::newRow("--no-cache and --cache")
        << QStringList{"r", "a", "--no-cache", "--cache", "x"} << "exclude each other";
    QTest::newRow("empty cache name")
        << QStringList{"r", "a", "--cache="} << "--cache needs a file";
}

void TestReportOptions::refused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    ReportOptions options;
    QString text;
    QCOMPARE(parseReportOptions(arguments, &options, &text), ParseResult::Error);
    // The reason on one line, then where the help is; never the whole help.
    const QStringList lines = text.split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[0].contains(message), qPrintable(text));
    QCOMPARE(lines[1], "Try 'lenstally-report --help' for more information.");
    QCOMPARE(lines[2], "");
}

void TestReportOptions::helpListsExitStatuses_data()
{
    QTest::addColumn<QString>("option");
    QTest::newRow("--help") << "--help";
    QTest::newRow("--help-all") << "--help-all"; // listed in the help, once refused as no folder
    QTest::newRow("-h") << "-h";
}

void TestReportOptions::helpListsExitStatuses()
{
    QFETCH(QString, option);
    ReportOptions options;
    QString text;
    QCOMPARE(parseReportOptions({"r", option}, &options, &text), ParseResult::Help);
    for (const char* line :
         {"3    No folder was specified", "4    Invalid Folder", "5    No files were found",
          "6    Could not open", "8    Could not read the folder", "130"})
        QVERIFY2(text.contains(line), line);
}

QTEST_GUILESS_MAIN(TestReportOptions)
#include "tst_reportoptions.moc"

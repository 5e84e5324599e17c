// SPDX-License-Identifier: GPL-3.0-or-later
// lenstally-report run as a process: exit statuses and messages, the printed tables,
// exports byte-identical to the window's, interruption, and the benchmark's smoke run.

#include "testpictures.h"
#include "testsupport.h"

#include "core/session/analysisrequest.h"
#include "core/session/analysisresult.h"
#include "export/resultexport.h"

#include <QtTest>

#include <csignal>
#include <memory>

using namespace testpictures;

namespace {

const QString reportPath = QStringLiteral(LENSTALLY_REPORT_PATH);

using Run = ProcessRun;

QList<Tag> cameraTags(const QString& make, const QString& model, const QString& focal)
{
    return withTag(typicalTags(make, model), "Exif.Photo.FocalLength",
                   Tag::textTag("Exif.Photo.FocalLength", focal));
}

// A small library: JPEG, TIFF and TIFF-based RAW files from three cameras, one without its
// 35 mm tag, one picture without usable data, one file that is no picture.
bool writeLibrary(const QString& root)
{
    QDir().mkpath(root + "/2024/a");
    QDir().mkpath(root + "/2023");
    const QString noFocal35 = "Exif.Photo.FocalLengthIn35mmFilm";
    return writePicture(root + "/IMG_1.jpg", Format::Jpeg,
                        cameraTags("Canon", "Canon EOS 7D", "50/1")) &&
           writePicture(root + "/IMG_2.JPG", Format::Jpeg,
                        cameraTags("Canon", "Canon EOS 5D", "24/1")) &&
           writePicture(root + "/2024/a/DSC_1.nef", Format::Tiff,
                        cameraTags("NIKON CORPORATION", "NIKON D70s", "35/1")) &&
           writePicture(
               root + "/2024/a/DSC_2.NEF", Format::Tiff,
               withoutTag(cameraTags("NIKON CORPORATION", "NIKON D750", "85/1"), noFocal35)) &&
           writePicture(root + "/2024/scan.tif", Format::Tiff,
                        withoutTag(cameraTags("Epson", "V600", "10/1"), noFocal35)) &&
           writePicture(root + "/2023/P1.rw2", Format::Tiff,
                        cameraTags("Panasonic", "DMC-GH4", "12/1")) &&
           writePicture(root + "/2023/P2.rw2", Format::Tiff,
                        cameraTags("Panasonic", "DMC-GH4", "12/1")) &&
           writePicture(
               root + "/2023/dark.jpg", Format::Jpeg,
               withoutTag(typicalTags("Canon", "Canon EOS 7D"), "Exif.Photo.ExposureTime")) &&
           writeBytes(root + "/2023/notes.jpg", "not a picture") &&
           writeBytes(root + "/2023/notes.txt", "not a picture");
}

// The export formats by report option, with a file name that makes the window pick them.
struct FormatOption
{
    const char* option;
    const char* windowFile;
};
const FormatOption formatOptions[] = {{"--tsv", "window.txt"},
                                      {"--html", "window.htm"},
                                      {"--page", "window.html"},
                                      {"--csv", "window.csv"},
                                      {"--json", "window.json"}};

// The export with the report page's date of analysis left out, the one part that differs
// from run to run.
QByteArray withoutDate(const QByteArray& bytes)
{
    static const QRegularExpression date(QStringLiteral("<dt>Analysed</dt><dd>.*</dd>"));
    return QString::fromUtf8(bytes).replace(date, QString()).toUtf8();
}

// Every file below root with its size and modification time.
QStringList snapshot(const QString& root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        entries << info.filePath() + ' ' + QString::number(info.size()) + ' ' +
                       QString::number(info.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

// True once the process catches signal (its bit in /proc/PID/status SigCgt).
bool catchesSignal(qint64 pid, int signal)
{
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusals_data();
    void refusals();
    void printsTheTables();
    void printsByValue();
    void insightsAfterTheTables();
    void exportToStandardOutputReplacesTables_data();
    void exportToStandardOutputReplacesTables();
    void failedStandardOutputIsReported_data();
    void failedStandardOutputIsReported();
    void existingExportKeptWhenOpenFails();
    void leavesThePictureFolderAlone();
    void noProgressLineWithoutTerminal();
    void summaryAndLibraryMessages_data();
    void summaryAndLibraryMessages();
    void heifAndCr3AmongJpegs_data();
    void heifAndCr3AmongJpegs();
    void progressLineOnTerminal_data();
    void progressLineOnTerminal();
    void interruption_data();
    void interruption();
    void whereNarrowsTables_data();
    void whereNarrowsTables();
    void benchmarkSmokeRun();
    void severalFoldersAndExclusions_data();
    void severalFoldersAndExclusions();

private:
    QString bigFolder();

    QTemporaryDir dir;
    QString library;
};

void TestReport::initTestCase()
{
    QVERIFY(dir.isValid());
    library = dir.filePath("library");
    QVERIFY(writeLibrary(library));
}

void TestReport::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString lib = dir.filePath("library");
    const QString jpegsOnly = dir.filePath("jpegs");
    QDir().mkpath(jpegsOnly);
    writePicture(jpegsOnly + "/a.jpg", Format::Jpeg, typicalTags());
    QTest::newRow("no folder") << QStringList{} << 3 << "No folder was specified\n";
    QTest::newRow("empty folder text") << QStringList{""} << 3 << "No folder was specified\n";
    QTest::newRow("folder of spaces") << QStringList{"   "} << 3 << "No folder was specified\n";
    QTest::newRow("missing folder") << QStringList{dir.filePath("nowhere")} << 4
                                    << "Invalid Folder: " + dir.filePath("nowhere") + "\n";
    QTest::newRow("folder text not trimmed")
        << QStringList{" " + lib} << 4 << "Invalid Folder:  " + lib + "\n";
    QTest::newRow("JPEGs only, RAW by default")
        << QStringList{jpegsOnly} << 5 << "No files were found\n";
    QTest::newRow("no format") << QStringList{lib, "--no-raw"} << 5 << "No files were found\n";
    QTest::newRow("export folder missing")
        << QStringList{lib, "--tsv", dir.filePath("none/out.txt")} << 6
        << "Could not open " + dir.filePath("none/out.txt") + "\n";
    // Export targets are checked before the walk: no tables, nothing written, and an
    // invalid folder not even looked at.
    QTest::newRow("file list folder missing")
        << QStringList{lib, "--files", dir.filePath("none/list.csv")} << 6
        << "Could not open " + dir.filePath("none/list.csv") + "\n";
    QTest::newRow("export target is a folder")
        << QStringList{lib, "--csv", lib} << 6 << "Could not open " + lib + "\n";
    QTest::newRow("export target before the folder")
        << QStringList{dir.filePath("nowhere"), "--page", dir.filePath("none/p.html")} << 6
        << "Could not open " + dir.filePath("none/p.html") + "\n";
    QTest::newRow("unknown option") << QStringList{lib, "--colour"} << 2
                                    << "Try 'lenstally-report --help' for more information.\n";
    QTest::newRow("second folder missing") << QStringList{lib, dir.filePath("nowhere"), lib} << 4
                                           << "Invalid Folder: " + dir.filePath("nowhere") + "\n";
    QTest::newRow("a folder that is a file") << QStringList{jpegsOnly, jpegsOnly + "/a.jpg"} << 4
                                             << "Invalid Folder: " + jpegsOnly + "/a.jpg\n";
    QTest::newRow("no files in any folder")
        << QStringList{jpegsOnly, jpegsOnly} << 5 << "No files were found\n";
    QTest::newRow("every file left out")
        << QStringList{lib, "--exclude", "20*", "--exclude", "IMG_?.*"} << 5
        << "No files were found\n";
    QTest::newRow("--where of an unknown kind")
        << QStringList{lib, "--where", "Lens=RF50"} << 2
        << "KIND one of focal-length, focal-length-35mm, aperture, iso, exposure-time, camera, "
           "lens, year; not \"Lens=RF50\".\n";
    QTest::newRow("--where without a label")
        << QStringList{lib, "--where", "lens"} << 2 << "not \"lens\".\n";
}

void TestReport::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
    const Run run = runReport(arguments);
    QCOMPARE(run.status, status);
    QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
    QCOMPARE(run.out, QByteArray());
    // Neither an export nor a temporary file is left beside the targets.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
}

void TestReport::printsTheTables()
{
    const Run run = runReport({library, "--jpeg", "--tiff"});
    QCOMPARE(run.status, 0);
    const QString out = QString::fromUtf8(run.out);
    // By share, ties in value order; the Epson's unknown 35 mm focal length reads Unknown.
    QVERIFY2(out.startsWith("Focal Length\n"
                            "mm  Pictures      %\n"
                            "12         2  28.57\n"
                            "10         1  14.29\n"),
             qPrintable(out));
    QVERIFY2(out.contains("\nUnknown         2  28.57\n"), qPrintable(out));
    QVERIFY2(out.contains("\nCamera\nMake & Model"), qPrintable(out));
    QVERIFY2(out.contains("\nPanasonic - DMC-GH4                    2  28.57\n"), qPrintable(out));
    QCOMPARE(out.count("Pictures"), 8);
    QVERIFY2(out.contains("\nLens\nLens "), qPrintable(out));
    QVERIFY2(out.contains("\nYear\nYear "), qPrintable(out));
}

void TestReport::printsByValue()
{
    const Run run = runReport({library, "--jpeg", "--tiff", "--by-value"});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.startsWith("Focal Length\n"
                                "mm  Pictures      %\n"
                                "10         1  14.29\n"
                                "12         2  28.57\n"
                                "24         1  14.29\n"),
             run.out.constData());
}

void TestReport::insightsAfterTheTables()
{
    const QString folder = dir.filePath("lenses");
    QVERIFY(writeInsightPictures(folder));
    // Known 35 mm values 24 50 50 52 52 105: 3 of 6 in 50-52, 5 in 50-105 (x2.1, narrower
    // than 24-52's x2.17), all 6 in 24-105. The zoom: 1 of 4 at each end, 50 mm twice
    // between them, f/4 twice; the prime at one focal length, f/1.8 once.
    const QByteArray expected = "\nFocal coverage\n"
                                "50 % of pictures: 50-52 mm (35 mm equivalent)\n"
                                "80 % of pictures: 50-105 mm (35 mm equivalent)\n"
                                "95 % of pictures: 24-105 mm (35 mm equivalent)\n"
                                "\nLens usage\n"
                                "Lens         Pictures      %  Focal lengths  Short end  Long end"
                                "               Favourite  Widest  Wide open\n"
                                "Zoom 24-105         4  66.67      24-105 mm      25.00     25.00"
                                "  50 mm (50 mm in 35 mm)     f/4      50.00\n"
                                "Prime 35            2  33.33          35 mm                     "
                                "                           f/1.8      50.00\n";
    const ProcessRun run = runReport({folder, "--jpeg", "--insights", "--no-cache"});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.endsWith("\n" + expected), run.out.constData());
    // Without the option the tables end the output.
    const ProcessRun plain = runReport({folder, "--jpeg", "--no-cache"});
    QVERIFY(!plain.out.contains("Focal coverage"));
    QCOMPARE(run.out.left(plain.out.size()), plain.out);
    // The JSON carries the same numbers.
    const ProcessRun json = runReport({folder, "--jpeg", "--no-cache", "--json", "-"});
    QVERIFY2(json.out.contains("\"coverage\": [\n"
                               "      {\"share\": 50, \"from\": 50, \"to\": 52},\n"
                               "      {\"share\": 80, \"from\": 50, \"to\": 105},\n"
                               "      {\"share\": 95, \"from\": 24, \"to\": 105}\n    ],"),
             json.out.constData());
    QVERIFY2(json.out.contains("{\"label\": \"Zoom 24-105\", \"count\": 4, \"percent\": "
                               "66.67, \"shortest\": 24, \"longest\": 105, \"atShortEnd\": "
                               "25.00, \"atLongEnd\": 25.00, \"favourite\": 50, "
                               "\"favourite35mm\": 50, \"widest\": 4, \"wideOpen\": 50.00}"),
             json.out.constData());
}

void TestReport::exportToStandardOutputReplacesTables_data()
{
    QTest::addColumn<int>("format");
    for (int f = 0; f < int(std::size(formatOptions)); ++f)
        QTest::newRow(formatOptions[f].option + 2) << f;
}

void TestReport::exportToStandardOutputReplacesTables()
{
    QFETCH(int, format);
    const QStringList all{library, "--jpeg", "--tiff", formatOptions[format].option};
    const QString file = dir.filePath(formatOptions[format].windowFile);
    QCOMPARE(runReport(all + QStringList{file}).status, 0);
    const Run run = runReport(all + QStringList{"-"});
    QCOMPARE(run.status, 0);
    QCOMPARE(withoutDate(run.out), withoutDate(fileBytes(file)));
}

void TestReport::failedStandardOutputIsReported_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("tables") << QStringList{};
    QTest::newRow("export") << QStringList{"--tsv", "-"};
}

void TestReport::failedStandardOutputIsReported()
{
    QFETCH(QStringList, arguments);
    if (!QFileInfo::exists("/dev/full"))
        QSKIP("needs /dev/full");
    const Run run = runReport(QStringList{library} + arguments, "/dev/full");
    QCOMPARE(run.status, 7);
    QVERIFY2(run.err.contains("Could not write standard output"), run.err.constData());
}

void TestReport::existingExportKeptWhenOpenFails()
{
    // A folder that is a file: the export cannot be created, which is known before the
    // analysis, so the TSV named first is not replaced either.
    const QString tsv = dir.filePath("kept.txt");
    const QString blocker = dir.filePath("blocker");
    QVERIFY(writeBytes(blocker, "x"));
    QVERIFY(writeBytes(tsv, "old"));
    const Run run = runReport({library, "--tsv", tsv, "--html", blocker + "/page.htm"});
    QCOMPARE(run.status, 6);
    QVERIFY(run.err.contains("Could not open " + (blocker + "/page.htm").toUtf8()));
    QCOMPARE(fileBytes(tsv), QByteArray("old"));
}

void TestReport::leavesThePictureFolderAlone()
{
    const QStringList before = snapshot(library);
    const Run run = runReport({library, "--jpeg", "--tiff", "--tsv", dir.filePath("t.txt"),
                               "--html", dir.filePath("h.htm"), "--page", dir.filePath("p.html"),
                               "--csv", dir.filePath("c.csv"), "--json", dir.filePath("j.json")});
    QCOMPARE(run.status, 0);
    QCOMPARE(snapshot(library), before);
}

void TestReport::noProgressLineWithoutTerminal()
{
    // Not --quiet: only the terminal test keeps standard error clean.
    const Run run = runReport({library, "--jpeg", "--tiff"});
    QCOMPARE(run.status, 0);
    QVERIFY(!run.err.contains('\r'));
    QVERIFY(!run.out.contains('\r'));
}

void TestReport::summaryAndLibraryMessages_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("errLines"); // standard error, line by line
    const QString damaged = dir.filePath("talking/damaged.tif");
    QTest::newRow("default") << QStringList{}
                             << QStringList{"3 files: 1 counted, 0 filtered out, 1 without "
                                            "usable data, 1 unreadable",
                                            "1 files drew messages from the picture library; "
                                            "--verbose shows them"};
    QTest::newRow("quiet") << QStringList{"--quiet"} << QStringList{};
    QTest::newRow("make filter") << QStringList{"--make", "Nikon"}
                                 << QStringList{"3 files: 0 counted, 2 filtered out, 0 without "
                                                "usable data, 1 unreadable",
                                                "1 files drew messages from the picture "
                                                "library; --verbose shows them"};
    QTest::newRow("counting options")
        << QStringList{"--pairs-once", "--taken-from", "2000-01-01"}
        << QStringList{"3 files: 0 counted, 0 filtered out, 1 without usable data, 1 unreadable, "
                       "0 pair duplicates, 1 outside the dates",
                       "1 files drew messages from the picture library; --verbose shows them"};
    QTest::newRow("verbose") << QStringList{"--verbose", "--quiet"} << QStringList{damaged + ": "};
}

void TestReport::summaryAndLibraryMessages()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, errLines);
    const QString folder = dir.filePath("talking");
    QDir().mkpath(folder);
    writePicture(folder + "/good.jpg", Format::Jpeg, typicalTags());
    writeBytes(folder + "/text.jpg", "not a picture");
    // A TIFF cut inside its first directory: Exiv2 complains.
    writeBytes(folder + "/damaged.tif", pictureBytes(Format::Tiff, typicalTags()).left(20));
    const Run run = runReport(QStringList{folder, "--jpeg", "--tiff"} + options);
    QCOMPARE(run.status, 0);
    const QStringList lines = QString::fromUtf8(run.err).split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() >= errLines.size(), qPrintable(run.err));
    for (int i = 0; i < errLines.size(); ++i)
        QVERIFY2(lines[i].startsWith(errLines[i]), qPrintable(run.err));
    if (!options.contains("--verbose"))
        QCOMPARE(lines.size(), errLines.size());
}

void TestReport::heifAndCr3AmongJpegs_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QStringList>("cameras");
    QTest::newRow("RAW only") << QStringList{} << "1 files: 1 counted, 0 filtered out"
                              << QStringList{"Canon - Canon EOS R"};
    QTest::newRow("HEIF and RAW")
        << QStringList{"--heif"}
        << "4 files: 3 counted, 0 filtered out, 0 without usable data, 1 unreadable"
        << QStringList{"Canon - Canon EOS R", "Apple - iPhone 12", "Google - Pixel 8"};
    QTest::newRow("JPEG and HEIF")
        << QStringList{"--jpeg", "--heif", "--no-raw"}
        << "4 files: 3 counted, 0 filtered out, 0 without usable data, 1 unreadable"
        << QStringList{"Apple - iPhone 12", "Google - Pixel 8", "NIKON - D750"};
}

void TestReport::heifAndCr3AmongJpegs()
{
    QFETCH(QStringList, options);
    QFETCH(QString, summary);
    QFETCH(QStringList, cameras);
    const QString folder = dir.filePath("phones");
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(folder + "/2024");
        QVERIFY(writePicture(folder + "/IMG_0001.HEIC", Format::Heif,
                             typicalTags("Apple", "iPhone 12")));
        QVERIFY(writePicture(folder + "/2024/PXL_1.avif", Format::Avif,
                             typicalTags("Google", "Pixel 8")));
        QVERIFY(writePicture(folder + "/2024/IMG_2.CR3", Format::Cr3,
                             typicalTags("Canon", "Canon EOS R")));
        QVERIFY(writePicture(folder + "/DSC_3.jpg", Format::Jpeg, typicalTags("NIKON", "D750")));
        QVERIFY(
            writeBytes(folder + "/cut.heif", pictureBytes(Format::Heif, typicalTags()).left(100)));
    }
    const Run run = runReport(QStringList{folder} + options);
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.startsWith(summary.toUtf8()), run.err.constData());
    for (const QString& camera : cameras)
        QVERIFY2(run.out.contains(camera.toUtf8()), run.out.constData());
    QCOMPARE(run.out.count(" - "), cameras.size()); // no other camera was counted
}

void TestReport::interruption_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
}

QString TestReport::bigFolder()
{
    const QString big = dir.filePath("big");
    if (QFileInfo::exists(big))
        return big;
    const QByteArray bytes = pictureBytes(Format::Jpeg, typicalTags());
    if (bytes.isEmpty())
        return QString();
    for (int i = 0; i < 4000; ++i) {
        const QString sub = QString("%1/%2").arg(big).arg(i / 200);
        if (!QDir().mkpath(sub) || !writeBytes(QString("%1/%2.jpg").arg(sub).arg(i), bytes))
            return QString();
    }
    return big;
}

void TestReport::progressLineOnTerminal_data()
{
    QTest::addColumn<bool>("quiet");
    QTest::newRow("terminal") << false;
    QTest::newRow("terminal, --quiet") << true;
}

void TestReport::progressLineOnTerminal()
{
    QFETCH(bool, quiet);
    if (QStandardPaths::findExecutable("script").isEmpty())
        QSKIP("needs script (util-linux) for a terminal");
    const QString big = bigFolder();
    QVERIFY(!big.isEmpty());
    // script gives the report a terminal for standard error; standard output goes to a file.
    const QString tables = dir.filePath(quiet ? "quiet.out" : "terminal.out");
    const QString command =
        QString("'%1' '%2' --jpeg %3 >'%4'").arg(reportPath, big, quiet ? "--quiet" : "", tables);
    QProcess terminal;
    terminal.start("script", {"-qefc", command, "/dev/null"});
    QVERIFY(terminal.waitForFinished(120000));
    QCOMPARE(terminal.exitCode(), 0);
    const QByteArray screen = terminal.readAllStandardOutput();
    // The line is shown from the start, however quickly the files are read.
    QCOMPARE(screen.contains("/4000 files  "), !quiet);
    QCOMPARE(screen.contains(" files/s  "), !quiet);
    QVERIFY(fileBytes(tables).startsWith("Focal Length\n"));
    QVERIFY(!fileBytes(tables).contains("files/s"));
}

void TestReport::interruption()
{
    QFETCH(int, signal);
    const QString big = bigFolder();
    QVERIFY(!big.isEmpty());
    const QString exports = dir.filePath("interrupted");
    QVERIFY(QDir().mkpath(exports));
    QProcess process;
    process.start(reportPath, {big, "--jpeg", "--jobs", "1", "--tsv", exports + "/out.txt",
                               "--html", exports + "/out.htm"});
    QVERIFY(process.waitForStarted());
    // Signal only once the handler is installed, as a user's Ctrl-C would find it.
    QVERIFY(QTest::qWaitFor([&] { return catchesSignal(process.processId(), signal); }, 10000));
    ::kill(pid_t(process.processId()), signal);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 130);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QCOMPARE(QDir(exports).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void TestReport::whereNarrowsTables_data()
{
    QTest::addColumn<QStringList>("where");
    QTest::addColumn<QString>("focalTable");
    QTest::addColumn<QString>("said");
    const QString gh4 = "camera=Panasonic - DMC-GH4";
    QTest::newRow("one camera")
        << QStringList{gh4} << "     %\n12         2  100.00\n\n"
        << "Showing 2 of 7 counted pictures: Camera is Panasonic - DMC-GH4\n";
    QTest::newRow("two focal lengths OR-ed")
        << QStringList{"focal-length=12", "focal-length=24"}
        << "    %\n12         2  66.67\n24         1  33.33\n\n"
        << "Showing 3 of 7 counted pictures: Focal length is 12 or 24\n";
    QTest::newRow("camera AND focal length")
        << QStringList{gh4, "focal-length=24"} << "%\n\n"
        << "Showing 0 of 7 counted pictures: Focal length is 24; Camera is Panasonic - DMC-GH4\n";
    QTest::newRow("35 mm Unknown as printed")
        << QStringList{"focal-length-35mm=Unknown"}
        << "    %\n10         1  50.00\n85         1  50.00\n\n"
        << "Showing 2 of 7 counted pictures: Focal length (35 mm) is Unknown\n";
    QTest::newRow("a label without pictures") << QStringList{"lens=RF 24-105"} << "%\n\n"
                                              << "No counted picture has Lens RF 24-105\n";
}

void TestReport::whereNarrowsTables()
{
    QFETCH(QStringList, where);
    QFETCH(QString, focalTable);
    QFETCH(QString, said);
    QStringList arguments{library, "--jpeg", "--tiff", "--files", dir.filePath("where.csv")};
    for (const QString& w : where)
        arguments << "--where" << w;
    const Run run = runReport(arguments);
    QCOMPARE(run.status, 0);
    const QString out = QString::fromUtf8(run.out);
    QVERIFY2(out.startsWith("Focal Length\nmm  Pictures  " + focalTable), qPrintable(out));
    const QString err = QString::fromUtf8(run.err);
    QVERIFY2(err.contains(said), qPrintable(err));
    // The outcome line keeps the analysis's own numbers.
    QVERIFY2(err.contains(": 7 counted,"), qPrintable(err));
    // The file list marks the counted files the tables show, and only counted files.
    const QStringList lines =
        QString::fromUtf8(fileBytes(dir.filePath("where.csv"))).split("\r\n", Qt::SkipEmptyParts);
    QVERIFY2(lines.value(0).endsWith(",messages,selected"), qPrintable(lines.value(0)));
    const int selected = said.startsWith("Showing ") ? said.section(' ', 1, 1).toInt() : 0;
    QCOMPARE(lines.filter(QRegularExpression(",counted,.*,1$")).size(), selected);
    QCOMPARE(lines.filter(QRegularExpression(",counted,.*,0$")).size(), 7 - selected);
    QCOMPARE(lines.filter(QRegularExpression(",[01]$")).size(), 7);
}

void TestReport::benchmarkSmokeRun()
{
    QProcess bench;
    bench.start("bash", {QStringLiteral(LENSTALLY_SOURCE_DIR "/bench/run-benchmark"), "--files",
                         "300", "--runs", "1", "--no-build", "--no-exiftool", "--build-dir",
                         QStringLiteral(LENSTALLY_BINARY_DIR)});
    QVERIFY(bench.waitForFinished(120000));
    const QByteArray out = bench.readAllStandardOutput();
    QVERIFY2(bench.exitStatus() == QProcess::NormalExit && bench.exitCode() == 0,
             bench.readAllStandardError().constData());
    QVERIFY2(out.contains("300 files, 270 pictures"), out.constData());
    QVERIFY2(out.contains("report/bare-loop throughput:"), out.constData());
    QVERIFY2(out.contains("report-2/report-1 throughput:"), out.constData());
    QVERIFY2(
        QRegularExpression("\\nreport +[0-9.]+ +[0-9]+ +[0-9.]+ +[0-9.]+\\n").match(out).hasMatch(),
        out.constData());
}

QTEST_GUILESS_MAIN(TestReport)
void TestReport::severalFoldersAndExclusions_data()
{
    // The library holds 9 files of the formats: 2 at its top, 3 in 2024 (2 of them in
    // 2024/a, one of those named in upper case), 4 in 2023 (2 of them .rw2).
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("files");
    QTest::addColumn<bool>("sameTablesAsLibrary");
    QTest::addColumn<QString>("leftOut");   // the --verbose line, "" when none is due
    QTest::addColumn<int>("foldersInJson"); // 0: no "folders" key
    const QString lib = dir.filePath("library");
    QTest::newRow("one folder") << QStringList{lib} << 9 << true << "" << 0;
    QTest::newRow("nested and repeated folders")
        << QStringList{lib + "/2024", lib, lib + "/2024/a", lib + "/"} << 9 << true << "" << 4;
    QTest::newRow("two folders apart")
        << QStringList{lib + "/2023", lib + "/2024"} << 7 << false << "" << 2;
    QTest::newRow("a folder left out") << QStringList{lib, "--exclude", "2023"} << 5 << false
                                       << "Left out by --exclude: 1 folders, 0 files" << 1;
    QTest::newRow("files by name, case-sensitive")
        << QStringList{lib, "--exclude", "*.rw2", "--exclude", "*.nef"} << 6 << false
        << "Left out by --exclude: 0 folders, 3 files" << 1;
    QTest::newRow("a path below the folder")
        << QStringList{lib, "--exclude", "2024/a"} << 7 << false
        << "Left out by --exclude: 1 folders, 0 files" << 1;
}

void TestReport::severalFoldersAndExclusions()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, files);
    QFETCH(bool, sameTablesAsLibrary);
    QFETCH(QString, leftOut);
    QFETCH(int, foldersInJson);
    const QStringList formats{"--jpeg", "--tiff", "--verbose", "--no-cache"};
    const QString json = dir.filePath("folders.json");
    const Run run = runReport(arguments + formats + QStringList{"--json", json});
    QCOMPARE(run.status, 0);
    const QString err = QString::fromUtf8(run.err);
    QVERIFY2(err.contains(QStringLiteral("\n%1 files: ").arg(files)) ||
                 err.startsWith(QStringLiteral("%1 files: ").arg(files)),
             qPrintable(err));
    QCOMPARE(err.contains("Left out by --exclude"), !leftOut.isEmpty());
    if (!leftOut.isEmpty())
        QVERIFY2(err.contains(leftOut + "\n"), qPrintable(err));
    if (sameTablesAsLibrary)
        QCOMPARE(run.out, runReport(QStringList{library} + formats).out);
    const QJsonObject document = QJsonDocument::fromJson(fileBytes(json)).object();
    QCOMPARE(document.value("folder").toString(),
             QDir::cleanPath(QFileInfo(arguments.first()).absoluteFilePath()));
    QCOMPARE(document.value("folders").toArray().size(), foldersInJson);
    QCOMPARE(document.contains("folders"), foldersInJson > 0);
}

#include "tst_report.moc"

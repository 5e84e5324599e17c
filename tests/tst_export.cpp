// SPDX-License-Identifier: GPL-3.0-or-later
// The exporters: tab-separated text and HTML page byte for byte; the failures of every
// format; the choice of format and sections for the results of an analysis.

#include "core/count/stattable.h"
#include "core/count/tally.h"
#include "export/csvexporter.h"
#include "export/htmlexporter.h"
#include "export/jsonexporter.h"
#include "export/pageexporter.h"
#include "export/resultexport.h"
#include "export/tabexporter.h"
#include "testpictures.h"
#include "testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <csignal>
#include <memory>
#include <thread>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The lines of a CR LF file without their endings; a piece after the last CR LF is kept.
QList<QByteArray> crlfLines(QByteArray bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

// Accepts writes until `budget` bytes have gone through, then fails every write.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 budget) : budget(budget) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override
    {
        if (size > budget)
            return -1;
        budget -= size;
        return size;
    }

private:
    qint64 budget;
};

// Writes the first half of the real output, then reports a failure.
class HalfWritingExporter : public TABExporter
{
public:
    using TABExporter::TABExporter;
    bool writeTo(QIODevice* device) override
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        TABExporter::writeTo(&buffer);
        device->write(buffer.data().left(buffer.data().size() / 2));
        return false;
    }
};

const QByteArray htmlHead = "<html>\r\n"
                            "<style type=\"text/css\">\r\n"
                            "table {border-width: 1px; border-style: solid; "
                            "border-collapse: collapse;}\r\n"
                            "th {width: 5em; border-width: 1px; border-style: solid;}\r\n"
                            "td {width: 5em; border-width: 1px; border-style: dotted;}\r\n"
                            "</style>\r\n"
                            "<h1>Lenstally</h1>\r\n";

} // namespace

Q_DECLARE_METATYPE(ExportFormat)

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Tab-separated text.
    void tabSixSectionsOfOneRow();
    void tabEmptySectionKeepsItsHeading();
    void tabNumberFormats();
    void tabRowsInTableOrder();
    void tabLabelsAsTheyAreInUtf8();

    // HTML page.
    void htmlWholePage();
    void htmlEmptySection();
    void htmlThreeLinesPerRow();
    void htmlEscapesText_data();
    void htmlEscapesText();
    void tabLabelsKeepThreeFields_data();
    void tabLabelsKeepThreeFields();
    void fileSizeLimitFailsAndKeepsOldFile_data();
    void fileSizeLimitFailsAndKeepsOldFile();

    // Both formats.
    void fileMatchesDeviceOutput_data();
    void fileMatchesDeviceOutput();
    void overwritesExistingFile_data();
    void overwritesExistingFile();
    void missingFolderCreatesNothing_data();
    void missingFolderCreatesNothing();
    void directoryAsTargetFails_data();
    void directoryAsTargetFails();
    void specialTargetsWrittenInPlace_data();
    void specialTargetsWrittenInPlace();
    void withFilterSuffix_data();
    void withFilterSuffix();
    void constructionTouchesNoFile_data();
    void constructionTouchesNoFile();
    void failingDeviceReportsFailure_data();
    void failingDeviceReportsFailure();
    void nullTableWritesNoRows_data();
    void nullTableWritesNoRows();
    void failedWriteKeepsExistingFile();
    void errorFollowsLastWrite();

    // Format and sections of the results.
    void exporterForName_data();
    void exporterForName();
    void exporterUsesNameAsGiven();
    void resultSectionsInKindOrder();
    void exportSectionsByFormat_data();
    void exportSectionsByFormat();
    void analysedPicturesExport();

private:
    QString path(const QString& name) const { return dir->filePath(name); }
    StatTable& table(int kind) { return tables[size_t(kind)]; }
    TableSet tableSet();
    // Counts each number once per repetition, then finishes and sorts as the window does.
    void fill(int kind, const QList<QPair<float, int>>& valuesAndCounts);

    std::unique_ptr<QTemporaryDir> dir;
    std::array<StatTable, StatKindCount> tables;
};

void TestExport::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    for (StatTable& t : tables)
        t.clear();
}

void TestExport::cleanup()
{
    dir.reset();
}

TableSet TestExport::tableSet()
{
    TableSet set{};
    for (int kind = 0; kind < StatKindCount; ++kind)
        set[size_t(kind)] = &tables[size_t(kind)];
    return set;
}

void TestExport::fill(int kind, const QList<QPair<float, int>>& valuesAndCounts)
{
    StatTable& t = table(kind);
    for (const auto& [value, count] : valuesAndCounts) {
        for (int i = 0; i < count; ++i)
            t.addNumber(value);
    }
    t.computePercents();
    t.sortByValue();
    t.sortByCount();
}

void TestExport::tabSixSectionsOfOneRow()
{
    fill(FocalLength, {{50, 1}});
    fill(FocalLength35mm, {{75, 1}});
    fill(Aperture, {{2.8f, 1}});
    fill(Iso, {{200, 1}});
    table(ExposureTime).addExposureTime(1.0f / 125);
    table(ExposureTime).computePercents();
    table(Camera).addText(QStringLiteral("Canon - Canon EOS 7D"));
    table(Camera).computePercents();

    TABExporter exporter(path("stats.txt"));
    exporter.sections = resultSections(tableSet());
    QVERIFY(exporter.write());

    const QByteArray expected = "Lenstally\r\n"
                                "mm\tPictures\t%\r\n"
                                "50\t1\t100.00\r\n"
                                "mm\tPictures\t%\r\n"
                                "75\t1\t100.00\r\n"
                                "f/\tPictures\t%\r\n"
                                "2.8\t1\t100.00\r\n"
                                "ISO\tPictures\t%\r\n"
                                "200\t1\t100.00\r\n"
                                "Seconds\tPictures\t%\r\n"
                                "1/125\t1\t100.00\r\n"
                                "Make & Model\tPictures\t%\r\n"
                                "Canon - Canon EOS 7D\t1\t100.00\r\n";
    const QByteArray actual = fileBytes(path("stats.txt"));
    QCOMPARE(actual, expected);
    QCOMPARE(actual.count("\r\n"), 13);
    QCOMPARE(actual.count('\n'), 13); // no bare line feed anywhere
}

void TestExport::tabEmptySectionKeepsItsHeading()
{
    fill(Iso, {{100, 1}});
    TABExporter exporter(path("t.txt"));
    exporter.sections = {{"Aperture", "f/", &table(Aperture)}, {"ISO", "ISO", &table(Iso)}};
    QVERIFY(exporter.write());
    QCOMPARE(fileBytes(path("t.txt")), QByteArray("Lenstally\r\n"
                                                  "f/\tPictures\t%\r\n"
                                                  "ISO\tPictures\t%\r\n"
                                                  "100\t1\t100.00\r\n"));

    // An empty last table: the file ends with its heading line.
    exporter.sections = {{"ISO", "ISO", &table(Iso)}, {"Aperture", "f/", &table(Aperture)}};
    QVERIFY(exporter.write());
    QVERIFY(fileBytes(path("t.txt")).endsWith("100.00\r\nf/\tPictures\t%\r\n"));

    // No sections at all: only the title line.
    exporter.sections.clear();
    QVERIFY(exporter.write());
    QCOMPARE(fileBytes(path("t.txt")), QByteArray("Lenstally\r\n"));
}

void TestExport::tabNumberFormats()
{
    fill(FocalLength, {{50, 7}});                       // 7 pictures, 100 %
    fill(Aperture, {{2.8f, 2}, {4, 1}});                // 66.666664 % and 33.333332 %
    fill(Iso, {{100, 19}, {6400, 1}});                  // 95 % and 5 %
    fill(FocalLength35mm, {{24, 1}, {35, 2}, {50, 5}}); // 12.5 %, 25 %, 62.5 %
    QCOMPARE(table(Aperture).row(0)->percent, 66.666664f);

    TABExporter exporter(path("n.txt"));
    exporter.sections = {{"", "a", &table(FocalLength)},
                         {"", "b", &table(Aperture)},
                         {"", "c", &table(Iso)},
                         {"", "d", &table(FocalLength35mm)}};
    QVERIFY(exporter.write());
    QCOMPARE(crlfLines(fileBytes(path("n.txt"))),
             QList<QByteArray>({"Lenstally", "a\tPictures\t%", "50\t7\t100.00", "b\tPictures\t%",
                                "2.8\t2\t66.67", "4\t1\t33.33", "c\tPictures\t%", "100\t19\t95.00",
                                "6400\t1\t5.00", "d\tPictures\t%", "50\t5\t62.50", "35\t2\t25.00",
                                "24\t1\t12.50"}));
}

void TestExport::tabRowsInTableOrder()
{
    // Most pictures first; equal counts in value order, whatever order they came in.
    StatTable& t = table(FocalLength);
    for (float v : {200.0f, 18.0f, 50.0f, 50.0f, 35.0f, 200.0f, 50.0f, 105.0f})
        t.addNumber(v);
    t.computePercents();
    t.sortByValue();
    t.sortByCount();

    TABExporter exporter(path("o.txt"));
    exporter.sections = {{"Focal Length", "mm", &t}};
    QVERIFY(exporter.write());
    QCOMPARE(crlfLines(fileBytes(path("o.txt"))),
             QList<QByteArray>({"Lenstally", "mm\tPictures\t%", "50\t3\t37.50", "200\t2\t25.00",
                                "18\t1\t12.50", "35\t1\t12.50", "105\t1\t12.50"}));

    // Rows come out as the table holds them at the time of writing.
    t.sortByValue();
    QVERIFY(exporter.write());
    QCOMPARE(crlfLines(fileBytes(path("o.txt"))).mid(2),
             QList<QByteArray>({"18\t1\t12.50", "35\t1\t12.50", "50\t3\t37.50", "105\t1\t12.50",
                                "200\t2\t25.00"}));
}

void TestExport::tabLabelsAsTheyAreInUtf8()
{
    StatTable& t = table(Camera);
    t.addText(QString::fromUtf8("Caf\u00e9 \"Pro\" - <1\u00b5>"));
    t.addText(QStringLiteral("A, B; C"));
    t.computePercents();

    TABExporter exporter(path("u.txt"));
    exporter.sections = {{"Camera", "Make & Model", &t}};
    QVERIFY(exporter.write());
    const QByteArray bytes = fileBytes(path("u.txt"));
    QVERIFY(bytes.startsWith("Lenstally\r\n")); // no byte-order mark
    QCOMPARE(
        crlfLines(bytes).mid(1),
        QList<QByteArray>({"Make & Model\tPictures\t%",
                           "Caf\xc3\xa9 \"Pro\" - <1\xc2\xb5>\t1\t50.00", "A, B; C\t1\t50.00"}));
}

void TestExport::htmlWholePage()
{
    fill(Aperture, {{2.8f, 2}, {4, 1}});
    HTMLExporter exporter(path("p.htm"));
    exporter.sections = {{"Aperture", "f/", &table(Aperture)}, {"ISO", "ISO", &table(Iso)}};
    QVERIFY(exporter.write());

    const QByteArray expected = htmlHead +
                                "<h2>Aperture</h2>\r\n"
                                "<table><tr><th>f/</th><th>Pictures</th><th>%</th></tr>\r\n"
                                "<tr><td><b>2.8</b></td>\r\n"
                                "<td align=\"center\">2</td>\r\n"
                                "<td align=\"center\">66.67</td></tr>\r\n"
                                "<tr><td><b>4</b></td>\r\n"
                                "<td align=\"center\">1</td>\r\n"
                                "<td align=\"center\">33.33</td></tr>\r\n"
                                "</table>\r\n"
                                "<h2>ISO</h2>\r\n"
                                "<table><tr><th>ISO</th><th>Pictures</th><th>%</th></tr>\r\n"
                                "</table>\r\n"
                                "</html>";
    QCOMPARE(fileBytes(path("p.htm")), expected);
}

void TestExport::htmlEmptySection()
{
    HTMLExporter exporter(path("e.htm"));
    exporter.sections = {{"Exposure Time", "Seconds", &table(ExposureTime)}};
    QVERIFY(exporter.write());
    QCOMPARE(fileBytes(path("e.htm")),
             htmlHead + "<h2>Exposure Time</h2>\r\n"
                        "<table><tr><th>Seconds</th><th>Pictures</th><th>%</th></tr>\r\n"
                        "</table>\r\n"
                        "</html>");

    exporter.sections.clear();
    QVERIFY(exporter.write());
    QCOMPARE(fileBytes(path("e.htm")), htmlHead + "</html>");
}

void TestExport::htmlThreeLinesPerRow()
{
    fill(FocalLength, {{10, 1}, {12, 2}, {14, 3}, {16, 4}, {18, 5}});
    HTMLExporter exporter(path("r.htm"));
    exporter.sections = resultSections(tableSet());
    QVERIFY(exporter.write());

    const QByteArray bytes = fileBytes(path("r.htm"));
    QVERIFY(bytes.endsWith("</table>\r\n</html>"));
    QCOMPARE(bytes.back(), '>');
    const QList<QByteArray> lines = crlfLines(bytes);
    QCOMPARE(lines.count("</html>"), 1);
    QCOMPARE(lines.count("</table>"), ClassicKindCount);
    const int header = int(lines.indexOf("<table><tr><th>mm</th><th>Pictures</th><th>%</th></tr>"));
    QCOMPARE(lines.at(header - 1), QByteArray("<h2>Focal Length</h2>"));
    QCOMPARE(lines.indexOf("</table>"), header + 1 + 3 * 5);
    QCOMPARE(lines.at(header + 1), QByteArray("<tr><td><b>18</b></td>"));
    QCOMPARE(lines.at(header + 3), QByteArray("<td align=\"center\">33.33</td></tr>"));
    // The second section has the same value heading under its own title.
    QCOMPARE(lines.at(header + 17), QByteArray("<h2>Focal Length (35mm equivalent)</h2>"));
    QCOMPARE(lines.at(header + 18), lines.at(header));
    QCOMPARE(lines.at(header + 19), QByteArray("</table>"));
}

void TestExport::htmlEscapesText_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QByteArray>("cell");
    QTest::newRow("script") << "<script>alert(1)</script>"
                            << QByteArray(
                                   "<tr><td><b>&lt;script&gt;alert(1)&lt;/script&gt;</b></td>");
    QTest::newRow("ampersand") << "A&B" << QByteArray("<tr><td><b>A&amp;B</b></td>");
    QTest::newRow("quotes") << "\"C\"" << QByteArray("<tr><td><b>&quot;C&quot;</b></td>");
    QTest::newRow("non-ASCII") << QString::fromUtf8("Caf\u00e9 \u5199")
                               << QByteArray("<tr><td><b>Caf\xc3\xa9 \xe5\x86\x99</b></td>");
}

void TestExport::htmlEscapesText()
{
    QFETCH(QString, label);
    QFETCH(QByteArray, cell);
    table(Camera).addText(label);
    table(Camera).computePercents();
    HTMLExporter exporter(path("x.htm"));
    exporter.sections = resultSections(tableSet());
    exporter.sections.last().title = QStringLiteral("Camera <&>");
    QVERIFY(exporter.write());
    const QList<QByteArray> lines = crlfLines(fileBytes(path("x.htm")));
    QVERIFY(lines.contains("<h2>Camera &lt;&amp;&gt;</h2>"));
    QVERIFY(lines.contains("<table><tr><th>Make &amp; Model</th><th>Pictures</th><th>%</th></tr>"));
    QVERIFY(lines.contains(cell));
    // The fixed markup stays as it is.
    QVERIFY(fileBytes(path("x.htm")).startsWith(htmlHead));
}

void TestExport::tabLabelsKeepThreeFields_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("tab") << "A\tB" << QByteArray("A B\t1\t100.00");
    QTest::newRow("newline") << "A\nB" << QByteArray("A B\t1\t100.00");
    QTest::newRow("CR LF") << "A\r\nB" << QByteArray("A  B\t1\t100.00");
    QTest::newRow("ampersand stays") << "A&B" << QByteArray("A&B\t1\t100.00");
}

void TestExport::tabLabelsKeepThreeFields()
{
    QFETCH(QString, label);
    QFETCH(QByteArray, line);
    table(Camera).addText(label);
    table(Camera).computePercents();
    TABExporter exporter(path("t.txt"));
    exporter.sections = {{"Camera", "Make\t& Model", &table(Camera)}};
    QVERIFY(exporter.write());
    QCOMPARE(crlfLines(fileBytes(path("t.txt"))),
             QList<QByteArray>({"Lenstally", "Make & Model\tPictures\t%", line}));
}

void TestExport::fileSizeLimitFailsAndKeepsOldFile_data()
{
    fileMatchesDeviceOutput_data();
}

void TestExport::fileSizeLimitFailsAndKeepsOldFile()
{
    // A full disk, played by a file size limit in a child process: write() must say
    // false and the file that was there must stay as it was.
    QFETCH(ExportFormat, format);
    for (int i = 0; i < 2000; ++i)
        table(Camera).addText(QStringLiteral("Camera model number %1").arg(i));
    table(Camera).computePercents();
    const QString target = path("old.txt");
    QVERIFY(putFile(target, "previous contents"));

    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN); // a failing write instead of a killed process
        struct rlimit limit = {4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        const std::unique_ptr<Exporter> exporter = makeExporter(format, target);
        exporter->sections = resultSections(tableSet());
        const bool written = exporter->write();
        _exit(written ? 0 : exporter->error() == ExportError::WriteFailed ? 3 : 4);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 3);
    QCOMPARE(fileBytes(target), QByteArray("previous contents"));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.txt"});
}

void TestExport::fileMatchesDeviceOutput_data()
{
    QTest::addColumn<ExportFormat>("format");
    QTest::newRow("tab") << ExportFormat::Tab;
    QTest::newRow("html") << ExportFormat::Html;
    QTest::newRow("page") << ExportFormat::Page;
    QTest::newRow("csv") << ExportFormat::Csv;
    QTest::newRow("json") << ExportFormat::Json;
}

void TestExport::fileMatchesDeviceOutput()
{
    QFETCH(ExportFormat, format);
    fill(Aperture, {{1.4f, 3}, {8, 1}});
    table(Camera).addText(QStringLiteral("Nikon - D7000"));
    table(Camera).computePercents();

    const std::unique_ptr<Exporter> exporter = makeExporter(format, path("f"));
    exporter->sections = resultSections(tableSet());
    QVERIFY(exporter->write());
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QVERIFY(exporter->writeTo(&buffer));
    QCOMPARE(fileBytes(path("f")), buffer.data());
    QVERIFY(buffer.data().contains("Nikon - D7000"));
}

void TestExport::overwritesExistingFile_data()
{
    fileMatchesDeviceOutput_data();
}

void TestExport::overwritesExistingFile()
{
    QFETCH(ExportFormat, format);
    QVERIFY(putFile(path("old"), QByteArray(100000, 'x')));
    const std::unique_ptr<Exporter> exporter = makeExporter(format, path("old"));
    QVERIFY(exporter->write());

    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QVERIFY(exporter->writeTo(&buffer));
    QCOMPARE(fileBytes(path("old")), buffer.data());
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"old"});
}

void TestExport::missingFolderCreatesNothing_data()
{
    fileMatchesDeviceOutput_data();
}

void TestExport::missingFolderCreatesNothing()
{
    QFETCH(ExportFormat, format);
    const std::unique_ptr<Exporter> exporter = makeExporter(format, path("none/stats.htm"));
    exporter->sections = resultSections(tableSet());
    QVERIFY(!exporter->write());
    QCOMPARE(exporter->error(), ExportError::OpenFailed);
    QVERIFY(!QFileInfo::exists(path("none")));
    QVERIFY(QDir(dir->path()).isEmpty());
}

void TestExport::directoryAsTargetFails_data()
{
    fileMatchesDeviceOutput_data();
}

void TestExport::directoryAsTargetFails()
{
    QFETCH(ExportFormat, format);
    QVERIFY(QDir(dir->path()).mkdir("sub"));
    const std::unique_ptr<Exporter> exporter = makeExporter(format, path("sub"));
    QVERIFY(!exporter->write());
    QVERIFY(exporter->error() != ExportError::None);
    QVERIFY(QFileInfo(path("sub")).isDir());
    QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"sub"});
}

void TestExport::specialTargetsWrittenInPlace_data()
{
    QTest::addColumn<QString>("kind"); // what the target is
    QTest::addColumn<bool>("succeeds");
    QTest::newRow("FIFO") << "fifo" << true;
    QTest::newRow("null device") << "1:3" << true;
    QTest::newRow("full device") << "1:7" << false;
}

void TestExport::specialTargetsWrittenInPlace()
{
    // Renaming a temporary file over a device node or FIFO would replace the node itself.
    QFETCH(QString, kind);
    QFETCH(bool, succeeds);
    fill(Aperture, {{2.8f, 1}});
    const QByteArray node = QFile::encodeName(path("target"));
    QByteArray received;
    std::thread reader;
    if (kind == "fifo") {
        QVERIFY(::mkfifo(node.constData(), 0600) == 0);
        reader = std::thread([&] {
            QFile in(path("target"));
            if (in.open(QIODevice::ReadOnly))
                received = in.readAll();
        });
    } else {
        const QStringList numbers = kind.split(':');
        if (::mknod(node.constData(), S_IFCHR | 0600,
                    makedev(numbers[0].toUInt(), numbers[1].toUInt())) != 0)
            QSKIP("making device nodes is not permitted here");
    }
    TABExporter exporter(path("target"));
    exporter.sections = resultSections(tableSet());
    QCOMPARE(exporter.write(), succeeds);
    if (reader.joinable())
        reader.join();
    QCOMPARE(exporter.error(), succeeds ? ExportError::None : ExportError::WriteFailed);
    struct stat info;
    QVERIFY(::lstat(node.constData(), &info) == 0);
    QVERIFY(kind == "fifo" ? S_ISFIFO(info.st_mode) : S_ISCHR(info.st_mode));
    QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
             QStringList{"target"});
    if (kind == "fifo")
        QVERIFY(received.startsWith("Lenstally\r\n"));
}

void TestExport::constructionTouchesNoFile_data()
{
    fileMatchesDeviceOutput_data();
}

void TestExport::constructionTouchesNoFile()
{
    QFETCH(ExportFormat, format);
    {
        const std::unique_ptr<Exporter> exporter = makeExporter(format, path("never"));
        exporter->sections = resultSections(tableSet());
        QCOMPARE(exporter->error(), ExportError::None);
    }
    QVERIFY(QDir(dir->path()).isEmpty());
}

void TestExport::failingDeviceReportsFailure_data()
{
    // How many bytes of the whole output the device takes before it fails.
    QTest::addColumn<ExportFormat>("format");
    QTest::addColumn<int>("fromEnd");
    QTest::addColumn<bool>("fromStart");
    const char* const names[] = {"tab", "html", "page", "csv", "json"};
    for (const ExportFormat format : {ExportFormat::Tab, ExportFormat::Html, ExportFormat::Page,
                                      ExportFormat::Csv, ExportFormat::Json}) {
        const char* name = names[int(format)];
        QTest::addRow("%s, none", name) << format << 0 << true;
        QTest::addRow("%s, ten", name) << format << 10 << true;
        QTest::addRow("%s, all but the last", name) << format << 1 << false;
    }
}

void TestExport::failingDeviceReportsFailure()
{
    QFETCH(ExportFormat, format);
    QFETCH(int, fromEnd);
    QFETCH(bool, fromStart);
    fill(FocalLength, {{50, 1}});
    const std::unique_ptr<Exporter> exporter = makeExporter(format, QString());
    exporter->sections = resultSections(tableSet());
    QBuffer whole;
    QVERIFY(whole.open(QIODevice::WriteOnly));
    QVERIFY(exporter->writeTo(&whole));
    const qint64 size = whole.data().size();

    FailingDevice device(fromStart ? fromEnd : size - fromEnd);
    QVERIFY(!exporter->writeTo(&device));
    FailingDevice enough(size);
    QVERIFY(exporter->writeTo(&enough));

    // A device that is not open for writing fails as well.
    QBuffer closed;
    QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): device not open");
    QVERIFY(!exporter->writeTo(&closed));
}

void TestExport::nullTableWritesNoRows_data()
{
    fileMatchesDeviceOutput_data();
}

void TestExport::nullTableWritesNoRows()
{
    QFETCH(ExportFormat, format);
    const std::unique_ptr<Exporter> withNull = makeExporter(format, path("a"));
    withNull->sections = {{"ISO", "ISO", nullptr}};
    QVERIFY(withNull->write());
    const std::unique_ptr<Exporter> withEmpty = makeExporter(format, path("b"));
    withEmpty->sections = {{"ISO", "ISO", &table(Iso)}};
    QVERIFY(withEmpty->write());
    QCOMPARE(fileBytes(path("a")), fileBytes(path("b")));
}

void TestExport::failedWriteKeepsExistingFile()
{
    fill(Iso, {{100, 2}});
    QVERIFY(putFile(path("keep.txt"), "earlier export\r\n"));
    HalfWritingExporter exporter(path("keep.txt"));
    exporter.sections = resultSections(tableSet());
    QVERIFY(!exporter.write());
    QCOMPARE(exporter.error(), ExportError::WriteFailed);
    QCOMPARE(fileBytes(path("keep.txt")), QByteArray("earlier export\r\n"));
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"keep.txt"});

    // Nor is one left when there was no file before.
    HalfWritingExporter fresh(path("fresh.txt"));
    QVERIFY(!fresh.write());
    QVERIFY(!QFileInfo::exists(path("fresh.txt")));
    QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"keep.txt"});
}

void TestExport::errorFollowsLastWrite()
{
    TABExporter exporter(path("gone/e.txt"));
    QVERIFY(!exporter.write());
    QCOMPARE(exporter.error(), ExportError::OpenFailed);
    QVERIFY(QDir(dir->path()).mkdir("gone"));
    QVERIFY(exporter.write());
    QCOMPARE(exporter.error(), ExportError::None);
    QCOMPARE(fileBytes(path("gone/e.txt")), QByteArray("Lenstally\r\n"));
}

void TestExport::exporterForName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<ExportFormat>("format");
    QTest::newRow("htm") << "stats.htm" << ExportFormat::Html;
    QTest::newRow("HTM") << "STATS.HTM" << ExportFormat::Html;
    QTest::newRow("Htm") << "stats.Htm" << ExportFormat::Html;
    QTest::newRow("bare .htm") << ".htm" << ExportFormat::Html;
    QTest::newRow("html") << "stats.html" << ExportFormat::Page;
    QTest::newRow("HTML") << "STATS.HTML" << ExportFormat::Page;
    QTest::newRow("csv") << "stats.csv" << ExportFormat::Csv;
    QTest::newRow("CSV") << "STATS.Csv" << ExportFormat::Csv;
    QTest::newRow("json") << "stats.json" << ExportFormat::Json;
    QTest::newRow("JSON") << "STATS.JSON" << ExportFormat::Json;
    QTest::newRow("txt") << "stats.txt" << ExportFormat::Tab;
    QTest::newRow("no extension") << "stats" << ExportFormat::Tab;
    QTest::newRow("htm in the middle") << "stats.htm.txt" << ExportFormat::Tab;
    QTest::newRow("htm without dot") << "statshtm" << ExportFormat::Tab;
    QTest::newRow("json without dot") << "statsjson" << ExportFormat::Tab;
    QTest::newRow("csv in the middle") << "stats.csv.bak" << ExportFormat::Tab;
    QTest::newRow("empty") << "" << ExportFormat::Tab;
}

void TestExport::withFilterSuffix_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("result");
    QTest::newRow("html filter") << "/d/stats"
                                 << "HTML File (*.htm)"
                                 << "/d/stats.htm";
    QTest::newRow("text filter") << "/d/stats"
                                 << "TAB Separated (*.txt)"
                                 << "/d/stats.txt";
    QTest::newRow("suffix kept") << "/d/stats.csv"
                                 << "HTML File (*.htm)"
                                 << "/d/stats.csv";
    QTest::newRow("dotted folder") << "/d.x/stats"
                                   << "TAB Separated (*.txt)"
                                   << "/d.x/stats.txt";
    QTest::newRow("no filter") << "/d/stats"
                               << ""
                               << "/d/stats";
}

void TestExport::withFilterSuffix()
{
    QFETCH(QString, name);
    QFETCH(QString, filter);
    QFETCH(QString, result);
    QCOMPARE(::withFilterSuffix(name, filter), result);
}

void TestExport::exporterForName()
{
    QFETCH(QString, name);
    QFETCH(ExportFormat, format);
    QCOMPARE(exportFormatFor(name), format);
    const std::unique_ptr<Exporter> exporter = exporterFor(name);
    QVERIFY(exporter);
    QVERIFY(exporter->sections.isEmpty());
    const Exporter* e = exporter.get();
    const QList<bool> types = {dynamic_cast<const TABExporter*>(e) != nullptr,
                               dynamic_cast<const HTMLExporter*>(e) != nullptr,
                               dynamic_cast<const PageExporter*>(e) != nullptr,
                               dynamic_cast<const CSVExporter*>(e) != nullptr,
                               dynamic_cast<const JSONExporter*>(e) != nullptr};
    QCOMPARE(types.count(true), 1);
    QCOMPARE(types.indexOf(true), int(format));
}

void TestExport::exporterUsesNameAsGiven()
{
    for (const QString& name : {QStringLiteral("plain"), QStringLiteral("Page.HTM")}) {
        const std::unique_ptr<Exporter> exporter = exporterFor(path(name));
        QVERIFY(exporter->write());
    }
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files, QDir::Name),
             QStringList({"Page.HTM", "plain"}));
    QCOMPARE(fileBytes(path("plain")), QByteArray("Lenstally\r\n"));
    QCOMPARE(fileBytes(path("Page.HTM")), htmlHead + "</html>");
}

void TestExport::resultSectionsInKindOrder()
{
    const QList<ExportSection> sections = resultSections(tableSet());
    QCOMPARE(sections.size(), ClassicKindCount);
    const QStringList titles = {"Focal Length",  "Focal Length (35mm equivalent)",
                                "Aperture",      "ISO",
                                "Exposure Time", "Camera"};
    const QStringList headings = {"mm", "mm", "f/", "ISO", "Seconds", "Make & Model"};
    for (int kind = 0; kind < ClassicKindCount; ++kind) {
        QCOMPARE(sections[kind].title, titles[kind]);
        QCOMPARE(sections[kind].valueHeading, headings[kind]);
        QCOMPARE(sections[kind].table, &table(kind));
    }

    TableSet partial{};
    partial[Camera] = &table(Camera);
    const QList<ExportSection> some = resultSections(partial);
    QCOMPARE(some.size(), ClassicKindCount);
    QCOMPARE(some[FocalLength].table, nullptr);
    QCOMPARE(some[Camera].table, &table(Camera));
}

void TestExport::exportSectionsByFormat_data()
{
    QTest::addColumn<ExportFormat>("format");
    QTest::addColumn<int>("count");
    QTest::newRow("tab") << ExportFormat::Tab << ClassicKindCount;
    QTest::newRow("html") << ExportFormat::Html << ClassicKindCount;
    QTest::newRow("page") << ExportFormat::Page << StatKindCount;
    QTest::newRow("csv") << ExportFormat::Csv << StatKindCount;
    QTest::newRow("json") << ExportFormat::Json << StatKindCount;
}

void TestExport::exportSectionsByFormat()
{
    QFETCH(ExportFormat, format);
    QFETCH(int, count);
    const QList<ExportSection> sections = exportSections(format, tableSet());
    QCOMPARE(sections.size(), count);
    for (int kind = 0; kind < count; ++kind) {
        QCOMPARE(sections[kind].kind, std::optional<StatKind>(StatKind(kind)));
        QCOMPARE(sections[kind].table, &table(kind));
    }
    QCOMPARE(sections.last().title, count == StatKindCount ? "Year" : "Camera");
}

void TestExport::analysedPicturesExport()
{
    using testpictures::Tag;
    using testpictures::typicalTags;
    const QList<Tag> canon = typicalTags();
    const QList<QList<Tag>> pictures = {
        canon,
        canon,
        testpictures::withTag(
            typicalTags(QStringLiteral("NIKON"), QStringLiteral("D7000 & <Z>")),
            QStringLiteral("Exif.Photo.FNumber"),
            Tag::textTag(QStringLiteral("Exif.Photo.FNumber"), QStringLiteral("4/1"))),
    };
    const TableSet set = tableSet();
    for (int i = 0; i < pictures.size(); ++i) {
        const QString file = path(QStringLiteral("p%1.jpg").arg(i));
        QVERIFY(testpictures::writePicture(file, testpictures::Format::Jpeg, pictures[i]));
        PictureValues values;
        QCOMPARE(analyseFile(file, {}, &values), PictureOutcome::Counted);
        addToTables(values, set);
    }
    for (StatTable& t : tables) {
        t.computePercents();
        t.sortByValue();
        t.sortByCount();
    }

    const std::unique_ptr<Exporter> tab = exporterFor(path("r.txt"));
    tab->sections = resultSections(set);
    QVERIFY(tab->write());
    const QList<QByteArray> lines = crlfLines(fileBytes(path("r.txt")));
    QCOMPARE(lines.size(), 1 + 6 + 1 + 1 + 2 + 1 + 1 + 2);
    const int aperture = int(lines.indexOf("f/\tPictures\t%"));
    QCOMPARE(lines.mid(aperture + 1, 2), QList<QByteArray>({"2.8\t2\t66.67", "4\t1\t33.33"}));
    QCOMPARE(lines.at(lines.indexOf("Seconds\tPictures\t%") + 1), QByteArray("1/125\t3\t100.00"));
    QVERIFY(lines.contains("NIKON - D7000 & <Z>\t1\t33.33"));

    const std::unique_ptr<Exporter> html = exporterFor(path("r.htm"));
    html->sections = resultSections(set);
    QVERIFY(html->write());
    const QByteArray page = fileBytes(path("r.htm"));
    QVERIFY(page.contains("<tr><td><b>NIKON - D7000 &amp; &lt;Z&gt;</b></td>\r\n"
                          "<td align=\"center\">1</td>\r\n"
                          "<td align=\"center\">33.33</td></tr>\r\n"));
    QVERIFY(page.contains("<tr><td><b>75</b></td>\r\n"
                          "<td align=\"center\">3</td>\r\n"
                          "<td align=\"center\">100.00</td></tr>\r\n"));
}

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"

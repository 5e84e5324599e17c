// SPDX-License-Identifier: GPL-3.0-or-later
// The report page, CSV and JSON: byte for byte on a small table set, hostile labels,
// CSV and JSON read back into the same rows, the page's charts and its validity.

#include "core/count/numberformat.h"
#include "core/session/analysisresult.h"
#include "export/csvexporter.h"
#include "export/jsonexporter.h"
#include "export/pageexporter.h"
#include "export/resultexport.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <array>

namespace {

// RFC 4180 records; ok false when a quote is misplaced or the text does not end in CR LF.
QList<QStringList> parseCsv(const QString& text, bool* ok)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;   // the field began with a quote
    bool inQuotes = false; // between its quotes
    *ok = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (text.mid(i + 1, 1) == QLatin1String("\""))
                field += text[++i];
            else
                inQuotes = false;
        } else if (c == QLatin1Char(',') || text.mid(i, 2) == QLatin1String("\r\n")) {
            record << field;
            field.clear();
            quoted = false;
            if (c != QLatin1Char(',')) {
                records << record;
                record.clear();
                ++i;
            }
        } else if (quoted || c == QLatin1Char('\r') || c == QLatin1Char('\n') ||
                   (c == QLatin1Char('"') && !field.isEmpty())) {
            return {};
        } else if (c == QLatin1Char('"')) {
            quoted = inQuotes = true;
        } else {
            field += c;
        }
    }
    *ok = !inQuotes && field.isEmpty() && record.isEmpty();
    return records;
}

QByteArray written(Exporter& exporter)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return exporter.writeTo(&buffer) ? buffer.data() : QByteArray("<failed>");
}

// The field as the CSV export writes it before quoting.
QString guarded(const QString& text)
{
    return QStringLiteral("=+-@\t\r").contains(text.left(1)) && !text.isEmpty()
               ? QLatin1Char('\'') + text
               : text;
}

} // namespace

class TestExportFormats : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void csvSmallSet();
    void jsonSmallSet();
    void pageSmallSet();
    void pageStandsAlone();
    void hostileLabels_data();
    void hostileLabels();
    void csvReadsBack();
    void csvNumbers_data();
    void csvNumbers();
    void csvNumbersInSpreadsheet();
    void jsonReadsBack();
    void optionalOutcomes_data();
    void optionalOutcomes();
    void chartRows_data();
    void chartRows();
    void chartShortensLongLabels();
    void chartsInNaturalOrder_data();
    void chartsInNaturalOrder();
    void pagePassesTidy();

private:
    StatTable& table(StatKind kind) { return tables[size_t(kind)]; }
    TableSet tableSet();
    void finish();
    // Two 50 mm and one unknown 35 mm focal length, an empty ISO table, one camera.
    QList<ExportSection> smallSet();
    ExportContext smallContext() const;
    // One picture per label in Camera, Lens and Year (as their text), plus the 35 mm "0".
    void fillHostile(const QStringList& labels);

    std::array<StatTable, StatKindCount> tables;
};

const QStringList hostile = {QStringLiteral("<script>alert(1)</script>"),
                             QStringLiteral("Say \"cheese\""),
                             QStringLiteral("=cmd|' /C calc'!A0"),
                             QStringLiteral("-"),
                             QStringLiteral("+1, @SUM(A1)"),
                             QStringLiteral("A, B"),
                             QStringLiteral("two\nlines\r\n"),
                             QStringLiteral("back\\slash\ttab"),
                             QStringLiteral("\x01 bell %1 & %2"),
                             QString::fromUtf8("Caf\u00e9 \u5199 \u2028")};

void TestExportFormats::init()
{
    for (StatTable& t : tables)
        t.clear();
}

TableSet TestExportFormats::tableSet()
{
    TableSet set{};
    for (int kind = 0; kind < StatKindCount; ++kind)
        set[size_t(kind)] = &tables[size_t(kind)];
    return set;
}

void TestExportFormats::finish()
{
    for (StatTable& t : tables) {
        t.computePercents();
        t.sortByValue();
        t.sortByCount();
    }
}

QList<ExportSection> TestExportFormats::smallSet()
{
    for (float focal : {50.0f, 0.0f, 50.0f})
        table(FocalLength35mm).addNumber(focal);
    table(Camera).addText(QStringLiteral("NIKON - Z 6"));
    finish();
    return {{"Focal Length (35mm equivalent)", "mm", &table(FocalLength35mm), FocalLength35mm},
            {"ISO", "ISO", &table(Iso), Iso},
            {"Camera", "Make & Model", &table(Camera), Camera}};
}

ExportContext TestExportFormats::smallContext() const
{
    ExportContext context;
    context.folder = QStringLiteral("/photos/2024");
    context.analysedAt = QDateTime(QDate(2024, 6, 1), QTime(12, 34, 56));
    context.request.folder = QStringLiteral("photos/2024");
    context.request.jpeg = true;
    context.request.makeText = QStringLiteral("Canon; Nikon");
    context.request.jobs = 2;
    context.request.pairsOnce = true;
    context.outcomes.counted = 3;
    context.outcomes.filteredOut = 1;
    context.outcomes.unusable = 2;
    context.outcomes.unreadable = 1;
    context.outcomes.pairDuplicates = 1;
    return context;
}

void TestExportFormats::fillHostile(const QStringList& labels)
{
    for (const QString& label : labels) {
        table(Camera).addText(label);
        table(Lens).addText(label);
    }
    table(Lens).addText(QStringLiteral("Unknown"));
    table(Year).addKeyed(0, QStringLiteral("Unknown"));
    table(Year).addKeyed(2024, QStringLiteral("2024"));
    table(FocalLength35mm).addNumber(0);
    table(ExposureTime).addExposureTime(1.0f / 250);
    finish();
}

void TestExportFormats::csvSmallSet()
{
    CSVExporter exporter(QString{});
    exporter.sections = smallSet();
    exporter.context = smallContext();
    QCOMPARE(written(exporter), QByteArray("Table,Value,Number,Pictures,Percent\r\n"
                                           "Focal Length (35mm equivalent),50,50,2,66.67\r\n"
                                           "Focal Length (35mm equivalent),Unknown,,1,33.33\r\n"
                                           "Camera,NIKON - Z 6,,1,100.00\r\n"));
}

void TestExportFormats::jsonSmallSet()
{
    JSONExporter exporter(QString{});
    exporter.sections = smallSet();
    exporter.context = smallContext();
    // A zoom used between its ends and a prime: numbers, and null where a cell is empty.
    LensUsage zoom{"Z \"24-70\"", 2, 66.67f, 240, 700, 50.0f, 0.0f, 350, 560, 28, 100.0f};
    LensUsage prime{"P", 1, 33.33f, 500, 500, {}, {}, {}, {}, 18, 100.0f};
    exporter.context.insights = {{{50, 500, 500}, {80, 240, 705}}, {zoom, prime}};
    const QByteArray expected =
        "{\n"
        "  \"program\": \"Lenstally\",\n"
        "  \"version\": \"" +
        programVersion().toUtf8() +
        "\",\n"
        "  \"folder\": \"/photos/2024\",\n"
        "  \"settings\": {\n"
        "    \"formats\": [\"jpeg\", \"raw\"],\n"
        "    \"make\": {\"text\": \"Canon; Nikon\", \"except\": false},\n"
        "    \"model\": {\"text\": \"\", \"except\": false},\n"
        "    \"jobs\": 2,\n"
        "    \"estimate35mm\": false,\n"
        "    \"pairsOnce\": true,\n"
        "    \"takenFrom\": null,\n"
        "    \"takenUntil\": null\n"
        "  },\n"
        "  \"totals\": {\"files\": 8, \"counted\": 3, \"filteredOut\": 1, "
        "\"unusable\": 2, \"unreadable\": 1, \"pairDuplicates\": 1},\n"
        "  \"tables\": [\n"
        "    {\n"
        "      \"kind\": \"focalLength35mm\",\n"
        "      \"title\": \"Focal Length (35mm equivalent)\",\n"
        "      \"heading\": \"mm\",\n"
        "      \"total\": 3,\n"
        "      \"rows\": [\n"
        "        {\"label\": \"50\", \"key\": 500, \"count\": 2, "
        "\"percent\": 66.67},\n"
        "        {\"label\": \"Unknown\", \"key\": 0, \"count\": 1, "
        "\"percent\": 33.33}\n"
        "      ]\n"
        "    },\n"
        "    {\n"
        "      \"kind\": \"iso\",\n"
        "      \"title\": \"ISO\",\n"
        "      \"heading\": \"ISO\",\n"
        "      \"total\": 0,\n"
        "      \"rows\": []\n"
        "    },\n"
        "    {\n"
        "      \"kind\": \"camera\",\n"
        "      \"title\": \"Camera\",\n"
        "      \"heading\": \"Make & Model\",\n"
        "      \"total\": 1,\n"
        "      \"rows\": [\n"
        "        {\"label\": \"NIKON - Z 6\", \"key\": 0, \"count\": 1, "
        "\"percent\": 100.00}\n"
        "      ]\n"
        "    }\n"
        "  ],\n"
        "  \"insights\": {\n"
        "    \"coverage\": [\n"
        "      {\"share\": 50, \"from\": 50, \"to\": 50},\n"
        "      {\"share\": 80, \"from\": 24, \"to\": 70.5}\n"
        "    ],\n"
        "    \"lenses\": [\n"
        "      {\"label\": \"Z \\\"24-70\\\"\", \"count\": 2, "
        "\"percent\": 66.67, \"shortest\": 24, \"longest\": 70, "
        "\"atShortEnd\": 50.00, \"atLongEnd\": 0.00, \"favourite\": 35, "
        "\"favourite35mm\": 56, \"widest\": 2.8, \"wideOpen\": 100.00},\n"
        "      {\"label\": \"P\", \"count\": 1, \"percent\": 33.33, "
        "\"shortest\": 50, \"longest\": 50, \"atShortEnd\": null, "
        "\"atLongEnd\": null, \"favourite\": null, \"favourite35mm\": null, "
        "\"widest\": 1.8, \"wideOpen\": 100.00}\n"
        "    ]\n"
        "  }\n"
        "}\n";
    QCOMPARE(written(exporter), expected);

    exporter.sections.clear();
    exporter.context.insights = {};
    QVERIFY(written(exporter).endsWith("\"pairDuplicates\": 1},\n  \"tables\": [],\n"
                                       "  \"insights\": {\n    \"coverage\": [],\n"
                                       "    \"lenses\": []\n  }\n}\n"));
}

void TestExportFormats::pageSmallSet()
{
    PageExporter exporter(QString{});
    exporter.sections = smallSet();
    exporter.context = smallContext();
    const QByteArray page = written(exporter);
    const QByteArray expected =
        "<body>\n<header>\n<h1>Lenstally</h1>\n<p class=\"folder\">/photos/2024</p>\n"
        "</header>\n<main>\n<section id=\"analysis\">\n<h2>Analysis</h2>\n"
        "<dl class=\"settings\">\n"
        "<dt>Folder</dt><dd>/photos/2024</dd>\n"
        "<dt>Analysed</dt><dd><time datetime=\"2024-06-01T12:34:56\">2024-06-01 12:34</time>"
        "</dd>\n"
        "<dt>Formats</dt><dd>JPEG, RAW</dd>\n"
        "<dt>Make</dt><dd>Canon; Nikon</dd>\n"
        "<dt>Model</dt><dd>any</dd>\n"
        "<dt>Counting options</dt><dd>RAW+JPEG pairs once</dd>\n"
        "</dl>\n"
        "<table class=\"outcomes\">\n"
        "<thead><tr><th scope=\"col\">Files</th><th scope=\"col\" class=\"num\">Number</th>"
        "</tr></thead>\n<tbody>\n"
        "<tr><td>Counted</td><td class=\"num\">3</td></tr>\n"
        "<tr><td>Filtered out</td><td class=\"num\">1</td></tr>\n"
        "<tr><td>Without usable data</td><td class=\"num\">2</td></tr>\n"
        "<tr><td>Unreadable</td><td class=\"num\">1</td></tr>\n"
        "<tr><td>Pair duplicates</td><td class=\"num\">1</td></tr>\n"
        "<tr class=\"total\"><td>All files</td><td class=\"num\">8</td></tr>\n"
        "</tbody>\n</table>\n"
        "<nav aria-label=\"Tables\"><ul>\n"
        "<li><a href=\"#insights\">Insights</a></li>\n"
        "<li><a href=\"#table-1\">Focal Length (35mm equivalent)</a></li>\n"
        "<li><a href=\"#table-2\">ISO</a></li>\n"
        "<li><a href=\"#table-3\">Camera</a></li>\n"
        "</ul></nav>\n</section>\n"
        "<section id=\"insights\">\n<h2>Insights</h2>\n<p class=\"count\">No pictures.</p>\n"
        "</section>\n"
        "<section id=\"table-1\">\n<h2>Focal Length (35mm equivalent)</h2>\n"
        "<p class=\"count\">3 pictures, 2 rows</p>\n"
        "<figure>\n"
        "<svg class=\"chart\" width=\"100%\" height=\"156\" role=\"img\" aria-label=\"Focal Length "
        "(35mm equivalent): pictures by value\">\n"
        "<text class=\"value\" x=\"0\" y=\"12\">2 pictures</text>\n"
        "<line class=\"grid\" x1=\"0\" y1=\"138\" x2=\"100%\" y2=\"138\"/>\n"
        "<line class=\"grid\" x1=\"7.03%\" y1=\"18\" x2=\"7.03%\" y2=\"142\"/><text class=\"tick\" "
        "x=\"7.03%\" y=\"153\" text-anchor=\"middle\">28</text>\n"
        "<line class=\"grid\" x1=\"20.87%\" y1=\"18\" x2=\"20.87%\" y2=\"142\"/><text "
        "class=\"tick\" x=\"20.87%\" y=\"153\" text-anchor=\"middle\">35</text>\n"
        "<line class=\"grid\" x1=\"43.00%\" y1=\"18\" x2=\"43.00%\" y2=\"142\"/><text "
        "class=\"tick\" x=\"43.00%\" y=\"153\" text-anchor=\"middle\">50</text>\n"
        "<line class=\"grid\" x1=\"63.87%\" y1=\"18\" x2=\"63.87%\" y2=\"142\"/><text "
        "class=\"tick\" x=\"63.87%\" y=\"153\" text-anchor=\"middle\">70</text>\n"
        "<line class=\"grid\" x1=\"75.92%\" y1=\"18\" x2=\"75.92%\" y2=\"142\"/><text "
        "class=\"tick\" x=\"75.92%\" y=\"153\" text-anchor=\"middle\">85</text>\n"
        "<line class=\"grid\" x1=\"86.00%\" y1=\"18\" x2=\"86.00%\" y2=\"142\"/><text "
        "class=\"tick\" x=\"86.00%\" y=\"153\" text-anchor=\"middle\">100</text>\n"
        "<g><title>50: 2 pictures, 66.67 %</title><rect class=\"bar\" x=\"41.75%\" y=\"18\" "
        "width=\"2.50%\" height=\"120\"/></g>\n"
        "<g><title>Unknown: 1 picture, 33.33 %</title><rect class=\"bar\" x=\"93.75%\" y=\"78\" "
        "width=\"2.50%\" height=\"60\"/></g>\n"
        "<text class=\"tick\" x=\"95.00%\" y=\"153\" text-anchor=\"middle\">Unknown</text>\n"
        "</svg>\n"
        "</figure>\n"
        "<table class=\"rows\">\n<thead><tr><th scope=\"col\">mm</th>"
        "<th scope=\"col\" class=\"num\">Pictures</th><th scope=\"col\" class=\"num\">%</th>"
        "</tr></thead>\n<tbody>\n"
        "<tr><td>50</td><td class=\"num\">2</td><td class=\"num\">66.67</td></tr>\n"
        "<tr><td>Unknown</td><td class=\"num\">1</td><td class=\"num\">33.33</td></tr>\n"
        "</tbody>\n</table>\n</section>\n"
        "<section id=\"table-2\">\n<h2>ISO</h2>\n<p class=\"count\">No pictures.</p>\n"
        "</section>\n"
        "<section id=\"table-3\">\n<h2>Camera</h2>\n"
        "<p class=\"count\">1 picture, 1 row</p>\n"
        "<figure>\n<svg class=\"chart\" width=\"100%\" height=\"28\" role=\"img\" "
        "aria-label=\"Camera: pictures by share\">\n"
        "<defs><clipPath id=\"clip-3\"><rect x=\"0\" y=\"0\" width=\"31.00%\" height=\"28\"/>"
        "</clipPath></defs>\n"
        "<g><title>NIKON - Z 6: 1 picture, 100.00 %</title>\n"
        "<text class=\"label\" x=\"0\" y=\"16\" clip-path=\"url(#clip-3)\">NIKON - Z 6</text>\n"
        "<rect class=\"bar\" x=\"32.50%\" y=\"4\" width=\"43.50%\" height=\"16\" rx=\"2\"/>\n"
        "<text class=\"value\" x=\"76.00%\" dx=\"6\" y=\"16\">100.00 % (1)</text></g>\n"
        "</svg>\n</figure>\n"
        "<table class=\"rows\">\n<thead><tr><th scope=\"col\">Make &amp; Model</th>"
        "<th scope=\"col\" class=\"num\">Pictures</th><th scope=\"col\" class=\"num\">%</th>"
        "</tr></thead>\n<tbody>\n"
        "<tr><td>NIKON - Z 6</td><td class=\"num\">1</td><td class=\"num\">100.00</td></tr>\n"
        "</tbody>\n</table>\n</section>\n"
        "</main>\n<footer>Written by Lenstally " +
        programVersion().toUtf8() + "</footer>\n</body>\n</html>\n";
    QCOMPARE(page.mid(page.indexOf("<body>")), expected);
}

void TestExportFormats::pageStandsAlone()
{
    PageExporter exporter(QString{});
    exporter.sections = smallSet();
    exporter.context = smallContext();
    const QByteArray page = written(exporter);
    QVERIFY(page.startsWith("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n"
                            "<meta charset=\"utf-8\">\n<meta name=\"viewport\" "
                            "content=\"width=device-width, initial-scale=1\">\n"
                            "<title>Lenstally: /photos/2024</title>\n<style>\n"));
    QVERIFY(page.contains("@media print {"));
    QVERIFY(page.contains("@media (max-width: 40rem) {"));
    // Nothing runs and nothing is fetched: no script, no address but the page's own anchors.
    QVERIFY(!page.contains("<script"));
    QVERIFY(!page.contains("src="));
    QVERIFY(!page.contains("url(http"));
    QVERIFY(!page.contains("@import"));
    const QRegularExpression links(QStringLiteral("href=\"([^\"]*)\""));
    int anchors = 0;
    for (const QRegularExpressionMatch& link : links.globalMatch(QString::fromUtf8(page))) {
        QVERIFY2(link.captured(1).startsWith(QLatin1Char('#')), qPrintable(link.captured(1)));
        ++anchors;
    }
    QCOMPARE(anchors, 4); // the Insights section and the three tables
    QCOMPARE(page.count('\r'), 0);
}

void TestExportFormats::hostileLabels_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QByteArray>("csv");  // the field
    QTest::addColumn<QByteArray>("json"); // the string
    QTest::addColumn<QByteArray>("page"); // the text
    QTest::newRow("script") << hostile[0] << QByteArray("<script>alert(1)</script>")
                            << QByteArray("\"<script>alert(1)</script>\"")
                            << QByteArray("&lt;script&gt;alert(1)&lt;/script&gt;");
    QTest::newRow("quotes") << hostile[1] << QByteArray("\"Say \"\"cheese\"\"\"")
                            << QByteArray("\"Say \\\"cheese\\\"\"")
                            << QByteArray("Say &quot;cheese&quot;");
    QTest::newRow("formula") << hostile[2] << QByteArray("'=cmd|' /C calc'!A0")
                             << QByteArray("\"=cmd|' /C calc'!A0\"")
                             << QByteArray(">=cmd|' /C calc'!A0<");
    QTest::newRow("dash") << hostile[3] << QByteArray(",'-,") << QByteArray("\"-\"")
                          << QByteArray("<td>-</td>");
    QTest::newRow("plus, comma") << hostile[4] << QByteArray("\"'+1, @SUM(A1)\"")
                                 << QByteArray("\"+1, @SUM(A1)\"") << QByteArray(">+1, @SUM(A1)<");
    QTest::newRow("comma") << hostile[5] << QByteArray(",\"A, B\",") << QByteArray("\"A, B\"")
                           << QByteArray("<td>A, B</td>");
    QTest::newRow("line ends") << hostile[6] << QByteArray("\"two\nlines\r\n\"")
                               << QByteArray("\"two\\nlines\\r\\n\"")
                               << QByteArray("<td>two\nlines\r\n</td>");
    QTest::newRow("backslash, tab")
        << hostile[7] << QByteArray(",back\\slash\ttab,") << QByteArray("\"back\\\\slash\\ttab\"")
        << QByteArray("<td>back\\slash\ttab</td>");
    QTest::newRow("control, placeholders")
        << hostile[8] << QByteArray(",\x01 bell %1 & %2,") << QByteArray("\"\\u0001 bell %1 & %2\"")
        << QByteArray("<td>\xef\xbf\xbd bell %1 &amp; %2</td>");
    QTest::newRow("non-ASCII") << hostile[9]
                               << QByteArray(",Caf\xc3\xa9 \xe5\x86\x99 \xe2\x80\xa8,")
                               << QByteArray("\"Caf\xc3\xa9 \xe5\x86\x99 \\u2028\"")
                               << QByteArray("<td>Caf\xc3\xa9 \xe5\x86\x99 \xe2\x80\xa8</td>");
}

void TestExportFormats::hostileLabels()
{
    QFETCH(QString, label);
    QFETCH(QByteArray, csv);
    QFETCH(QByteArray, json);
    QFETCH(QByteArray, page);
    table(Camera).addText(label);
    finish();
    const QList<ExportSection> sections = {{"Camera", "Make & Model", &table(Camera), Camera}};
    ExportContext context;
    context.folder = label;
    context.request.makeText = label;

    CSVExporter csvExporter(QString{});
    csvExporter.sections = sections;
    const QByteArray csvText = written(csvExporter);
    QVERIFY2(csvText.contains(csv), csvText.constData());
    QCOMPARE(csvText.count("\r\n"), 2 + int(label.count(QLatin1String("\r\n"))));

    JSONExporter jsonExporter(QString{});
    jsonExporter.sections = sections;
    jsonExporter.context = context;
    const QByteArray jsonText = written(jsonExporter);
    QVERIFY2(jsonText.contains("{\"label\": " + json + ", \"key\": 0, \"count\": 1"),
             jsonText.constData());
    QVERIFY(jsonText.contains("\"folder\": " + json + ",\n"));
    QVERIFY(jsonText.contains("\"make\": {\"text\": " + json + ", \"except\": false}"));

    PageExporter pageExporter(QString{});
    pageExporter.sections = sections;
    pageExporter.context = context;
    const QByteArray pageText = written(pageExporter);
    QVERIFY2(pageText.contains(page), pageText.constData());
    QVERIFY(!pageText.contains("<script"));
    // The folder in the title, the heading and the settings; the label in the chart's
    // tooltip and text, and in the table.
    const QByteArray escaped = PageExporter::escaped(label).toUtf8();
    for (const QByteArray& part :
         {"<title>Lenstally: " + escaped + "</title>", "<p class=\"folder\">" + escaped + "</p>",
          "<dt>Folder</dt><dd>" + escaped + "</dd>", "<dt>Make</dt><dd>" + escaped + "</dd>",
          "<g><title>" + escaped + ": 1 picture, 100.00 %</title>",
          "clip-path=\"url(#clip-1)\">" + escaped + "</text>", "<tr><td>" + escaped + "</td>"})
        QVERIFY2(pageText.contains(part), part.constData());
}

void TestExportFormats::csvReadsBack()
{
    fillHostile(hostile);
    CSVExporter exporter(QString{});
    exporter.sections = allSections(tableSet());
    bool ok = false;
    const QList<QStringList> records = parseCsv(QString::fromUtf8(written(exporter)), &ok);
    QVERIFY(ok);
    QList<QStringList> expected = {{"Table", "Value", "Number", "Pictures", "Percent"}};
    for (const ExportSection& section : exporter.sections) {
        for (unsigned i = 0; i < section.table->rowCount(); ++i) {
            const StatRow* row = section.table->row(i);
            expected.append({section.title, guarded(displayLabel(*section.kind, row->label)),
                             CSVExporter::number(section.kind, *row), QString::number(row->count),
                             percentText(row->percent)});
        }
    }
    QCOMPARE(records, expected);
    QCOMPARE(records.size(), 1 + 2 * hostile.size() + 1 + 2 + 1 + 1);
    QVERIFY(records.contains({"Focal Length (35mm equivalent)", "Unknown", "", "1", "100.00"}));
    QVERIFY(records.contains({"Year", "Unknown", "", "1", "50.00"}));
}

void TestExportFormats::csvNumbers_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("value"); // a number, exposure seconds, or a year key
    QTest::addColumn<QString>("line"); // after the table title
    QTest::newRow("1/30 s") << int(ExposureTime) << 1.0 / 30 << ",1/30,0.033333,1,100.00";
    QTest::newRow("1/4000 s") << int(ExposureTime) << 1.0 / 4000 << ",1/4000,0.00025,1,100.00";
    QTest::newRow("1.3 s") << int(ExposureTime) << 1.3 << ",1.3,1.3,1,100.00";
    QTest::newRow("f/2.8") << int(Aperture) << 2.8 << ",2.8,2.8,1,100.00";
    QTest::newRow("4.5 mm") << int(FocalLength) << 4.5 << ",4.5,4.5,1,100.00";
    QTest::newRow("35 mm unknown") << int(FocalLength35mm) << 0.0 << ",Unknown,,1,100.00";
    QTest::newRow("ISO 12800") << int(Iso) << 12800.0 << ",12800,12800,1,100.00";
    QTest::newRow("year") << int(Year) << 2024.0 << ",2024,2024,1,100.00";
    QTest::newRow("year unknown") << int(Year) << 0.0 << ",Unknown,,1,100.00";
    QTest::newRow("camera") << int(Camera) << 0.0 << ",Canon - EOS 7D,,1,100.00";
}

void TestExportFormats::csvNumbers()
{
    QFETCH(int, kind);
    QFETCH(double, value);
    QFETCH(QString, line);
    const StatKind statKind = StatKind(kind);
    if (statKind == ExposureTime)
        table(statKind).addExposureTime(float(value));
    else if (statKind == Year)
        table(statKind).addKeyed(qint64(value), value ? QString::number(value) : "Unknown");
    else if (statKind == Camera)
        table(statKind).addText("Canon - EOS 7D");
    else
        table(statKind).addNumber(float(value));
    finish();
    CSVExporter exporter(QString{});
    exporter.sections = {{"T", "V", &table(statKind), statKind}};
    QCOMPARE(written(exporter),
             "Table,Value,Number,Pictures,Percent\r\nT" + line.toUtf8() + "\r\n");
}

// What a spreadsheet makes of the CSV: LibreOffice converts it to a flat OpenDocument
// spreadsheet, whose cells carry their types. US English with special numbers detected is
// the import that takes 1/30 and 1/8 for dates.
void TestExportFormats::csvNumbersInSpreadsheet()
{
    const QString soffice = QStandardPaths::findExecutable("soffice");
    if (soffice.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    for (double seconds : {1.0 / 30, 1.0 / 15, 1.0 / 8})
        table(ExposureTime).addExposureTime(float(seconds));
    finish();
    QTemporaryDir dir;
    CSVExporter exporter(dir.filePath("stats.csv"));
    exporter.sections = allSections(tableSet());
    QVERIFY(exporter.write());
    QProcess office;
    office.start(
        soffice,
        {"-env:UserInstallation=" + QUrl::fromLocalFile(dir.filePath("profile")).toString(),
         "--headless", "--infilter=CSV:44,34,76,1,,1033,false,true", "--convert-to", "fods",
         "--outdir", dir.path(), dir.filePath("stats.csv")});
    QVERIFY(office.waitForFinished(120000));
    QFile fods(dir.filePath("stats.fods"));
    QVERIFY2(fods.open(QIODevice::ReadOnly), office.readAllStandardError().constData());
    // Only the Number column holds these values; the labels may have become dates.
    const QByteArray sheet = fods.readAll();
    for (const char* number : {"0.033333", "0.066667", "0.125"}) {
        const QByteArray cell =
            QByteArray("office:value-type=\"float\" office:value=\"") + number + '"';
        QVERIFY2(sheet.contains(cell), number);
    }
}

void TestExportFormats::jsonReadsBack()
{
    fillHostile(hostile);
    JSONExporter exporter(QString{});
    exporter.sections = allSections(tableSet());
    exporter.context = smallContext();
    exporter.context.request.takenFrom = QDate(2024, 1, 1);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(written(exporter), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject root = document.object();
    QCOMPARE(root.keys(), QStringList({"folder", "insights", "program", "settings", "tables",
                                       "totals", "version"}));
    QCOMPARE(root["settings"]["takenFrom"].toString(), QStringLiteral("2024-01-01"));
    QVERIFY(root["settings"]["takenUntil"].isNull());
    QCOMPARE(root["settings"]["formats"].toArray(), QJsonArray({"jpeg", "raw"}));
    const QJsonArray tablesRead = root["tables"].toArray();
    QCOMPARE(tablesRead.size(), StatKindCount);
    const QStringList kinds = {"focalLength",  "focalLength35mm", "aperture", "iso",
                               "exposureTime", "camera",          "lens",     "year"};
    for (int kind = 0; kind < StatKindCount; ++kind) {
        const QJsonObject read = tablesRead[kind].toObject();
        const ExportSection& section = exporter.sections[kind];
        QCOMPARE(read["kind"].toString(), kinds[kind]);
        QCOMPARE(read["title"].toString(), section.title);
        QCOMPARE(read["heading"].toString(), section.valueHeading);
        QCOMPARE(read["total"].toInt(), section.table->total());
        const QJsonArray rows = read["rows"].toArray();
        QCOMPARE(unsigned(rows.size()), section.table->rowCount());
        for (unsigned i = 0; i < section.table->rowCount(); ++i) {
            const StatRow* row = section.table->row(i);
            const QJsonObject r = rows[qsizetype(i)].toObject();
            QCOMPARE(r["label"].toString(), displayLabel(StatKind(kind), row->label));
            QCOMPARE(r["key"].toInteger(), row->key);
            QCOMPARE(r["count"].toInt(), row->count);
            QCOMPARE(QString::number(r["percent"].toDouble(), 'f', 2), percentText(row->percent));
        }
    }
    QCOMPARE(tablesRead[ExposureTime]["rows"][0]["key"].toInteger(), qint64(4000));
    QCOMPARE(tablesRead[Year]["rows"][1]["key"].toInteger(), qint64(2024));
}

void TestExportFormats::optionalOutcomes_data()
{
    QTest::addColumn<bool>("pairsOnce");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("until");
    QTest::newRow("no options") << false << QDate() << QDate();
    QTest::newRow("pairs once") << true << QDate() << QDate();
    QTest::newRow("from a date") << false << QDate(2020, 1, 1) << QDate();
    QTest::newRow("until a date") << false << QDate() << QDate(2020, 12, 31);
    QTest::newRow("both") << true << QDate(2020, 1, 1) << QDate(2020, 12, 31);
}

void TestExportFormats::optionalOutcomes()
{
    QFETCH(bool, pairsOnce);
    QFETCH(QDate, from);
    QFETCH(QDate, until);
    ExportContext context;
    context.request.pairsOnce = pairsOnce;
    context.request.takenFrom = from;
    context.request.takenUntil = until;
    context.outcomes.counted = 5;
    context.outcomes.pairDuplicates = 2;
    context.outcomes.outsideDates = 3;
    const bool dates = from.isValid() || until.isValid();

    JSONExporter json(QString{});
    json.context = context;
    const QJsonObject totals = QJsonDocument::fromJson(written(json))["totals"].toObject();
    QCOMPARE(totals["files"].toInt(), 10);
    QCOMPARE(totals.contains("pairDuplicates"), pairsOnce);
    QCOMPARE(totals.contains("outsideDates"), dates);
    QCOMPARE(totals.size(), 5 + int(pairsOnce) + int(dates));

    PageExporter page(QString{});
    page.context = context;
    const QByteArray text = written(page);
    QCOMPARE(text.contains("<tr><td>Pair duplicates</td><td class=\"num\">2</td></tr>"), pairsOnce);
    QCOMPARE(text.contains("<tr><td>Outside the dates</td><td class=\"num\">3</td></tr>"), dates);
    QVERIFY(text.contains("<tr class=\"total\"><td>All files</td><td class=\"num\">10</td>"));
    QCOMPARE(text.contains("<dd>none</dd>"), !pairsOnce && !dates);
    if (dates) {
        const QString range = QStringLiteral("taken") +
                              (from.isValid() ? " from " + from.toString(Qt::ISODate) : "") +
                              (until.isValid() ? " until " + until.toString(Qt::ISODate) : "");
        QVERIFY2(text.contains(range.toUtf8() + "</dd>"), qPrintable(range));
    }
}

void TestExportFormats::chartRows_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("bars");
    QTest::addColumn<QString>("caption");
    QTest::newRow("one") << 1 << 1 << QString();
    QTest::newRow("25") << 25 << 25 << QString();
    QTest::newRow("26") << 26 << 25 << "1 more row not shown in the chart";
    QTest::newRow("37") << 37 << 25 << "12 more rows not shown in the chart";
}

void TestExportFormats::chartRows()
{
    QFETCH(int, rows);
    QFETCH(int, bars);
    QFETCH(QString, caption);
    // Row n counted n times; sorted by value, so that the largest come last in the table.
    StatTable& t = table(Camera);
    for (int n = 1; n <= rows; ++n) {
        for (int i = 0; i < n; ++i)
            t.addText(QString::number(100 * n));
    }
    t.computePercents();
    t.sortByValue();
    PageExporter exporter(QString{});
    exporter.sections = {{"Camera", "Make & Model", &t, Camera}};
    const QByteArray page = written(exporter);
    QCOMPARE(page.count("<rect class=\"bar\""), bars);
    QCOMPARE(page.mid(page.indexOf("<table class=\"rows\">")).count("<tr><td>"), rows);
    QCOMPARE(page.contains("<figcaption>"), !caption.isEmpty());
    if (!caption.isEmpty())
        QVERIFY(page.contains("<figcaption>" + caption.toUtf8() + "</figcaption>"));
    // Largest first, the longest bar for the largest share.
    const int first = int(page.indexOf("<g><title>"));
    QVERIFY(page.mid(first).startsWith("<g><title>" + QByteArray::number(100 * rows) + ": " +
                                       QByteArray::number(rows) + " picture"));
    QVERIFY(page.contains("width=\"58.50%\" height=\"16\""));
    QCOMPARE(page.count("width=\"58.50%\" height=\"16\""), 1);
}

void TestExportFormats::chartsInNaturalOrder_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<double>>("values"); // 0: unknown
    QTest::addColumn<QString>("order");        // the bars' labels, left to right or down
    QTest::newRow("35 mm") << int(FocalLength35mm) << QList<double>{200, 0, 24, 50, 50}
                           << "24 50 200 Unknown";
    QTest::newRow("aperture") << int(Aperture) << QList<double>{5.6, 1.4, 2.8, 2.8}
                              << "1.4 2.8 5.6";
    QTest::newRow("exposure") << int(ExposureTime) << QList<double>{2, 0.004, 1.0 / 60}
                              << "1/250 1/60 2";
    QTest::newRow("year") << int(Year) << QList<double>{2024, 0, 2019, 2024} << "2019 2024 Unknown";
}

void TestExportFormats::chartsInNaturalOrder()
{
    QFETCH(int, kind);
    QFETCH(QList<double>, values);
    QFETCH(QString, order);
    StatTable& t = table(StatKind(kind));
    for (const double v : values) {
        if (kind == Year)
            t.addKeyed(qint64(v), v ? QString::number(v) : QStringLiteral("Unknown"));
        else if (kind == ExposureTime)
            t.addExposureTime(float(v));
        else
            t.addNumber(float(v));
    }
    finish(); // sorted by count, as the exports get them
    PageExporter exporter(QString{});
    exporter.sections = {{"T", "T", &t, StatKind(kind)}};
    const QString page = QString::fromUtf8(written(exporter));
    QStringList labels;
    QList<double> xs;
    const QRegularExpression bar(
        QStringLiteral("<g><title>([^:]+): [^<]*</title>(?:<rect class=\"bar\" x=\"([0-9.]+)%)?"));
    for (const QRegularExpressionMatch& m : bar.globalMatch(page)) {
        labels << m.captured(1);
        xs << m.captured(2).toDouble();
    }
    QCOMPARE(labels.join(QLatin1Char(' ')), order);
    if (kind == Year)
        return;
    // Columns stand where their value lies on a logarithmic axis: 1.4, 2.8, 5.6 evenly.
    for (qsizetype i = 1; i < xs.size(); ++i)
        QVERIFY2(xs[i] > xs[i - 1], qPrintable(page));
    if (kind == Aperture)
        QVERIFY(qAbs((xs[1] - xs[0]) - (xs[2] - xs[1])) < 0.02);
    if (order.endsWith(QLatin1String("Unknown")))
        QVERIFY(xs.last() >= 90);
}

void TestExportFormats::chartShortensLongLabels()
{
    const QString base = QStringLiteral("Canon - Canon EOS 5D Mark IV (firmware 1.2)");
    const QString fits = base.left(40);
    const QString over = base.left(41);
    const QString pair = base.left(38) + QString::fromUtf8("\U0001F4F7 & more"); // at the cut
    for (const QString& label : {fits, over, pair})
        table(Lens).addText(label);
    finish();
    PageExporter exporter(QString{});
    exporter.sections = {{"Lens", "Lens", &table(Lens), Lens}};
    const QByteArray page = written(exporter);
    const QByteArray ellipsis = "\xe2\x80\xa6</text>";
    QVERIFY(page.contains(">" + fits.toUtf8() + "</text>"));
    QVERIFY(page.contains(">" + base.left(39).toUtf8() + ellipsis));
    QVERIFY(page.contains(">" + base.left(38).toUtf8() + ellipsis));
    // Tooltip and table keep the whole label.
    QVERIFY(page.contains("<tr><td>" + PageExporter::escaped(pair).toUtf8() + "</td>"));
    QVERIFY(page.contains("<title>" + PageExporter::escaped(pair).toUtf8() + ": 1 picture"));
}

void TestExportFormats::pagePassesTidy()
{
    const QString tidy = QStandardPaths::findExecutable(QStringLiteral("tidy"));
    if (tidy.isEmpty())
        QSKIP("tidy is not installed");
    fillHostile(hostile);
    for (int i = 0; i < 40; ++i)
        table(Aperture).addNumber(1.0f + float(i) / 10);
    finish();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("page.html"));
    PageExporter exporter(file);
    exporter.sections = allSections(tableSet());
    exporter.context = smallContext();
    exporter.context.folder = hostile[0] + hostile[6];
    exporter.context.request.modelText = hostile[1];
    exporter.context.request.exceptModel = true;
    exporter.context.request.takenUntil = QDate(2024, 12, 31);
    LensUsage lens{hostile[0], 3, 100.0f, 240, 1050, 33.33f, 33.33f, 500, {}, 40, 66.67f};
    exporter.context.insights = {{{50, 240, 500}, {80, 240, 1050}}, {lens}};
    QVERIFY(exporter.write());
    QProcess process;
    process.start(tidy, {QStringLiteral("-q"), QStringLiteral("-e"), file});
    QVERIFY(process.waitForFinished(60000));
    // 0: neither errors nor warnings.
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
}

QTEST_GUILESS_MAIN(TestExportFormats)
#include "tst_exportformats.moc"

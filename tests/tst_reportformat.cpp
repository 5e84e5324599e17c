// SPDX-License-Identifier: GPL-3.0-or-later
// The report's pure formatting: column alignment, printable labels, the table text and
// the progress line's arithmetic.

#include "progressformat.h"
#include "textformat.h"

#include "core/count/stattable.h"

#include <QtTest>

class TestReportFormat : public QObject
{
    Q_OBJECT

private slots:
    void alignColumns_data();
    void alignColumns();
    void printableText_data();
    void printableText();
    void tableTextShowsUnknownOnlyWhenAsked_data();
    void tableTextShowsUnknownOnlyWhenAsked();
    void filesPerSecond_data();
    void filesPerSecond();
    void secondsLeft_data();
    void secondsLeft();
    void durationText_data();
    void durationText();
    void progressLine();
};

using Rows = QList<QStringList>;
using Aligns = QList<ColumnAlign>;
Q_DECLARE_METATYPE(Rows)
Q_DECLARE_METATYPE(Aligns)

void TestReportFormat::alignColumns_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<Aligns>("aligns");
    QTest::addColumn<QStringList>("lines");
    const Aligns lrr{ColumnAlign::Left, ColumnAlign::Right, ColumnAlign::Right};
    QTest::newRow("no rows") << Rows{} << lrr << QStringList{};
    QTest::newRow("one row") << Rows{{"50", "3", "75.00"}} << lrr << QStringList{"50  3  75.00"};
    QTest::newRow("widest cell sets the width")
        << Rows{{"mm", "Pictures", "%"}, {"135", "12", "100.00"}} << lrr
        << QStringList{"mm   Pictures       %", "135        12  100.00"};
    QTest::newRow("left last column has no trailing space")
        << Rows{{"1", "a"}, {"22", "bbb"}} << Aligns{ColumnAlign::Right, ColumnAlign::Left}
        << QStringList{" 1  a", "22  bbb"};
    QTest::newRow("short row padded with empty cells")
        << Rows{{"x"}, {"yy", "1"}} << Aligns{ColumnAlign::Left, ColumnAlign::Right}
        << QStringList{"x", "yy  1"};
    QTest::newRow("non-ASCII counted by characters")
        << Rows{{"Zeiß", "1"}, {"Sony", "22"}} << Aligns{ColumnAlign::Left, ColumnAlign::Right}
        << QStringList{"Zeiß   1", "Sony  22"};
}

void TestReportFormat::alignColumns()
{
    QFETCH(Rows, rows);
    QFETCH(Aligns, aligns);
    QFETCH(QStringList, lines);
    QCOMPARE(::alignColumns(rows, aligns), lines);
}

void TestReportFormat::printableText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("printable");
    const QString bad(QChar(0xfffd));
    QTest::newRow("plain") << "Canon - EOS 7D"
                           << "Canon - EOS 7D";
    QTest::newRow("escape sequence") << "\x1b[2JNikon" << bad + "[2JNikon";
    QTest::newRow("carriage return and tab") << "a\rb\tc"
                                             << "a" + bad + "b" + bad + "c";
    QTest::newRow("DEL and C1") << QString("x") + QChar(0x7f) + QChar(0x9b) + "y"
                                << "x" + bad + bad + "y";
    QTest::newRow("letters beyond ASCII stay") << "Zeiß Ü"
                                               << "Zeiß Ü";
}

void TestReportFormat::printableText()
{
    QFETCH(QString, text);
    QFETCH(QString, printable);
    QCOMPARE(::printableText(text), printable);
}

void TestReportFormat::tableTextShowsUnknownOnlyWhenAsked_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("35 mm table") << int(FocalLength35mm)
                                 << "Focal Length (35mm equivalent)\n"
                                    "mm       Pictures      %\n"
                                    "Unknown         3  75.00\n"
                                    "50              1  25.00\n";
    QTest::newRow("other table") << int(FocalLength)
                                 << "Focal Length (35mm equivalent)\n"
                                    "mm  Pictures      %\n"
                                    "0          3  75.00\n"
                                    "50         1  25.00\n";
}

void TestReportFormat::tableTextShowsUnknownOnlyWhenAsked()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    StatTable table;
    table.addNumber(0);
    table.addNumber(50);
    table.addNumber(0);
    table.addNumber(0);
    table.computePercents();
    table.sortByCount();
    QCOMPARE(tableText("Focal Length (35mm equivalent)", "mm", table, StatKind(kind)), text);
}

void TestReportFormat::filesPerSecond_data()
{
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<double>("rate");
    QTest::newRow("no time yet") << qint64(10) << qint64(0) << 0.0;
    QTest::newRow("nothing done") << qint64(0) << qint64(500) << 0.0;
    QTest::newRow("one second") << qint64(250) << qint64(1000) << 250.0;
    QTest::newRow("half a second") << qint64(250) << qint64(500) << 500.0;
    QTest::newRow("large counts") << qint64(100000) << qint64(40000) << 2500.0;
}

void TestReportFormat::filesPerSecond()
{
    QFETCH(qint64, done);
    QFETCH(qint64, elapsedMs);
    QFETCH(double, rate);
    QCOMPARE(::filesPerSecond(done, elapsedMs), rate);
}

void TestReportFormat::secondsLeft_data()
{
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<qint64>("left");
    QTest::newRow("nothing done: unknown") << qint64(0) << qint64(100) << qint64(900) << qint64(-1);
    QTest::newRow("no time yet: unknown") << qint64(5) << qint64(100) << qint64(0) << qint64(-1);
    QTest::newRow("all done") << qint64(100) << qint64(100) << qint64(5000) << qint64(0);
    QTest::newRow("half way") << qint64(50) << qint64(100) << qint64(10000) << qint64(10);
    QTest::newRow("rounded up") << qint64(3) << qint64(4) << qint64(1000) << qint64(1);
    QTest::newRow("a little left is one second")
        << qint64(9999) << qint64(10000) << qint64(1000) << qint64(1);
    QTest::newRow("no overflow at large counts")
        << qint64(1) << qint64(2000000000) << qint64(3600000) << qint64(7199999996400);
}

void TestReportFormat::secondsLeft()
{
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(qint64, elapsedMs);
    QFETCH(qint64, left);
    QCOMPARE(::secondsLeft(done, total, elapsedMs), left);
}

void TestReportFormat::durationText_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("unknown") << qint64(-1) << "--:--";
    QTest::newRow("zero") << qint64(0) << "0:00";
    QTest::newRow("seconds") << qint64(7) << "0:07";
    QTest::newRow("minutes") << qint64(65) << "1:05";
    QTest::newRow("just under an hour") << qint64(3599) << "59:59";
    QTest::newRow("an hour") << qint64(3600) << "1:00:00";
    QTest::newRow("hours") << qint64(3 * 3600 + 2 * 60 + 1) << "3:02:01";
}

void TestReportFormat::durationText()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(::durationText(seconds), text);
}

void TestReportFormat::progressLine()
{
    QCOMPARE(::progressLine(500, 2000, 2000), QString("500/2000 files  250 files/s  0:06 left"));
    QCOMPARE(::progressLine(0, 2000, 0), QString("0/2000 files  0 files/s  --:-- left"));
}

QTEST_GUILESS_MAIN(TestReportFormat)
#include "tst_reportformat.moc"

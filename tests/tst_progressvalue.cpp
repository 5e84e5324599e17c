// SPDX-License-Identifier: GPL-3.0-or-later
// The progress bar's value for a count of done files.

#include "ui/progressvalue.h"

#include <QTest>

class TestProgressValue : public QObject
{
    Q_OBJECT

private slots:
    void value_data();
    void value();
};

void TestProgressValue::value_data()
{
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("expected");

    QTest::newRow("3 files, none") << 0 << 3 << 0;
    QTest::newRow("3 files, one") << 1 << 3 << 3333;
    QTest::newRow("3 files, two") << 2 << 3 << 6666;
    QTest::newRow("3 files, all") << 3 << 3 << 10000;
    QTest::newRow("7 files, one") << 1 << 7 << 1428;
    QTest::newRow("half") << 5 << 10 << 5000;
    QTest::newRow("truncated, not rounded") << 2 << 3 << 6666;
    QTest::newRow("one of many") << 1 << 30000 << 0;
    QTest::newRow("no files") << 0 << 0 << 0;
    QTest::newRow("past the end") << 8 << 7 << 10000;
    QTest::newRow("beyond int range for done * 100")
        << 2000000000 << 2100000000 << 9523; // 95.238 %
}

void TestProgressValue::value()
{
    QFETCH(int, done);
    QFETCH(int, total);
    QFETCH(int, expected);
    QCOMPARE(progressValue(done, total), expected);
}

QTEST_APPLESS_MAIN(TestProgressValue)
#include "tst_progressvalue.moc"

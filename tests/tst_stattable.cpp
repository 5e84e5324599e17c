// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/stattable.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {

// The table's rows as "label:count" in their current order.
QStringList rowsOf(const StatTable& table)
{
    QStringList out;
    for (unsigned i = 0; i < table.rowCount(); ++i)
        out << table.row(i)->label + QLatin1Char(':') + QString::number(table.row(i)->count);
    return out;
}

} // namespace

class TestStatTable : public QObject
{
    Q_OBJECT

private slots:
    void emptyTable();
    void countsAndPercents();
    void addNumber_data();
    void addNumber();
    void addExposureTime_data();
    void addExposureTime();
    void exposureLabelShownTwice_data();
    void exposureLabelShownTwice();
    void textRowsAreCaseSensitive();
    void sortByValueOrdersKeysThenLabels();
    void sortByCountIsStable();
    void clearBehavesAsNew();
    void extremeFloatsAreDefined_data();
    void extremeFloatsAreDefined();
    void percentsOfHugeCountsDoNotOverflow();
};

void TestStatTable::emptyTable()
{
    StatTable t;
    QCOMPARE(t.rowCount(), 0u);
    QVERIFY(t.row(0) == nullptr);
    t.computePercents();
    t.sortByValue();
    t.sortByCount();
    QCOMPARE(t.rowCount(), 0u);
    QCOMPARE(t.total(), 0);
}

void TestStatTable::countsAndPercents()
{
    StatTable t;
    t.addNumber(2.8f);
    t.addNumber(2.8f);
    t.addNumber(4.0f);
    t.addNumber(2.8f);
    QCOMPARE(rowsOf(t), (QStringList{"2.8:3", "4:1"}));
    QCOMPARE(t.total(), 4);
    t.computePercents();
    QCOMPARE(t.row(0)->percent, 75.0f);
    QCOMPARE(t.row(1)->percent, 25.0f);
    QVERIFY(t.row(2) == nullptr);
}

void TestStatTable::addNumber_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<qint64>("key");
    QTest::addColumn<QString>("label");
    QTest::newRow("2.8") << 2.8f << qint64(28) << "2.8";
    QTest::newRow("50") << 50.0f << qint64(500) << "50";
    QTest::newRow("4.5") << 4.5f << qint64(45) << "4.5";
    QTest::newRow("4.45 as float") << 4.45f << qint64(44) << "4.4";
    QTest::newRow("1600") << 1600.0f << qint64(16000) << "1600";
    QTest::newRow("0") << 0.0f << qint64(0) << "0";
    QTest::newRow("0.05 rounds half away") << 0.05f << qint64(1) << "0.1";
    QTest::newRow("-0.05") << -0.05f << qint64(-1) << "-0.1";
    QTest::newRow("1e9 needs 64 bits") << 1e9f << qint64(10000000000LL) << "1000000000";
}

void TestStatTable::addNumber()
{
    QFETCH(float, value);
    QFETCH(qint64, key);
    QFETCH(QString, label);
    StatTable t;
    t.addNumber(value);
    QCOMPARE(t.rowCount(), 1u);
    QCOMPARE(t.row(0)->key, key);
    QCOMPARE(t.row(0)->label, label);
    QCOMPARE(t.row(0)->count, 1);
    QCOMPARE(t.row(0)->percent, 0.0f);
}

void TestStatTable::addExposureTime_data()
{
    QTest::addColumn<float>("seconds");
    QTest::addColumn<qint64>("key");
    QTest::addColumn<QString>("label");
    QTest::newRow("1/250") << 0.004f << qint64(4000) << "1/250";
    QTest::newRow("1/8000") << 0.000125f << qint64(125) << "1/8000";
    QTest::newRow("1.3 s") << 1.3f << qint64(1300000) << "1.3";
    QTest::newRow("30 s") << 30.0f << qint64(30000000) << "30";
    QTest::newRow("0.4 s") << 0.4f << qint64(400000) << "0.4";
}

void TestStatTable::addExposureTime()
{
    QFETCH(float, seconds);
    QFETCH(qint64, key);
    QFETCH(QString, label);
    StatTable t;
    t.addExposureTime(seconds);
    QCOMPARE(t.rowCount(), 1u);
    QCOMPARE(t.row(0)->key, key);
    QCOMPARE(t.row(0)->label, label);
}

void TestStatTable::exposureLabelShownTwice_data()
{
    QTest::addColumn<QVector<float>>("times");
    QTest::addColumn<QString>("label");
    QTest::addColumn<qint64>("key");
    QTest::newRow("phone's 9974 us is 1/100")
        << QVector<float>{0.01f, 0.009974f, 0.01f} << "1/100" << qint64(10000);
    QTest::newRow("1/77 from two times")
        << QVector<float>{0.013f, 0.012987f, 0.01299f} << "1/77" << qint64(12987);
    QTest::newRow("1/2 first from 0.52 s")
        << QVector<float>{0.52f, 0.5f, 0.49f} << "1/2" << qint64(500000);
    QTest::newRow("0.3 first from 0.31 s")
        << QVector<float>{0.31f, 0.3f, 0.29f} << "0.3" << qint64(300000);
}

void TestStatTable::exposureLabelShownTwice()
{
    // Times that print one label share its row, keyed by the time the label states.
    QFETCH(QVector<float>, times);
    QFETCH(QString, label);
    QFETCH(qint64, key);
    StatTable t;
    t.trackValues();
    for (float seconds : times)
        t.addExposureTime(seconds);
    t.addExposureTime(30.0f);
    QCOMPARE(rowsOf(t), (QStringList{label + ":" + QString::number(times.size()), "30:1"}));
    QCOMPARE(t.row(0)->key, key);
    QCOMPARE(t.valuesOfRow(t.row(0)->id).size(), size_t(times.size()));
}

void TestStatTable::textRowsAreCaseSensitive()
{
    StatTable t;
    t.addText("Canon - EOS");
    t.addText("CANON - EOS");
    t.addText("Canon - EOS");
    QCOMPARE(rowsOf(t), (QStringList{"Canon - EOS:2", "CANON - EOS:1"}));
    QCOMPARE(t.row(0)->key, qint64(0));
}

void TestStatTable::sortByValueOrdersKeysThenLabels()
{
    StatTable exposure;
    exposure.addExposureTime(30.0f);
    exposure.addExposureTime(0.004f);
    exposure.addExposureTime(0.000125f);
    exposure.sortByValue();
    QCOMPARE(rowsOf(exposure), (QStringList{"1/8000:1", "1/250:1", "30:1"}));

    StatTable text;
    text.addText("b");
    text.addText("a");
    text.addText("B");
    text.sortByValue();
    QCOMPARE(rowsOf(text), (QStringList{"B:1", "a:1", "b:1"}));
}

void TestStatTable::sortByCountIsStable()
{
    StatTable t;
    for (int i = 0; i < 5; ++i)
        t.addTenths(20);
    for (int i = 0; i < 7; ++i)
        t.addTenths(30);
    for (int i = 0; i < 5; ++i)
        t.addTenths(10);
    t.sortByValue();
    t.sortByCount();
    QCOMPARE(t.row(0)->key, qint64(30));
    QCOMPARE(t.row(1)->key, qint64(10));
    QCOMPARE(t.row(2)->key, qint64(20));
}

void TestStatTable::clearBehavesAsNew()
{
    StatTable t;
    t.addNumber(2.8f);
    t.addNumber(5.6f);
    t.addText("x");
    t.computePercents();
    t.sortByCount();
    t.clear();
    QCOMPARE(t.rowCount(), 0u);
    QCOMPARE(t.total(), 0);
    t.addNumber(5.6f);
    t.addNumber(5.6f);
    QCOMPARE(rowsOf(t), (QStringList{"5.6:2"}));
    QCOMPARE(t.total(), 2);
}

void TestStatTable::extremeFloatsAreDefined_data()
{
    QTest::addColumn<float>("value");
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN();
    QTest::newRow("+inf") << inf;
    QTest::newRow("-inf") << -inf;
    QTest::newRow("max") << std::numeric_limits<float>::max();
    QTest::newRow("lowest") << std::numeric_limits<float>::lowest();
    QTest::newRow("denormal") << std::numeric_limits<float>::denorm_min();
    QTest::newRow("zero") << 0.0f;
    QTest::newRow("-zero") << -0.0f;
}

void TestStatTable::extremeFloatsAreDefined()
{
    // Whatever reaches the tables, nothing is undefined (UBSan watches) and every
    // add makes or counts exactly one row.
    QFETCH(float, value);
    StatTable numbers;
    numbers.addNumber(value);
    numbers.addNumber(value);
    QCOMPARE(numbers.rowCount(), 1u);
    QCOMPARE(numbers.row(0)->count, 2);
    QVERIFY(!numbers.row(0)->label.isEmpty());

    StatTable exposures;
    exposures.addExposureTime(value);
    exposures.addExposureTime(value);
    QCOMPARE(exposures.rowCount(), 1u);
    QCOMPARE(exposures.row(0)->count, 2);
    QVERIFY(!exposures.row(0)->label.isEmpty());
    exposures.computePercents();
    QCOMPARE(exposures.row(0)->percent, 100.0f);
}

void TestStatTable::percentsOfHugeCountsDoNotOverflow()
{
    // count x 100 exceeds 32 bits from 21,474,837 pictures on.
    StatTable t;
    const int many = 21474837;
    for (int i = 0; i < many; ++i)
        t.addTenths(10);
    t.addTenths(20);
    t.computePercents();
    QVERIFY(qAbs(t.row(0)->percent - 100.0f) < 0.001f);
    QVERIFY(t.row(1)->percent > 0.0f);
    QVERIFY(t.row(1)->percent < 0.001f);
}

QTEST_GUILESS_MAIN(TestStatTable)
#include "tst_stattable.moc"

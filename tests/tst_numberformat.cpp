// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/numberformat.h"

#include <QtTest>

#include <cmath>
#include <limits>

class TestNumberFormat : public QObject
{
    Q_OBJECT

private slots:
    void roundHalfAway_data();
    void roundHalfAway();
    void tenthsLabel_data();
    void tenthsLabel();
    void exposureLabel_data();
    void exposureLabel();
    void percentText_data();
    void percentText();
};

void TestNumberFormat::roundHalfAway_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("expected");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("2.5 up") << 2.5 << qint64(3);
    QTest::newRow("-2.5 down") << -2.5 << qint64(-3);
    QTest::newRow("2.4999") << 2.4999 << qint64(2);
    QTest::newRow("zero") << 0.0 << qint64(0);
    QTest::newRow("NaN is 0") << std::nan("") << qint64(0);
    QTest::newRow("+inf saturates") << inf << (qint64(1) << 62);
    QTest::newRow("-inf saturates") << -inf << -(qint64(1) << 62);
    QTest::newRow("1e300 saturates") << 1e300 << (qint64(1) << 62);
    QTest::newRow("1e10 exact") << 1e10 << qint64(10000000000LL);
}

void TestNumberFormat::roundHalfAway()
{
    QFETCH(double, value);
    QFETCH(qint64, expected);
    QCOMPARE(::roundHalfAway(value), expected);
}

void TestNumberFormat::tenthsLabel_data()
{
    QTest::addColumn<qint64>("tenths");
    QTest::addColumn<QString>("label");
    QTest::newRow("28") << qint64(28) << "2.8";
    QTest::newRow("500") << qint64(500) << "50";
    QTest::newRow("0") << qint64(0) << "0";
    QTest::newRow("16000") << qint64(16000) << "1600";
    QTest::newRow("-15") << qint64(-15) << "-1.5";
    QTest::newRow("-20") << qint64(-20) << "-2";
    QTest::newRow("9999999999") << qint64(9999999999LL) << "999999999.9";
    QTest::newRow("1e10 beyond 32 bits") << qint64(10000000000LL) << "1000000000";
}

void TestNumberFormat::tenthsLabel()
{
    QFETCH(qint64, tenths);
    QFETCH(QString, label);
    QCOMPARE(::tenthsLabel(tenths), label);
}

void TestNumberFormat::exposureLabel_data()
{
    QTest::addColumn<float>("seconds");
    QTest::addColumn<QString>("label");
    QTest::addColumn<qint64>("micros"); // what the label states
    QTest::newRow("1/250") << 0.004f << "1/250" << qint64(4000);
    QTest::newRow("1/125") << 0.008f << "1/125" << qint64(8000);
    QTest::newRow("1/8000") << 0.000125f << "1/8000" << qint64(125);
    QTest::newRow("a third") << 1.0f / 3.0f << "1/3" << qint64(333333);
    QTest::newRow("0.5") << 0.5f << "1/2" << qint64(500000);
    QTest::newRow("0.25") << 0.25f << "1/4" << qint64(250000);
    QTest::newRow("0.4 is no 1/3") << 0.4f << "0.4" << qint64(400000);
    QTest::newRow("0.6 is no 1/2") << 0.6f << "0.6" << qint64(600000);
    QTest::newRow("0.8 is no 1/1") << 0.8f << "0.8" << qint64(800000);
    QTest::newRow("0.3 is no 1/3") << 0.3f << "0.3" << qint64(300000);
    QTest::newRow("0.96 within 5% of 1") << 0.96f << "1" << qint64(1000000);
    QTest::newRow("1/33 at 3% off") << 0.03f << "1/33" << qint64(30303);
    QTest::newRow("1 s") << 1.0f << "1" << qint64(1000000);
    QTest::newRow("1.3 s rounds, not truncates") << 1.3f << "1.3" << qint64(1300000);
    QTest::newRow("1.6 s") << 1.6f << "1.6" << qint64(1600000);
    QTest::newRow("2 s") << 2.0f << "2" << qint64(2000000);
    QTest::newRow("2.5 s") << 2.5f << "2.5" << qint64(2500000);
    QTest::newRow("30 s") << 30.0f << "30" << qint64(30000000);
    QTest::newRow("phone 1/100") << 0.009974f << "1/100" << qint64(10000);
    QTest::newRow("1/77") << 0.013f << "1/77" << qint64(12987);
    QTest::newRow("1.96 s rounds up to 2") << 1.96f << "2" << qint64(2000000);
}

void TestNumberFormat::exposureLabel()
{
    QFETCH(float, seconds);
    QFETCH(QString, label);
    QFETCH(qint64, micros);
    QCOMPARE(::exposureLabel(double(seconds)), label);
    QCOMPARE(::exposureMicroseconds(double(seconds)), micros);
}

void TestNumberFormat::percentText_data()
{
    QTest::addColumn<float>("percent");
    QTest::addColumn<QString>("text");
    QTest::newRow("two thirds") << 66.666664f << "66.67";
    QTest::newRow("100") << 100.0f << "100.00";
    QTest::newRow("5") << 5.0f << "5.00";
    QTest::newRow("12.5") << 12.5f << "12.50";
    QTest::newRow("0") << 0.0f << "0.00";
}

void TestNumberFormat::percentText()
{
    QFETCH(float, percent);
    QFETCH(QString, text);
    QCOMPARE(::percentText(percent), text);
}

QTEST_GUILESS_MAIN(TestNumberFormat)
#include "tst_numberformat.moc"

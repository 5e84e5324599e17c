// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read/lensname.h"

#include <QtTest>

class TestLensName : public QObject
{
    Q_OBJECT

private slots:
    void printedNumber_data();
    void printedNumber();
    void lensFitsFocalLength_data();
    void lensFitsFocalLength();
    void lensRangeLabel_data();
    void lensRangeLabel();
};

void TestLensName::printedNumber_data()
{
    QTest::addColumn<QString>("printed");
    QTest::addColumn<float>("number");
    QTest::newRow("ISO") << "200" << 200.0f;
    QTest::newRow("f-number") << "F5.6" << 5.6f;
    QTest::newRow("fraction of a second") << "1/60 s" << 1.0f / 60.0f;
    QTest::newRow("half a second") << "0.5 s" << 0.5f;
    QTest::newRow("seconds") << "2 s" << 2.0f;
    QTest::newRow("focal length") << "24.0 mm" << 24.0f;
    QTest::newRow("surrounding blanks") << " 100 " << 100.0f;
    for (const char* text : {"Auto", "n/a", "", "(0)", "0", "F0", "1/0 s", "-200", "1e40",
                             "200 ISO", "50 mm f/2", "5.6F"})
        QTest::newRow(text) << text << 0.0f;
}

void TestLensName::printedNumber()
{
    QFETCH(QString, printed);
    QFETCH(float, number);
    QCOMPARE(::printedNumber(printed), number);
}

void TestLensName::lensFitsFocalLength_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<float>("focalLength");
    QTest::addColumn<bool>("fits");
    const QString pentax = QStringLiteral("smc PENTAX-F 35-70mm F3.5-4.5");
    QTest::newRow("zoom, inside") << pentax << 50.0f << true;
    QTest::newRow("zoom, 1 mm below") << pentax << 34.0f << true;
    QTest::newRow("zoom, beyond 1 mm below") << pentax << 33.9f << false;
    QTest::newRow("zoom, 1 mm above") << pentax << 71.0f << true;
    QTest::newRow("zoom, far above") << pentax << 400.0f << false;
    QTest::newRow("prime without a space") << "XF50mmF2 R WR" << 50.0f << true;
    QTest::newRow("prime, other focal length") << "XF50mmF2 R WR" << 23.0f << false;
    QTest::newRow("first range counts") << "EF-S 18-55mm (as 28mm)" << 55.0f << true;
    QTest::newRow("space before mm, decimals") << "Lens 4.5-13.5 mm" << 13.0f << true;
    QTest::newRow("decimal prime") << "7.5mm Fisheye" << 9.0f << false;
    QTest::newRow("no range stated") << "Canon EF Lens" << 400.0f << true;
    QTest::newRow("focal length unknown") << pentax << 0.0f << true;
}

void TestLensName::lensFitsFocalLength()
{
    QFETCH(QString, name);
    QFETCH(float, focalLength);
    QFETCH(bool, fits);
    QCOMPARE(::lensFitsFocalLength(name, focalLength), fits);
}

void TestLensName::lensRangeLabel_data()
{
    QTest::addColumn<double>("shortest");
    QTest::addColumn<double>("longest");
    QTest::addColumn<double>("wide");
    QTest::addColumn<double>("tele");
    QTest::addColumn<QString>("label");
    QTest::newRow("zoom, both f-numbers") << 18.0 << 55.0 << 3.5 << 5.6 << "18-55mm f/3.5-5.6";
    QTest::newRow("prime") << 50.0 << 50.0 << 2.0 << 2.0 << "50mm f/2";
    QTest::newRow("no f-numbers") << 18.0 << 55.0 << 0.0 << 0.0 << "18-55mm";
    QTest::newRow("constant aperture") << 24.0 << 70.0 << 2.8 << 2.8 << "24-70mm f/2.8";
    QTest::newRow("only the long end's f-number") << 70.0 << 200.0 << 0.0 << 4.0 << "70-200mm f/4";
    QTest::newRow("Canon units per mm") << 227.0 / 32 << 682.0 / 32 << 0.0 << 0.0 << "7.1-21.3mm";
    QTest::newRow("half rounds away from zero") << 4.25 << 4.25 << 1.75 << 0.0 << "4.3mm f/1.8";
    QTest::newRow("equal after rounding") << 50.01 << 50.04 << 1.8 << 1.84 << "50mm f/1.8";
    QTest::newRow("no shortest") << 0.0 << 55.0 << 3.5 << 5.6 << "";
    QTest::newRow("longest below shortest") << 55.0 << 18.0 << 3.5 << 5.6 << "";
    QTest::newRow("not a number") << qQNaN() << 55.0 << 0.0 << 0.0 << "";
}

void TestLensName::lensRangeLabel()
{
    QFETCH(double, shortest);
    QFETCH(double, longest);
    QFETCH(double, wide);
    QFETCH(double, tele);
    QFETCH(QString, label);
    QCOMPARE(::lensRangeLabel(shortest, longest, wide, tele), label);
}

QTEST_APPLESS_MAIN(TestLensName)
#include "tst_lensname.moc"

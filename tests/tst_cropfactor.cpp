// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read/cropfactor.h"

#include <QtTest>

class TestCropFactor : public QObject
{
    Q_OBJECT

private slots:
    void cropFactor_data();
    void cropFactor();
    void estimateProducts();
};

void TestCropFactor::cropFactor_data()
{
    QTest::addColumn<QString>("make");
    QTest::addColumn<QString>("model");
    QTest::addColumn<float>("factor");

    QTest::newRow("Olympus E-M5") << "OLYMPUS IMAGING CORP."
                                  << "E-M5" << 2.0f;
    QTest::newRow("Olympus E-520") << "OLYMPUS"
                                   << "E-520" << 2.0f;
    QTest::newRow("Olympus lower case") << "olympus"
                                        << "e-m1" << 2.0f;
    QTest::newRow("Olympus compact") << "OLYMPUS"
                                     << "SP-570UZ" << 0.0f;
    QTest::newRow("5D Mark II") << "Canon"
                                << "Canon EOS 5D Mark II" << 1.0f;
    QTest::newRow("1Ds Mark III") << "Canon"
                                  << "Canon EOS-1Ds Mark III" << 1.0f;
    QTest::newRow("1D X") << "Canon"
                          << "Canon EOS-1D X" << 1.0f;
    QTest::newRow("1D X Mark II") << "Canon"
                                  << "Canon EOS-1D X Mark II" << 1.0f;
    QTest::newRow("1D Mark IV") << "Canon"
                                << "Canon EOS-1D Mark IV" << 1.3f;
    QTest::newRow("1D") << "Canon"
                        << "Canon EOS-1D" << 1.3f;
    QTest::newRow("7D") << "Canon"
                        << "Canon EOS 7D" << 1.6f;
    QTest::newRow("550D") << "Canon"
                          << "Canon EOS 550D" << 1.6f;
    QTest::newRow("lower case 5d") << "canon"
                                   << "canon eos 5d mark ii" << 1.0f;
    QTest::newRow("corporate suffix") << "Canon Inc."
                                      << "Canon EOS 7D" << 1.6f;
    QTest::newRow("PowerShot") << "Canon"
                               << "Canon PowerShot G12" << 0.0f;
    QTest::newRow("only two words") << "Canon"
                                    << "EOS 5D" << 0.0f;
    QTest::newRow("two spaces: empty word") << "Canon"
                                            << "Canon EOS  5D" << 1.6f;
    QTest::newRow("EOS inside a word") << "Canon"
                                       << "Canon XEOSX 5D" << 1.0f;
    QTest::newRow("empty") << ""
                           << "" << 0.0f;
    QTest::newRow("Nikon") << "NIKON CORPORATION"
                           << "NIKON D70s" << 0.0f;
    // Full-frame bodies that the plain model-number rule would put at 1.6.
    QTest::newRow("6D") << "Canon"
                        << "Canon EOS 6D" << 1.0f;
    QTest::newRow("6D Mark II") << "Canon"
                                << "Canon EOS 6D Mark II" << 1.0f;
    QTest::newRow("R") << "Canon"
                       << "Canon EOS R" << 1.0f;
    QTest::newRow("RP") << "Canon"
                        << "Canon EOS RP" << 1.0f;
    QTest::newRow("R1") << "Canon"
                        << "Canon EOS R1" << 1.0f;
    QTest::newRow("R3") << "Canon"
                        << "Canon EOS R3" << 1.0f;
    QTest::newRow("R5") << "Canon"
                        << "Canon EOS R5" << 1.0f;
    QTest::newRow("R5m2") << "Canon"
                          << "Canon EOS R5m2" << 1.0f;
    QTest::newRow("R6") << "Canon"
                        << "Canon EOS R6" << 1.0f;
    QTest::newRow("R6m2") << "Canon"
                          << "Canon EOS R6m2" << 1.0f;
    QTest::newRow("R8") << "Canon"
                        << "Canon EOS R8" << 1.0f;
    QTest::newRow("R5 C") << "Canon"
                          << "Canon EOS R5 C" << 1.0f;
    QTest::newRow("R7 is APS-C") << "Canon"
                                 << "Canon EOS R7" << 1.6f;
    QTest::newRow("R10 is APS-C") << "Canon"
                                  << "Canon EOS R10" << 1.6f;
    QTest::newRow("R50 is APS-C") << "Canon"
                                  << "Canon EOS R50" << 1.6f;
    QTest::newRow("R100 is APS-C") << "Canon"
                                   << "Canon EOS R100" << 1.6f;
    QTest::newRow("RP2 suffix digit") << "Canon"
                                      << "Canon EOS R55" << 1.6f;
}

void TestCropFactor::cropFactor()
{
    QFETCH(QString, make);
    QFETCH(QString, model);
    QFETCH(float, factor);
    QCOMPARE(::cropFactor(make, model), factor);
}

void TestCropFactor::estimateProducts()
{
    // The caller keeps the product as a float: 1.6 x 50 is 80, 1.3 x 50 is 65.
    QCOMPARE(::cropFactor("Canon", "Canon EOS 7D") * 50.0f, 80.0f);
    QCOMPARE(::cropFactor("Canon", "Canon EOS-1D") * 50.0f, 65.0f);
}

QTEST_GUILESS_MAIN(TestCropFactor)
#include "tst_cropfactor.moc"

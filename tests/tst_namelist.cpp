// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/namelist.h"

#include <QtTest>

class TestNameList : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

void TestNameList::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("one") << "Canon" << QStringList{"Canon"};
    QTest::newRow("mixed separators")
        << " Canon ; Nikon,,  EOS 5D ," << QStringList{"Canon", "Nikon", "EOS 5D"};
    QTest::newRow("only separators") << " ,;; , ;" << QStringList();
    QTest::newRow("semicolon") << "Canon;Nikon" << QStringList{"Canon", "Nikon"};
    QTest::newRow("space runs inside a name") << "EOS     5D" << QStringList{"EOS 5D"};
    QTest::newRow("tab beside comma stays") << "Canon\t,Nikon" << QStringList{"Canon\t", "Nikon"};
    QTest::newRow("case kept") << "nikon, CANON" << QStringList{"nikon", "CANON"};
}

void TestNameList::parse()
{
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    QCOMPARE(parseNameList(text), names);
}

QTEST_GUILESS_MAIN(TestNameList)
#include "tst_namelist.moc"

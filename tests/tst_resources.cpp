// SPDX-License-Identifier: GPL-3.0-or-later
// The compiled-in images: every path loads, with the kind and size the window expects.

#include <QImage>
#include <QImageReader>
#include <QTest>

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void images_data();
    void images();
    void iconHasThreeSizes();
};

void TestResources::images_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");

    QTest::newRow(":/main/icon/mainicon") << QByteArray("ico") << QSize(64, 64);
    for (const char* name :
         {":/images/open", ":/images/play", ":/images/save", ":/images/about", ":/images/power"})
        QTest::newRow(name) << QByteArray("png") << QSize(16, 16);
    QTest::newRow(":/images/donatebutton") << QByteArray("gif") << QSize(74, 21);
}

void TestResources::images()
{
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QImageReader reader(QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(reader.format(), format);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
    if (format != "gif")
        QVERIFY(image.hasAlphaChannel());
}

void TestResources::iconHasThreeSizes()
{
    QImageReader reader(QStringLiteral(":/main/icon/mainicon"));
    QCOMPARE(reader.imageCount(), 3);
    QList<QSize> sizes;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(reader.jumpToImage(i));
        sizes << reader.read().size();
    }
    QCOMPARE(sizes, QList<QSize>({QSize(64, 64), QSize(32, 32), QSize(16, 16)}));
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"

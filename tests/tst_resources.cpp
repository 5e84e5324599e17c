// SPDX-License-Identifier: GPL-3.0-or-later
// The compiled-in images: every path loads, with the kind and size the window expects.

#include <QGuiApplication>
#include <QIcon>
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
    void buttonIconsSharpAtScaleTwo();
};

void TestResources::images_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");

    QTest::newRow(":/main/icon/mainicon") << QByteArray("ico") << QSize(64, 64);
    for (const char* name : {":/images/open", ":/images/play", ":/images/stop", ":/images/save",
                             ":/images/about", ":/images/power"}) {
        QTest::newRow(name) << QByteArray("png") << QSize(16, 16);
        // Qt takes the 32-pixel drawing on screens at scale 2.
        QTest::newRow(qPrintable(QString::fromLatin1(name) + QStringLiteral("@2x")))
            << QByteArray("png") << QSize(32, 32);
    }
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

void TestResources::buttonIconsSharpAtScaleTwo()
{
    // The application runs at scale 2 (see main): the icon takes the 32-pixel file (the
    // 16-pixel one alone gives a 16 x 16 pixmap here).
    const QIcon open(QStringLiteral(":/images/open"));
    const QImage drawn = open.pixmap(QSize(16, 16), 2.0).toImage();
    QCOMPARE(drawn.size(), QSize(32, 32));
}

int main(int argc, char* argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    QGuiApplication app(argc, argv);
    TestResources test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_resources.moc"

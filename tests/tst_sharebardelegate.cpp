// SPDX-License-Identifier: GPL-3.0-or-later
// The share bar of the "%" column: scaled to the list's largest share, in the highlight
// colour, beside the number; none for a share of 0 or a text that is no number.

#include "ui/sharebardelegate.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTest>

class TestShareBarDelegate : public QObject
{
    Q_OBJECT

private slots:
    void barLength_data();
    void barLength();
    void barBesideTheNumber();
};

void TestShareBarDelegate::barLength_data()
{
    QTest::addColumn<double>("share");
    QTest::addColumn<double>("largest");
    QTest::addColumn<int>("width"); // in a room 200 pixels wide
    QTest::newRow("the largest") << 12.5 << 12.5 << 200;
    QTest::newRow("half the largest") << 6.25 << 12.5 << 100;
    QTest::newRow("a tenth of the largest") << 1.5 << 15.0 << 20;
    QTest::newRow("tiny share, one pixel") << 0.01 << 50.0 << 1;
    QTest::newRow("none") << 0.0 << 50.0 << 0;
    QTest::newRow("no largest") << 5.0 << 0.0 << 0;
}

void TestShareBarDelegate::barLength()
{
    QFETCH(double, share);
    QFETCH(double, largest);
    QFETCH(int, width);
    const QRect bar = ShareBarDelegate::barRect(QRect(10, 0, 200, 30), share, largest);
    QCOMPARE(bar.width(), width);
    if (width > 0)
        QCOMPARE(bar.left(), 10);
}

// The bar stays left of the number, which is drawn right-aligned in the text colour.
void TestShareBarDelegate::barBesideTheNumber()
{
    QStandardItemModel model(1, 1);
    auto* item = new QStandardItem(QStringLiteral("100.00"));
    item->setData(100.0, ShareBarDelegate::LargestShareRole);
    model.setItem(0, 0, item);
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 200, 30);
    option.state = QStyle::State_Enabled;
    option.palette.setColor(QPalette::Highlight, Qt::blue);
    option.palette.setColor(QPalette::Text, Qt::black);
    QImage image(200, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        ShareBarDelegate().paint(&painter, option, model.index(0, 0));
    }
    int lastBlue = -1, firstText = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            const QColor colour = image.pixelColor(x, y);
            if (colour == Qt::blue)
                lastBlue = x;
            else if (firstText < 0 && colour.blue() < 128 && colour.red() < 128)
                firstText = x;
        }
    }
    QVERIFY(lastBlue > 100);
    QVERIFY2(firstText > lastBlue,
             qPrintable(QStringLiteral("%1 %2").arg(firstText).arg(lastBlue)));
}

QTEST_MAIN(TestShareBarDelegate)
#include "tst_sharebardelegate.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The share bar behind the "%" column: as long as the share, in the highlight colour,
// under the text; none for a share of 0 or a text that is no number.

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
};

void TestShareBarDelegate::barLength_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<int>("pixels"); // tinted along a line of the bar, of a 198-pixel span
    QTest::newRow("full") << "100.00" << false << 198;
    QTest::newRow("three quarters") << "75.00" << false << 149;
    QTest::newRow("an eighth") << "12.50" << false << 25;
    QTest::newRow("tiny share, one pixel") << "0.01" << false << 1;
    QTest::newRow("none") << "0.00" << false << 0;
    QTest::newRow("no number") << "n/a" << false << 0;
    QTest::newRow("selected, half") << "50.00" << true << 99;
}

void TestShareBarDelegate::barLength()
{
    QFETCH(QString, text);
    QFETCH(bool, selected);
    QFETCH(int, pixels);
    QStandardItemModel model(1, 1);
    model.setItem(0, 0, new QStandardItem(text));
    ShareBarDelegate delegate;
    QStyleOptionViewItem option;
    option.rect = QRect(10, 0, 200, 30);
    option.displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
    option.state = QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
    option.palette.setColor(QPalette::Highlight, Qt::blue);
    option.palette.setColor(QPalette::HighlightedText, Qt::red);
    option.palette.setColor(QPalette::Text, Qt::black);
    QImage image(220, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        delegate.paint(&painter, option, model.index(0, 0));
    }
    // Along the bar's last line, below the text, against the line below the bar.
    int tinted = 0;
    int first = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, 27) == image.pixel(x, 28))
            continue;
        first = first < 0 ? x : first;
        ++tinted;
    }
    QCOMPARE(tinted, pixels);
    if (pixels > 0)
        QCOMPARE(first, 11); // from the cell's left edge, inset by one
}

QTEST_MAIN(TestShareBarDelegate)
#include "tst_sharebardelegate.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The share bar of the "%" column: scaled to the list's largest share, in the highlight
// colour, beside the number; none for a share of 0 or a text that is no number.

#include "ui/sharebardelegate.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTest>

#include <cmath>

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
    QTest::addColumn<double>("largest"); // the list's largest share; < 0: not set
    QTest::addColumn<bool>("selected");
    QTest::addColumn<double>("part"); // of the bar of the largest share
    QTest::newRow("the largest") << "12.50" << 12.5 << false << 1.0;
    QTest::newRow("half the largest") << "6.25" << 12.5 << false << 0.5;
    QTest::newRow("a tenth of the largest") << "1.50" << 15.0 << false << 0.1;
    QTest::newRow("no largest: of 100") << "25.00" << -1.0 << false << 0.25;
    QTest::newRow("tiny share, one pixel") << "0.01" << 50.0 << false << -1.0;
    QTest::newRow("none") << "0.00" << 50.0 << false << 0.0;
    QTest::newRow("no number") << "n/a" << 50.0 << false << 0.0;
    QTest::newRow("selected, half") << "25.00" << 50.0 << true << 0.5;
}

void TestShareBarDelegate::barLength()
{
    QFETCH(QString, text);
    QFETCH(double, largest);
    QFETCH(bool, selected);
    QFETCH(double, part);
    // The same cell with the largest share, then with the one under test.
    const auto tinted = [&](const QString& share, int* first, int* last) {
        QStandardItemModel model(1, 1);
        auto* item = new QStandardItem(share);
        if (largest >= 0)
            item->setData(largest, ShareBarDelegate::LargestShareRole);
        model.setItem(0, 0, item);
        ShareBarDelegate delegate;
        QStyleOptionViewItem option;
        option.rect = QRect(10, 0, 200, 30);
        option.state =
            QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
        option.palette.setColor(QPalette::Base, Qt::white);
        option.palette.setColor(QPalette::Highlight, Qt::blue);
        option.palette.setColor(QPalette::HighlightedText, Qt::red);
        option.palette.setColor(QPalette::Text, Qt::black);
        QImage image(220, 30, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            delegate.paint(&painter, option, model.index(0, 0));
        }
        // Along a line through the bar above the text, in the bar's own colour only.
        const QRgb bar = QColor(selected ? Qt::red : Qt::blue).rgb();
        int count = 0;
        *first = *last = -1;
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, 4) != bar)
                continue;
            *first = *first < 0 ? x : *first;
            *last = x;
            ++count;
        }
        return count;
    };
    int fullFirst = 0, fullLast = 0, first = 0, last = 0;
    const int full =
        tinted(largest >= 0 ? QString::number(largest, 'f', 2) : "100.00", &fullFirst, &fullLast);
    const int pixels = tinted(text, &first, &last);
    // The largest bar is long, starts at the cell's left margin and stops before the number.
    QVERIFY2(full > 100, qPrintable(QString::number(full)));
    QCOMPARE(fullFirst, 14);
    QVERIFY(fullLast < 210 - QFontMetrics(QApplication::font()).horizontalAdvance("100.00"));
    if (part < 0)
        QCOMPARE(pixels, 1);
    else
        QVERIFY2(std::abs(pixels - part * full) <= 1, qPrintable(QString::number(pixels)));
    if (pixels > 0)
        QCOMPARE(first, 14);
}

QTEST_MAIN(TestShareBarDelegate)
#include "tst_sharebardelegate.moc"

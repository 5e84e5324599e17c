// SPDX-License-Identifier: GPL-3.0-or-later
// The about box: its form, texts, fixed size, flags and links.

#include "ui/aboutdialog.h"

#include "aboutlinks.h"

#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QTest>

class TestAboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void init() { dialog = new AboutDialog(nullptr); }
    void cleanup() { delete dialog; }

    void widgets_data();
    void widgets();
    void dialogProperties();
    void okHidesWithoutDestroying();

private:
    AboutDialog* dialog = nullptr;
};

void TestAboutDialog::widgets_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<int>("position"); // in verticalLayout
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("opensLinks");

    const QString site = QStringLiteral(LENSTALLY_WEBSITE_URL);
    const QString donate = QStringLiteral(LENSTALLY_DONATE_URL);
    QTest::newRow("label") << "QLabel" << 0 << "Lenstally<br/>Version 1.2" << false;
    QTest::newRow("label_2") << "QLabel" << 1 << "" << false;
    QTest::newRow("label_3") << "QLabel" << 2 << "&copy; The Lenstally developers" << false;
    QTest::newRow("label_4") << "QLabel" << 3 << QStringLiteral("<a href=\"%1\">%1</a>").arg(site)
                             << true;
    QTest::newRow("label_5")
        << "QLabel" << 4
        << QStringLiteral("<a href=\"%1\"><img src=\":/images/donatebutton\"/></a>").arg(donate)
        << true;
    QTest::newRow("pushButton") << "QPushButton" << 5 << "Ok" << false;
}

void TestAboutDialog::widgets()
{
    QFETCH(QString, className);
    QFETCH(int, position);
    QFETCH(QString, text);
    QFETCH(bool, opensLinks);

    QWidget* widget = dialog->findChild<QWidget*>(QLatin1String(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(widget->parent(), dialog);
    QCOMPARE(widget->property("text").toString(), text);
    auto* column = dialog->findChild<QVBoxLayout*>(QStringLiteral("verticalLayout"));
    QVERIFY(column);
    QCOMPARE(column->indexOf(widget), position);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        QCOMPARE(label->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
        QCOMPARE(label->openExternalLinks(), opensLinks);
        // A link without an address would lead nowhere: it is not shown.
        if (opensLinks)
            QCOMPARE(label->isVisibleTo(dialog), !text.contains("href=\"\""));
    }
}

void TestAboutDialog::dialogProperties()
{
    QCOMPARE(dialog->objectName(), QStringLiteral("AboutDialog"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("About"));
    QVERIFY(dialog->isModal());
    QVERIFY(!dialog->isSizeGripEnabled());
    QVERIFY(!(dialog->windowFlags() & Qt::WindowContextHelpButtonHint));
    QVERIFY(!dialog->windowIcon().isNull());
    QCOMPARE(dialog->size(), QSize(184, 241));
    QCOMPARE(dialog->minimumSize(), QSize(184, 241));
    QCOMPARE(dialog->maximumSize(), QSize(184, 241));

    auto* title = dialog->findChild<QLabel*>(QStringLiteral("label"));
    QCOMPARE(title->font().pointSize(), 14);
    auto* icon = dialog->findChild<QLabel*>(QStringLiteral("label_2"));
    QCOMPARE(icon->pixmap().size(), QSize(64, 64));
    QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("label_3"))->textFormat(), Qt::RichText);
    auto* outer = qobject_cast<QHBoxLayout*>(dialog->layout());
    QVERIFY(outer);
    QCOMPARE(outer->objectName(), QStringLiteral("horizontalLayout"));
}

void TestAboutDialog::okHidesWithoutDestroying()
{
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    // Every text must fit the fixed width, the link and credit line included.
    for (QLabel* label : dialog->findChildren<QLabel*>())
        QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->objectName()));
    QPointer<AboutDialog> guard(dialog);
    dialog->findChild<QPushButton*>(QStringLiteral("pushButton"))->click();
    QVERIFY(!dialog->isVisible());
    QVERIFY(guard);
    dialog->resize(400, 400);
    QCOMPARE(dialog->size(), QSize(184, 241));
}

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"

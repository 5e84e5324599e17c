// SPDX-License-Identifier: GPL-3.0-or-later
// The window and lenstally-report on the same folder and settings: the file that the
// window's Export button writes and the report's --tsv, --html, --page, --csv and --json
// are the same bytes (the report page's time of analysis aside), rows chosen in the window
// and --where included; and how chosen rows narrow the window's other tables.

#include "ui/mainwindow.h"

#include "core/count/selection.h"

#include "modalwidgets.h"
#include "testpictures.h"
#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

using namespace testpictures;

namespace {

// The export without the report page's time of analysis.
QByteArray withoutTime(const QByteArray& bytes)
{
    static const QRegularExpression time(QStringLiteral("<time datetime=\"[^<]*</time>"));
    return QString::fromUtf8(bytes).replace(time, QString()).toUtf8();
}

// The by-value list of each table, in StatKind order.
const char* const valueLists[StatKindCount] = {"treeFocal", "treeFocal35",  "treeAperture",
                                               "treeISO",   "treeExposure", "treeCamera",
                                               "treeLens",  "treeYear"};

// Chooses a row in the window as Ctrl+click would: KIND=LABEL as --where takes it.
bool chooseRow(MainWindow& window, const QString& where)
{
    const std::optional<StatKind> kind = selectionKindFromName(where.section('=', 0, 0));
    if (!kind)
        return false;
    auto* tree = window.findChild<QTreeWidget*>(valueLists[*kind]);
    const QList<QTreeWidgetItem*> items =
        tree->findItems(where.section('=', 1), Qt::MatchExactly, 0);
    if (items.size() != 1)
        return false;
    items.first()->setSelected(true);
    return true;
}

// "label=count" for the rows of a list.
QStringList listRows(MainWindow& window, const char* name)
{
    QStringList rows;
    auto* tree = window.findChild<QTreeWidget*>(name);
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        rows << tree->topLevelItem(i)->text(0) + '=' + tree->topLevelItem(i)->text(1);
    return rows;
}

} // namespace

class TestReportWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameExport_data();
    void sameExport();
    void chosenRowsNarrowOtherTables();

private:
    QTemporaryDir dir;
    QString pictures;
};

void TestReportWindow::initTestCase()
{
    pictures = dir.filePath("pictures");
    QVERIFY(QDir().mkpath(pictures + "/raw"));
    QVERIFY(writePicture(pictures + "/a.jpg", Format::Jpeg, typicalTags()));
    QVERIFY(writePicture(pictures + "/b.JPG", Format::Jpeg, typicalTags("NIKON", "D90")));
    QVERIFY(
        writePicture(pictures + "/c.tif", Format::Tiff,
                     withoutTag(typicalTags("Epson", "V600"), "Exif.Photo.FocalLengthIn35mmFilm")));
    QVERIFY(writePicture(pictures + "/raw/d.nef", Format::Tiff,
                         withTag(typicalTags("NIKON", "D750"), "Exif.Photo.FNumber",
                                 Tag::textTag("Exif.Photo.FNumber", "18/10"))));
    QVERIFY(writeBytes(pictures + "/raw/e.nef", "not a picture"));
}

void TestReportWindow::sameExport_data()
{
    QTest::addColumn<bool>("jpeg");
    QTest::addColumn<bool>("tiff");
    QTest::addColumn<QString>("make");
    QTest::addColumn<bool>("exceptMake");
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("exceptModel");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("where");
    QTest::newRow("all formats, tsv")
        << true << true << "" << false << "" << false << "stats.txt" << QStringList();
    QTest::newRow("all formats, html")
        << true << true << "" << false << "" << false << "stats.htm" << QStringList();
    QTest::newRow("RAW only, html")
        << false << false << "" << false << "" << false << "raw.htm" << QStringList();
    QTest::newRow("except nikon, tsv")
        << true << true << " nikon ;" << true << "" << false << "nonikon.txt" << QStringList();
    QTest::newRow("all formats, page")
        << true << true << "" << false << "" << false << "stats.html" << QStringList();
    QTest::newRow("except nikon, csv")
        << true << true << "nikon" << true << "" << false << "nonikon.csv" << QStringList();
    QTest::newRow("RAW only, json")
        << false << false << "" << false << "" << false << "raw.json" << QStringList();
    QTest::newRow("except nikon, json")
        << true << true << "nikon" << true << "" << false << "nonikon.json" << QStringList();
    QTest::newRow("make and model, page")
        << true << true << "nikon" << false << "D90" << false << "d90.html" << QStringList();
    QTest::newRow("make, except model, tsv")
        << true << true << "nikon" << false << "D90" << true << "notd90.txt" << QStringList();
    QTest::newRow("empty make list, csv")
        << true << true << ",;, " << true << "" << false << "emptylist.csv" << QStringList();
    // Rows chosen in the window against --where: OR within a table, AND across.
    const QStringList nikons{"camera=NIKON - D90", "camera=NIKON - D750"};
    QTest::newRow("two cameras, json")
        << true << true << "" << false << "" << false << "cameras.json" << nikons;
    QTest::newRow("two cameras and an aperture, page")
        << true << true << "" << false << "" << false << "nikon18.html"
        << nikons + QStringList{"aperture=1.8"};
    QTest::newRow("35 mm Unknown, tsv")
        << true << true << "" << false << "" << false << "unknown35.txt"
        << QStringList{"focal-length-35mm=Unknown"};
    QTest::newRow("one camera, csv")
        << true << true << "" << false << "" << false << "d90.csv" << QStringList{nikons[0]};
}

void TestReportWindow::sameExport()
{
    QFETCH(bool, jpeg);
    QFETCH(bool, tiff);
    QFETCH(QString, make);
    QFETCH(bool, exceptMake);
    QFETCH(QString, model);
    QFETCH(bool, exceptModel);
    QFETCH(QString, name);
    QFETCH(QStringList, where);

    MainWindow window;
    window.show();
    window.findChild<QLineEdit*>("txtFolderName")->setText(pictures);
    window.findChild<QCheckBox*>("chkJPEG")->setChecked(jpeg);
    window.findChild<QCheckBox*>("chkTIFF")->setChecked(tiff);
    window.findChild<QCheckBox*>("chkRAW")->setChecked(true);
    window.findChild<QLineEdit*>("txtMake")->setText(make);
    window.findChild<QCheckBox*>("chkExceptMake")->setChecked(exceptMake);
    window.findChild<QLineEdit*>("txtModel")->setText(model);
    window.findChild<QCheckBox*>("chkExceptModel")->setChecked(exceptModel);
    auto* start = window.findChild<QPushButton*>("btnStart");
    start->click();
    // Start reads "Stop" while the analysis runs; it reads "Start" again when it ends.
    QTRY_COMPARE_WITH_TIMEOUT(start->text(), QStringLiteral("&Start"), 30000);
    for (const QString& row : where)
        QVERIFY2(chooseRow(window, row), qPrintable(row));

    const QString windowFile = dir.filePath("window-" + name);
    onModal(this, [&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog)
            return;
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(windowFile);
        static_cast<QDialog*>(dialog)->accept();
    });
    window.findChild<QPushButton*>("btnExport")->click();
    QTRY_VERIFY(window.findChild<QLabel*>("lblOutcome")
                    ->text()
                    .startsWith("The export has been completed: " + windowFile + "; "));

    const QString reportFile = dir.filePath("report-" + name);
    const QHash<QString, QString> options = {{"txt", "--tsv"},
                                             {"htm", "--html"},
                                             {"html", "--page"},
                                             {"csv", "--csv"},
                                             {"json", "--json"}};
    QStringList arguments{pictures, options.value(QFileInfo(name).suffix()), reportFile};
    if (jpeg)
        arguments << "--jpeg";
    if (tiff)
        arguments << "--tiff";
    if (!make.isEmpty())
        arguments << "--make" << make;
    if (exceptMake)
        arguments << "--except-make";
    if (!model.isEmpty())
        arguments << "--model" << model;
    if (exceptModel)
        arguments << "--except-model";
    for (const QString& row : where)
        arguments << "--where" << row;
    QProcess report;
    report.start(LENSTALLY_REPORT_PATH, arguments);
    QVERIFY(report.waitForFinished(60000));
    QCOMPARE(report.exitCode(), 0);
    QVERIFY(QFileInfo::exists(windowFile));
    const QByteArray written = fileBytes(reportFile);
    QCOMPARE(withoutTime(written), withoutTime(fileBytes(windowFile)));
    QCOMPARE(written.contains("<time datetime="), name.endsWith(".html"));
    // The rich exports state a selection, and only a selection.
    QCOMPARE(written.contains("\"where\": [{\"kind\": \"camera\""),
             name.endsWith(".json") && !where.isEmpty());
    QCOMPARE(written.contains("<dt>Pictures shown</dt>"),
             name.endsWith(".html") && !where.isEmpty());
}

void TestReportWindow::chosenRowsNarrowOtherTables()
{
    MainWindow window;
    window.show();
    window.findChild<QLineEdit*>("txtFolderName")->setText(pictures);
    window.findChild<QCheckBox*>("chkJPEG")->setChecked(true);
    window.findChild<QCheckBox*>("chkTIFF")->setChecked(true);
    window.findChild<QCheckBox*>("chkRAW")->setChecked(true);
    auto* start = window.findChild<QPushButton*>("btnStart");
    start->click();
    QTRY_COMPARE_WITH_TIMEOUT(start->text(), QStringLiteral("&Start"), 30000);
    const QStringList focal = listRows(window, "treeFocal");
    const QStringList apertures = listRows(window, "treeApertureSorted");
    const QStringList cameras = listRows(window, "treeCamera");
    QCOMPARE(apertures, (QStringList{"2.8=3", "1.8=1"}));
    auto* bar = window.findChild<QWidget*>("selectionBar");
    QVERIFY(!bar->isVisible());

    QVERIFY(chooseRow(window, "camera=NIKON - D750"));
    QCOMPARE(listRows(window, "treeFocal"), QStringList{"50=1"});
    QCOMPARE(listRows(window, "treeApertureSorted"), QStringList{"1.8=1"});
    // The camera list keeps its rows, the chosen one highlighted in both its lists.
    QCOMPARE(listRows(window, "treeCamera"), cameras);
    const QList<QTreeWidgetItem*> chosen =
        window.findChild<QTreeWidget*>("treeCameraSorted")->selectedItems();
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.first()->text(0), QStringLiteral("NIKON - D750"));
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->findChild<QLabel*>("lblSelection")->text(),
             QStringLiteral("Showing 1 of 4 counted pictures: Camera is NIKON - D750"));
    // The outcome line keeps the analysis's own numbers.
    QVERIFY2(window.findChild<QLabel*>("lblOutcome")->text().contains("4 counted"),
             qPrintable(window.findChild<QLabel*>("lblOutcome")->text()));

    // A second camera is OR-ed; then Escape shows every picture again.
    QVERIFY(chooseRow(window, "camera=NIKON - D90"));
    QCOMPARE(listRows(window, "treeApertureSorted"), (QStringList{"1.8=1", "2.8=1"}));
    QTest::keyClick(&window, Qt::Key_Escape);
    QCOMPARE(listRows(window, "treeFocal"), focal);
    QCOMPARE(listRows(window, "treeApertureSorted"), apertures);
    QVERIFY(window.findChild<QTreeWidget*>("treeCamera")->selectedItems().isEmpty());
    QVERIFY(!bar->isVisible());
}

QTEST_MAIN(TestReportWindow)
#include "tst_reportwindow.moc"

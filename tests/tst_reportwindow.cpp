// SPDX-License-Identifier: GPL-3.0-or-later
// The window and lenstally-report on the same folder and settings: the file that the
// window's Export button writes and the report's --tsv, --html, --page, --csv and --json
// are the same bytes (the report page's time of analysis aside).

#include "ui/mainwindow.h"

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

#include <functional>

using namespace testpictures;

namespace {

// The export without the report page's time of analysis.
QByteArray withoutTime(const QByteArray& bytes)
{
    static const QRegularExpression time(QStringLiteral("<time datetime=\"[^<]*</time>"));
    return QString::fromUtf8(bytes).replace(time, QString()).toUtf8();
}

} // namespace

class TestReportWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameExport_data();
    void sameExport();

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
    QTest::newRow("all formats, tsv") << true << true << "" << false << "" << false << "stats.txt";
    QTest::newRow("all formats, html") << true << true << "" << false << "" << false << "stats.htm";
    QTest::newRow("RAW only, html") << false << false << "" << false << "" << false << "raw.htm";
    QTest::newRow("except nikon, tsv")
        << true << true << " nikon ;" << true << "" << false << "nonikon.txt";
    QTest::newRow("all formats, page")
        << true << true << "" << false << "" << false << "stats.html";
    QTest::newRow("except nikon, csv")
        << true << true << "nikon" << true << "" << false << "nonikon.csv";
    QTest::newRow("RAW only, json") << false << false << "" << false << "" << false << "raw.json";
    QTest::newRow("except nikon, json")
        << true << true << "nikon" << true << "" << false << "nonikon.json";
    QTest::newRow("make and model, page")
        << true << true << "nikon" << false << "D90" << false << "d90.html";
    QTest::newRow("make, except model, tsv")
        << true << true << "nikon" << false << "D90" << true << "notd90.txt";
    QTest::newRow("empty make list, csv")
        << true << true << ",;, " << true << "" << false << "emptylist.csv";
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
    QProcess report;
    report.start(LENSTALLY_REPORT_PATH, arguments);
    QVERIFY(report.waitForFinished(60000));
    QCOMPARE(report.exitCode(), 0);
    QVERIFY(QFileInfo::exists(windowFile));
    const QByteArray written = fileBytes(reportFile);
    QCOMPARE(withoutTime(written), withoutTime(fileBytes(windowFile)));
    QCOMPARE(written.contains("<time datetime="), name.endsWith(".html"));
}

QTEST_MAIN(TestReportWindow)
#include "tst_reportwindow.moc"

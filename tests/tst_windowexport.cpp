// SPDX-License-Identifier: GPL-3.0-or-later
// The window's Export command through the real file dialog: format by name, the
// messages, cancelling, and files that cannot be opened or written.

#include "ui/mainwindow.h"

#include "export/exporter.h"
#include "modalwidgets.h"
#include "testpictures.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace testpictures;

namespace {

// Opens fine, then fails to write, as a full disk would.
class FailingExporter : public Exporter
{
public:
    bool write() override
    {
        lastError = ExportError::WriteFailed;
        return false;
    }
    bool writeTo(QIODevice*) override { return false; }
};

class WindowWithFailingExport : public MainWindow
{
protected:
    std::unique_ptr<Exporter> createExporter(const QString&) override
    {
        return std::make_unique<FailingExporter>();
    }
};

} // namespace

class TestWindowExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void nothingToExport();
    void formatFollowsName_data();
    void formatFollowsName();
    void nameWithoutSuffixTakesTheChosenType_data();
    void nameWithoutSuffixTakesTheChosenType();
    void cancelWritesNothing();
    void failures_data();
    void failures();
    void folderWithoutWritePermission();
    void writeFailure();

private:
    // Runs an analysis of the test folder in window.
    void analyse(MainWindow* window);
    // Presses Export, types name into the file dialog (or cancels when name is empty) and
    // returns the text of the message box that follows, else what the outcome line added,
    // or "" when neither.
    // Saves under name with the dialog's file type filter chosen (the first when empty).
    QString exportAs(MainWindow* window, const QString& name, const QString& filter = QString());

    QTemporaryDir dir;
    QString pictures;
};

void TestWindowExport::initTestCase()
{
    pictures = dir.filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(pictures));
    QVERIFY(writePicture(pictures + "/a.jpg", Format::Jpeg, typicalTags()));
    QVERIFY(writePicture(pictures + "/b.jpg", Format::Jpeg,
                         typicalTags(QStringLiteral("NIKON"), QStringLiteral("D90"))));
}

void TestWindowExport::analyse(MainWindow* window)
{
    window->findChild<QLineEdit*>(QStringLiteral("txtFolderName"))->setText(pictures);
    window->findChild<QCheckBox*>(QStringLiteral("chkJPEG"))->setChecked(true);
    auto* start = window->findChild<QPushButton*>(QStringLiteral("btnStart"));
    start->click();
    // Start reads "Stop" while the analysis runs; it reads "Start" again when it ends.
    QTRY_COMPARE_WITH_TIMEOUT(start->text(), QStringLiteral("&Start"), 30000);
}

QString TestWindowExport::exportAs(MainWindow* window, const QString& name, const QString& filter)
{
    QString message;
    bool sawDialog = false;
    // The watchers go with this call: a message box that never came is not waited for later.
    QObject scope;
    onModal(&scope, [&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog)
            return;
        sawDialog = true;
        if (dialog->windowTitle() != QLatin1String("Save Stats") ||
            dialog->nameFilters() !=
                QStringList({"Report Page (*.html)", "CSV File (*.csv)", "JSON File (*.json)",
                             "TAB Separated (*.txt)", "HTML File (*.htm)"})) {
            message = QStringLiteral("unexpected dialog");
            dialog->reject();
            return;
        }
        if (name.isEmpty()) {
            dialog->reject();
            return;
        }
        // Messages after the dialog are caught by the next watcher.
        onModal(&scope, [&](QWidget* next) {
            if (auto* box = qobject_cast<QMessageBox*>(next)) {
                message = box->text();
                QCOMPARE(box->windowTitle(), QStringLiteral("Lenstally v1.2"));
                QCOMPARE(box->icon(), QMessageBox::Information);
                box->button(QMessageBox::Ok)->click();
            }
        });
        if (!filter.isEmpty())
            dialog->selectNameFilter(filter);
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
        static_cast<QDialog*>(dialog)->accept();
    });
    const QString before = window->findChild<QLabel*>(QStringLiteral("lblOutcome"))->text();
    window->findChild<QPushButton*>(QStringLiteral("btnExport"))->click();
    if (!sawDialog)
        return QStringLiteral("no dialog");
    // A success shows in the outcome line, before the analysis' own text.
    const QString after = window->findChild<QLabel*>(QStringLiteral("lblOutcome"))->text();
    if (message.isEmpty() && after != before)
        return after.endsWith(QStringLiteral("; ") + before)
                   ? after.left(after.size() - before.size() - 2)
                   : QStringLiteral("outcome line lost");
    return message;
}

void TestWindowExport::nothingToExport()
{
    MainWindow window;
    window.show();
    QString message;
    onModal(this, [&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        message = box->text();
        QCOMPARE(box->icon(), QMessageBox::Warning);
        box->button(QMessageBox::Ok)->click();
    });
    window.findChild<QPushButton*>(QStringLiteral("btnExport"))->click();
    QCOMPARE(message, QStringLiteral("Nothing to export"));
}

void TestWindowExport::formatFollowsName_data()
{
    // How the file begins, and a line it holds (the folder for the formats that name it).
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QByteArray>("holds");
    const QByteArray folder = pictures.toUtf8();
    QTest::newRow(".htm") << "stats.htm" << QByteArray("<html>\r\n")
                          << QByteArray("<th>Make &amp; Model</th>");
    QTest::newRow(".HTM") << "STATS.HTM" << QByteArray("<html>\r\n")
                          << QByteArray("<th>Make &amp; Model</th>");
    QTest::newRow(".Htm") << "mixed.Htm" << QByteArray("<html>\r\n")
                          << QByteArray("<th>Make &amp; Model</th>");
    QTest::newRow(".html") << "stats.html" << QByteArray("<!DOCTYPE html>\n")
                           << "<dt>Folder</dt><dd>" + folder + "</dd>";
    QTest::newRow(".HTML") << "STATS.HTML" << QByteArray("<!DOCTYPE html>\n")
                           << QByteArray("<tr><td>Counted</td><td class=\"num\">2</td></tr>");
    QTest::newRow(".csv") << "stats.csv" << QByteArray("Table,Value,Number,Pictures,Percent\r\n")
                          << QByteArray("\nYear,Unknown,,2,100.00\r\n");
    QTest::newRow(".json") << "stats.json" << QByteArray("{\n  \"program\": \"Lenstally\"")
                           << "\"folder\": \"" + folder + "\"";
    QTest::newRow(".JSON") << "stats.JSON" << QByteArray("{\n")
                           << QByteArray("\"totals\": {\"files\": 2, \"counted\": 2,");
    QTest::newRow(".txt") << "stats.txt" << QByteArray("Lenstally\r\n")
                          << QByteArray("Make & Model\tPictures\t%\r\n");
}

void TestWindowExport::nameWithoutSuffixTakesTheChosenType_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("HTML chosen") << "HTML File (*.htm)"
                                 << "stats.htm" << QByteArray("<html>");
    QTest::newRow("text chosen") << "TAB Separated (*.txt)"
                                 << "stats.txt" << QByteArray("Lenstally");
    QTest::newRow("report page chosen") << "Report Page (*.html)"
                                        << "stats.html" << QByteArray("<!DOCTYPE html>");
    QTest::newRow("CSV chosen") << "CSV File (*.csv)"
                                << "stats.csv" << QByteArray("Table,");
    QTest::newRow("JSON chosen") << "JSON File (*.json)"
                                 << "stats.json" << QByteArray("{");
}

void TestWindowExport::nameWithoutSuffixTakesTheChosenType()
{
    QFETCH(QString, filter);
    QFETCH(QString, written);
    QFETCH(QByteArray, start);
    MainWindow window;
    window.show();
    analyse(&window);
    QCOMPARE(exportAs(&window, dir.filePath("stats"), filter),
             "The export has been completed: " + dir.filePath(written));
    QVERIFY(!QFileInfo::exists(dir.filePath("stats")));
    QFile file(dir.filePath(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith(start));
    file.remove();
}

void TestWindowExport::formatFollowsName()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, holds);
    MainWindow window;
    window.show();
    analyse(&window);
    const QString path = dir.filePath(name);
    QCOMPARE(exportAs(&window, path), "The export has been completed: " + path);

    QFile file(path); // the name as typed: no extension added
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(bytes.startsWith(start), bytes.left(40).constData());
    QVERIFY2(bytes.contains(holds), holds.constData());
    QVERIFY(bytes.contains("Canon - Canon EOS 7D"));
    QVERIFY(bytes.contains("50.00"));
    file.remove();
}

void TestWindowExport::cancelWritesNothing()
{
    MainWindow window;
    window.show();
    analyse(&window);
    const QStringList before = QDir(dir.path()).entryList(QDir::Files);
    QCOMPARE(exportAs(&window, QString()), QString());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
}

void TestWindowExport::failures_data()
{
    QTest::addColumn<QString>("name");
    // Root may write anywhere, but not into a regular file as if it were a folder.
    QTest::newRow("inside a regular file") << "plain/stats.htm";
    QTest::newRow("inside a regular file, text") << "plain/stats.txt";
}

void TestWindowExport::failures()
{
    QFETCH(QString, name);
    QVERIFY(writeBytes(dir.filePath("plain"), "a file, not a folder"));
    MainWindow window;
    window.show();
    analyse(&window);
    const QString path = dir.filePath(name);
    QCOMPARE(exportAs(&window, path), QStringLiteral("Could not open ") + path);
}

void TestWindowExport::folderWithoutWritePermission()
{
    const QString locked = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkpath(locked));
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    QFile probe(locked + "/probe");
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QSKIP("running as root: permissions do not stop writes (see failures())");
    }
    MainWindow window;
    window.show();
    analyse(&window);
    const QString path = locked + "/stats.htm";
    QCOMPARE(exportAs(&window, path), QStringLiteral("Could not open ") + path);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestWindowExport::writeFailure()
{
    WindowWithFailingExport window;
    window.show();
    analyse(&window);
    const QString path = dir.filePath(QStringLiteral("full.htm"));
    QCOMPARE(exportAs(&window, path), QStringLiteral("Could not write ") + path);
}

QTEST_MAIN(TestWindowExport)
#include "tst_windowexport.moc"

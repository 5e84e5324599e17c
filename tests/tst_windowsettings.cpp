// SPDX-License-Identifier: GPL-3.0-or-later
// The window remembers its form, size, tab, export place and recent folders across
// restarts, in a settings file of the test's own folder.
#include "testpictures.h"
#include "ui/mainwindow.h"
#include "ui/windowsettings.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace testpictures;

namespace {

template <typename T> T* child(QWidget* window, const char* name)
{
    T* object = window->findChild<T*>(QLatin1String(name));
    if (!object)
        qFatal("no %s", name);
    return object;
}

QStringList listed(QWidget* window)
{
    QStringList folders;
    auto* list = child<QListWidget>(window, "lstMoreFolders");
    for (int i = 0; i < list->count(); ++i)
        folders << list->item(i)->text();
    return folders;
}

// A window that remembers its settings, as the program starts one.
std::unique_ptr<MainWindow> startWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->rememberSettings();
    window->show();
    return window;
}

} // namespace

class TestWindowSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void restoresItsStateAfterARestart();
    void unusableSettingsGiveTheDefaults_data();
    void unusableSettingsGiveTheDefaults();
    void recentSets_data();
    void recentSets();

private:
    QTemporaryDir dir;
    QString settingsFile;
};

void TestWindowSettings::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("config"));
    settingsFile = dir.filePath("config/Lenstally/Lenstally.conf");
    QCOMPARE(openWindowSettings()->fileName(), settingsFile);
}

void TestWindowSettings::init()
{
    QFile::remove(settingsFile);
}

void TestWindowSettings::restoresItsStateAfterARestart()
{
    const QString cards = dir.filePath("cards"), archive = dir.filePath("archive");
    for (const QString& folder : {cards + "/_trash", archive})
        QVERIFY(QDir().mkpath(folder));
    QVERIFY(writePicture(cards + "/a.jpg", Format::Jpeg, typicalTags()));
    QVERIFY(writePicture(cards + "/_trash/b.jpg", Format::Jpeg, typicalTags()));
    QVERIFY(writePicture(archive + "/c.jpg", Format::Jpeg, typicalTags("NIKON", "D750")));
    {
        auto window = startWindow();
        QVERIFY(!child<QListWidget>(window.get(), "lstMoreFolders")->isVisible());
        child<QLineEdit>(window.get(), "txtFolderName")->setText(cards);
        child<QToolButton>(window.get(), "btnMore")->click();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(cards), QUrl::fromLocalFile(archive)});
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        static_cast<QObject*>(window.get())->event(&drop);
        QCOMPARE(listed(window.get()), QStringList{archive});
        child<QLineEdit>(window.get(), "txtExclude")->setText("_trash; *.xmp");
        child<QCheckBox>(window.get(), "chkJPEG")->setChecked(true);
        child<QCheckBox>(window.get(), "chkRAW")->setChecked(false);
        child<QLineEdit>(window.get(), "txtModel")->setText("D750");
        child<QCheckBox>(window.get(), "chkExceptModel")->setChecked(true);
        child<QCheckBox>(window.get(), "chkPairsOnce")->setChecked(true);
        child<QCheckBox>(window.get(), "chkTakenFrom")->setChecked(true);
        child<QDateEdit>(window.get(), "dateTakenFrom")->setDate(QDate(1999, 2, 28));
        child<QPushButton>(window.get(), "btnStart")->click();
        // Written when the analysis starts, before the window closes.
        QCOMPARE(QSettings(settingsFile, QSettings::IniFormat).value("exclude").toStringList(),
                 (QStringList{"_trash", "*.xmp"}));
        QTRY_COMPARE_WITH_TIMEOUT(child<QPushButton>(window.get(), "btnStart")->text(),
                                  QStringLiteral("&Start"), 30000);
        // Each file once, _trash left out, both folders named (the pictures carry no date:
        // the date range leaves the one the model filter kept).
        const QString outcome = child<QLabel>(window.get(), "lblOutcome")->text();
        QVERIFY2(outcome.startsWith("2 files: 0 counted, 1 filtered out"), qPrintable(outcome));
        QVERIFY2(outcome.contains("from 2 folders: " + cards + ", " + archive),
                 qPrintable(outcome));
        QVERIFY2(outcome.contains("left out: 1 folder(s), 0 file(s)"), qPrintable(outcome));
        child<QTabWidget>(window.get(), "tabWidget")->setCurrentIndex(6);
        window->resize(900, 700);
        window->close();
    }
    auto window = startWindow();
    QCOMPARE(child<QLineEdit>(window.get(), "txtFolderName")->text(), cards);
    QCOMPARE(listed(window.get()), QStringList{archive});
    QVERIFY(child<QListWidget>(window.get(), "lstMoreFolders")->isVisible());
    QCOMPARE(child<QLineEdit>(window.get(), "txtExclude")->text(), QStringLiteral("_trash; *.xmp"));
    QVERIFY(child<QCheckBox>(window.get(), "chkJPEG")->isChecked());
    QVERIFY(!child<QCheckBox>(window.get(), "chkRAW")->isChecked());
    QCOMPARE(child<QLineEdit>(window.get(), "txtModel")->text(), QStringLiteral("D750"));
    QVERIFY(child<QCheckBox>(window.get(), "chkExceptModel")->isChecked());
    QVERIFY(!child<QCheckBox>(window.get(), "chkExceptMake")->isChecked());
    QVERIFY(child<QCheckBox>(window.get(), "chkPairsOnce")->isChecked());
    QVERIFY(!child<QCheckBox>(window.get(), "chkTakenUntil")->isChecked());
    QVERIFY(child<QCheckBox>(window.get(), "chkTakenFrom")->isChecked());
    QCOMPARE(child<QDateEdit>(window.get(), "dateTakenFrom")->date(), QDate(1999, 2, 28));
    QCOMPARE(child<QTabWidget>(window.get(), "tabWidget")->currentIndex(), 6);
    QCOMPARE(window->size(), QSize(900, 700));
    // The set analysed is in Recent, and choosing it fills the folders again.
    auto* recent = child<QToolButton>(window.get(), "btnRecent");
    QVERIFY(recent->isEnabled());
    QCOMPARE(recent->menu()->actions().size(), 1);
    child<QLineEdit>(window.get(), "txtFolderName")->clear();
    child<QListWidget>(window.get(), "lstMoreFolders")->clear();
    recent->menu()->actions().first()->trigger();
    QCOMPARE(child<QLineEdit>(window.get(), "txtFolderName")->text(), cards);
    QCOMPARE(listed(window.get()), QStringList{archive});
}

void TestWindowSettings::unusableSettingsGiveTheDefaults_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("folderInItsPlace"); // unreadable as a file, even for root
    QTest::newRow("binary garbage") << QByteArray("\x00\xff[\x01\n=\x80\x81", 9) << false;
    QTest::newRow("values of other types")
        << QByteArray("[General]\nfolders=@Variant(\\0\\0\\0\\x7f)\nexclude=@Rect(1 2 3 4)\n"
                      "[formats]\nraw=maybe\njpeg=17\n[counting]\ntakenFrom=2019-02-30\n"
                      "[window]\ntab=-3\ngeometry=@Size(1 1)\n[recent]\nsize=99\n")
        << false;
    QTest::newRow("a folder in its place") << QByteArray() << true;
}

void TestWindowSettings::unusableSettingsGiveTheDefaults()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, folderInItsPlace);
    if (folderInItsPlace)
        QVERIFY(QDir().mkpath(settingsFile + "/sub"));
    else
        QVERIFY(writeBytes(settingsFile, content));
    auto window = startWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(child<QLineEdit>(window.get(), "txtFolderName")->text(), QString());
    QCOMPARE(listed(window.get()), QStringList());
    QCOMPARE(child<QLineEdit>(window.get(), "txtExclude")->text(), QString());
    QVERIFY(child<QCheckBox>(window.get(), "chkRAW")->isChecked());
    QVERIFY(!child<QCheckBox>(window.get(), "chkJPEG")->isChecked());
    QVERIFY(!child<QCheckBox>(window.get(), "chkTakenFrom")->isChecked());
    QCOMPARE(child<QTabWidget>(window.get(), "tabWidget")->currentIndex(), 0);
    QVERIFY(!child<QToolButton>(window.get(), "btnRecent")->isEnabled());
    window->close();
    if (folderInItsPlace)
        QVERIFY(QDir(settingsFile).removeRecursively());
}

void TestWindowSettings::recentSets_data()
{
    QTest::addColumn<int>("before"); // sets "0" .. "before-1", newest first
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("firstThree"); // the first folder of the first three sets
    QTest::addColumn<int>("after");
    QTest::newRow("first set") << 0 << QStringList{"a", "b"} << QStringList{"a"} << 1;
    QTest::newRow("new set first") << 3 << QStringList{"x"} << QStringList{"x", "0", "1"} << 4;
    QTest::newRow("a set again moves up")
        << 5 << QStringList{"3"} << QStringList{"3", "0", "1"} << 5;
    QTest::newRow("same first folder, other set")
        << 2 << QStringList{"1", "y"} << QStringList{"1", "0", "1"} << 3;
    QTest::newRow("the eleventh drops the oldest")
        << 10 << QStringList{"x"} << QStringList{"x", "0", "1"} << 10;
}

void TestWindowSettings::recentSets()
{
    QFETCH(int, before);
    QFETCH(QStringList, added);
    QFETCH(QStringList, firstThree);
    QFETCH(int, after);
    QList<QStringList> recent;
    for (int i = 0; i < before; ++i)
        recent << QStringList{QString::number(i)};
    const QList<QStringList> result = withRecent(recent, added);
    QCOMPARE(result.size(), after);
    QCOMPARE(result.first(), added);
    for (int i = 0; i < firstThree.size(); ++i)
        QCOMPARE(result.at(i).first(), firstThree.at(i));
    // Each set once.
    for (int i = 0; i < result.size(); ++i)
        QCOMPARE(result.count(result.at(i)), 1);
}

QTEST_MAIN(TestWindowSettings)
#include "tst_windowsettings.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The built main window: its form, initial state, flags and language-change handling.

#include "core/cache/readingcache.h"
#include "ui/mainwindow.h"
#include "ui/sharebardelegate.h"
#include "ui/tablechart.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <QWhatsThis>

class TestMainWindowForm : public QObject
{
    Q_OBJECT

private slots:
    void init() { window = new MainWindow; }
    void cleanup() { delete window; }

    void objects_data();
    void objects();
    void texts_data();
    void texts();
    void trees_data();
    void trees();
    void initialState();
    void layouts();
    void windowProperties();
    void aboutShowsOneDialog();
    void languageChangeResetsTexts();

private:
    // The window's own objects of a name; the about box, a child too, reuses some names.
    template <typename T> QList<T*> formObjects(const QString& name) const
    {
        QList<T*> result;
        for (T* object : window->findChildren<T*>(name)) {
            QObject* up = object;
            while (up && !qobject_cast<QDialog*>(up))
                up = up->parent();
            if (!up)
                result << object;
        }
        return result;
    }

    template <typename T> T* child(const char* name) const
    {
        const QList<T*> objects = formObjects<T>(QLatin1String(name));
        if (objects.size() != 1)
            qFatal("no single %s", name);
        return objects[0];
    }

    MainWindow* window = nullptr;
};

void TestMainWindowForm::objects_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");

    const char* const rows[][3] = {
        {"centralWidget", "QWidget", "MainWindow"},
        {"gridLayout_10", "QGridLayout", "centralWidget"},
        {"verticalLayout", "QVBoxLayout", "gridLayout_10"},
        {"horizontalLayout_9", "QHBoxLayout", "verticalLayout"},
        {"groupBox", "QGroupBox", "centralWidget"},
        {"gridLayout_2", "QGridLayout", "groupBox"},
        {"gridLayout", "QGridLayout", "gridLayout_2"},
        {"label", "QLabel", "groupBox"},
        {"horizontalLayout", "QHBoxLayout", "gridLayout"},
        {"txtFolderName", "QLineEdit", "groupBox"},
        {"btnBrowse", "QPushButton", "groupBox"},
        {"label_5", "QLabel", "groupBox"},
        {"horizontalLayout_2", "QHBoxLayout", "gridLayout"},
        {"chkJPEG", "QCheckBox", "groupBox"},
        {"chkTIFF", "QCheckBox", "groupBox"},
        {"chkRAW", "QCheckBox", "groupBox"},
        {"chkHEIF", "QCheckBox", "groupBox"},
        {"groupBox_2", "QGroupBox", "centralWidget"},
        {"gridLayout_9", "QGridLayout", "groupBox_2"},
        {"gridLayout_3", "QGridLayout", "gridLayout_9"},
        {"label_2", "QLabel", "groupBox_2"},
        {"txtMake", "QLineEdit", "groupBox_2"},
        {"label_3", "QLabel", "groupBox_2"},
        {"txtModel", "QLineEdit", "groupBox_2"},
        {"chkExceptMake", "QCheckBox", "groupBox_2"},
        {"chkExceptModel", "QCheckBox", "groupBox_2"},
        {"horizontalLayout_5", "QHBoxLayout", "verticalLayout"},
        {"btnStart", "QPushButton", "centralWidget"},
        {"progressBar", "QProgressBar", "centralWidget"},
        {"label_4", "QLabel", "centralWidget"},
        {"lblPicturesFound", "QLabel", "centralWidget"},
        {"tabWidget", "QTabWidget", "centralWidget"},
        {"tab", "QWidget", "qt_tabwidget_stackedwidget"},
        {"gridLayout_5", "QGridLayout", "tab"},
        {"horizontalLayout_3", "QHBoxLayout", "gridLayout_5"},
        {"treeFocal", "QTreeWidget", "tab"},
        {"treeFocalSorted", "QTreeWidget", "tab"},
        {"tab_5", "QWidget", "qt_tabwidget_stackedwidget"},
        {"gridLayout_4", "QGridLayout", "tab_5"},
        {"horizontalLayout_11", "QHBoxLayout", "gridLayout_4"},
        {"treeFocal35", "QTreeWidget", "tab_5"},
        {"treeFocal35Sorted", "QTreeWidget", "tab_5"},
        {"tab_2", "QWidget", "qt_tabwidget_stackedwidget"},
        {"gridLayout_6", "QGridLayout", "tab_2"},
        {"horizontalLayout_4", "QHBoxLayout", "gridLayout_6"},
        {"treeAperture", "QTreeWidget", "tab_2"},
        {"treeApertureSorted", "QTreeWidget", "tab_2"},
        {"tab_3", "QWidget", "qt_tabwidget_stackedwidget"},
        {"gridLayout_7", "QGridLayout", "tab_3"},
        {"horizontalLayout_6", "QHBoxLayout", "gridLayout_7"},
        {"treeISO", "QTreeWidget", "tab_3"},
        {"treeISOSorted", "QTreeWidget", "tab_3"},
        {"tab_4", "QWidget", "qt_tabwidget_stackedwidget"},
        {"gridLayout_8", "QGridLayout", "tab_4"},
        {"horizontalLayout_8", "QHBoxLayout", "gridLayout_8"},
        {"treeExposure", "QTreeWidget", "tab_4"},
        {"treeExposureSorted", "QTreeWidget", "tab_4"},
        {"tab_6", "QWidget", "qt_tabwidget_stackedwidget"},
        {"gridLayout_11", "QGridLayout", "tab_6"},
        {"horizontalLayout_10", "QHBoxLayout", "gridLayout_11"},
        {"treeCamera", "QTreeWidget", "tab_6"},
        {"treeCameraSorted", "QTreeWidget", "tab_6"},
        {"horizontalLayout_7", "QHBoxLayout", "verticalLayout"},
        {"btnExport", "QPushButton", "centralWidget"},
        {"btnClose", "QPushButton", "centralWidget"},
        {"btnAbout", "QPushButton", "centralWidget"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[1]) << QString::fromLatin1(row[2]);
}

void TestMainWindowForm::objects()
{
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const QList<QObject*> found = formObjects<QObject>(name);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QString::fromLatin1(found[0]->metaObject()->className()), className);
    QVERIFY(found[0]->parent());
    QCOMPARE(found[0]->parent()->objectName(), parentName);
}

void TestMainWindowForm::texts_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("whatsThis");

    const QString folder = QStringLiteral("The folder where the pictures to analyze are stored");
    const QString make = QStringLiteral("Only search for pictures taken by this camera make(s)");
    const QString model =
        QStringLiteral("Only search for pictures taken using this camera model(s)");
    QTest::newRow("groupBox") << "title"
                              << "Settings"
                              << "";
    QTest::newRow("label") << "text"
                           << "Folder:" << folder;
    QTest::newRow("txtFolderName") << "text"
                                   << "" << folder;
    QTest::newRow("btnBrowse") << "text"
                               << "&Browse"
                               << "Browse for a folder";
    QTest::newRow("label_5") << "text"
                             << "File Format:"
                             << "";
    QTest::newRow("chkJPEG") << "text"
                             << "JPEG"
                             << "Analyze JPEG files (most commonly used format)";
    QTest::newRow("chkTIFF") << "text"
                             << "TIFF"
                             << "Analyze TIFF files";
    QTest::newRow("chkRAW") << "text"
                            << "RAW"
                            << "Analyze RAW files";
    QTest::newRow("chkHEIF") << "text"
                             << "&HEIF"
                             << "Analyze HEIF, HEIC and AVIF files (phones and recent cameras)";
    QTest::newRow("groupBox_2") << "title"
                                << "Filter (comma separated)"
                                << "";
    QTest::newRow("label_2") << "text"
                             << "Make:" << make;
    QTest::newRow("txtMake") << "text"
                             << "" << make;
    QTest::newRow("label_3") << "text"
                             << "Model:" << model;
    QTest::newRow("txtModel") << "text"
                              << "" << model;
    QTest::newRow("chkExceptMake") << "text"
                                   << "Except"
                                   << "Excludes the specified make";
    QTest::newRow("chkExceptModel") << "text"
                                    << "Except"
                                    << "Excludes the specified model";
    QTest::newRow("btnStart") << "text"
                              << "&Start"
                              << "Starts analyzing the pictures. What is read from each file is "
                                 "kept in a reading cache (" +
                                     QDir::toNativeSeparators(ReadingCache::defaultPath()) +
                                     "), so that the next analysis of unchanged files takes "
                                     "seconds; a changed file is read again, and the results "
                                     "are the same as without the cache.";
    QTest::newRow("progressBar") << "format"
                                 << "%p%"
                                 << "Displays the progress of analyzing pictures";
    QTest::newRow("label_4") << "text"
                             << "Pictures analysed:"
                             << "";
    QTest::newRow("lblPicturesFound") << "text"
                                      << "0"
                                      << "";
    QTest::newRow("btnExport") << "text"
                               << "E&xport"
                               << "Exports the results";
    QTest::newRow("btnClose") << "text"
                              << "&Close"
                              << "Closes the program";
    QTest::newRow("btnAbout") << "text"
                              << "&About"
                              << "Displays information about the program";
}

void TestMainWindowForm::texts()
{
    QFETCH(QString, property);
    QFETCH(QString, text);
    QFETCH(QString, whatsThis);
    QWidget* widget = child<QWidget>(QTest::currentDataTag());
    QCOMPARE(widget->property(property.toLatin1().constData()).toString(), text);
    QCOMPARE(widget->whatsThis(), whatsThis);
    QCOMPARE(widget->toolTip(), QString());
}

void TestMainWindowForm::trees_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("tabTitle");
    QTest::addColumn<QString>("valueHeading");
    QTest::addColumn<int>("sectionSize");
    QTest::addColumn<QString>("whatsThis");

    QTest::newRow("treeFocal") << 0 << "Focal Length"
                               << "mm" << 75 << "Displays the focal length statistics sorted by mm";
    QTest::newRow("treeFocalSorted")
        << 0 << "Focal Length"
        << "mm" << 75 << "Displays the focal length statistics sorted by %";
    QTest::newRow("treeFocal35")
        << 1 << "Focal Length (35mm)"
        << "mm" << 75 << "Displays the 35 mm equivalent focal length statistics sorted by mm";
    QTest::newRow("treeFocal35Sorted")
        << 1 << "Focal Length (35mm)"
        << "mm" << 75 << "Displays the 35mm equivalent focal length statistics sorted by %";
    QTest::newRow("treeAperture") << 2 << "Aperture"
                                  << "f/" << 75
                                  << "Displays the aperture statistics sorted by aperture";
    QTest::newRow("treeApertureSorted")
        << 2 << "Aperture"
        << "f/" << 75 << "Displays the aperture statistics sorted by %";
    QTest::newRow("treeISO") << 3 << "ISO"
                             << "ISO" << 75 << "Displays the ISO statistics sorted by ISO";
    QTest::newRow("treeISOSorted") << 3 << "ISO"
                                   << "ISO" << 75 << "Displays the ISO statistics sorted by %";
    QTest::newRow("treeExposure")
        << 4 << "Exposure Time"
        << "Seconds" << 75 << "Displays the exposure time statistics sorted by exposure time";
    QTest::newRow("treeExposureSorted")
        << 4 << "Exposure Time"
        << "Seconds" << 75 << "Displays the exposure time statistics sorted by %";
    QTest::newRow("treeCamera") << 5 << "Camera"
                                << "Make & Model" << 100
                                << "Displays the camera statistics sorted by make & model";
    QTest::newRow("treeCameraSorted")
        << 5 << "Camera"
        << "Make & Model" << 100 << "Displays the camera statistics sorted by %";
    QTest::newRow("treeLens") << 6 << "Lens"
                              << "Lens" << 100 << "Displays the lens statistics sorted by lens";
    QTest::newRow("treeLensSorted") << 6 << "Lens"
                                    << "Lens" << 100 << "Displays the lens statistics sorted by %";
    QTest::newRow("treeYear") << 7 << "Year"
                              << "Year" << 75 << "Displays the year statistics sorted by year";
    QTest::newRow("treeYearSorted") << 7 << "Year"
                                    << "Year" << 75 << "Displays the year statistics sorted by %";
}

void TestMainWindowForm::trees()
{
    QFETCH(int, tab);
    QFETCH(QString, tabTitle);
    QFETCH(QString, valueHeading);
    QFETCH(int, sectionSize);
    QFETCH(QString, whatsThis);
    auto* tree = child<QTreeWidget>(QTest::currentDataTag());
    auto* tabs = child<QTabWidget>("tabWidget");

    QCOMPARE(tabs->indexOf(tree->parentWidget()), tab);
    QCOMPARE(tabs->tabText(tab), tabTitle);
    QCOMPARE(tree->columnCount(), 3);
    const QTreeWidgetItem* header = tree->headerItem();
    QCOMPARE(header->text(0), valueHeading);
    QCOMPARE(header->text(1), QStringLiteral("Pictures"));
    QCOMPARE(header->text(2), QStringLiteral("%"));
    QCOMPARE(header->textAlignment(0), 0);
    QCOMPARE(header->textAlignment(1), int(Qt::AlignCenter));
    QCOMPARE(header->textAlignment(2), int(Qt::AlignCenter));
    QCOMPARE(tree->header()->defaultSectionSize(), sectionSize);
    QVERIFY(!tree->rootIsDecorated());
    QVERIFY(!tree->isSortingEnabled());
    QCOMPARE(tree->topLevelItemCount(), 0);
    QCOMPARE(tree->whatsThis(), whatsThis);
    // Only the share column draws bars.
    QVERIFY(qobject_cast<ShareBarDelegate*>(tree->itemDelegateForColumn(2)));
    QVERIFY(!tree->itemDelegateForColumn(0) && !tree->itemDelegateForColumn(1));

    // The chart, then the tree by value, then the tree by share.
    auto* row = qobject_cast<QHBoxLayout*>(tree->parentWidget()->layout()->itemAt(0)->layout());
    QVERIFY(row);
    const bool sorted = tree->objectName().endsWith(QLatin1String("Sorted"));
    QCOMPARE(row->indexOf(tree), sorted ? 2 : 1);
    QVERIFY(qobject_cast<TableChart*>(row->itemAt(0)->widget()));
}

void TestMainWindowForm::initialState()
{
    QCOMPARE(window->objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Lenstally v1.2"));
    QCOMPARE(window->size(), QSize(746, 476));
    // It can shrink to 640 x 400, a 1280 x 800 screen at scale 2.
    QVERIFY2(window->minimumSizeHint().width() <= 640 && window->minimumSizeHint().height() <= 400,
             qPrintable(QStringLiteral("%1 x %2")
                            .arg(window->minimumSizeHint().width())
                            .arg(window->minimumSizeHint().height())));
    QVERIFY(!child<QCheckBox>("chkJPEG")->isChecked());
    QVERIFY(!child<QCheckBox>("chkTIFF")->isChecked());
    QVERIFY(child<QCheckBox>("chkRAW")->isChecked());
    QVERIFY(!child<QCheckBox>("chkHEIF")->isChecked());
    QVERIFY(!child<QCheckBox>("chkExceptMake")->isChecked());
    QVERIFY(!child<QCheckBox>("chkExceptModel")->isChecked());
    QVERIFY(!child<QGroupBox>("groupBox")->isFlat());
    QVERIFY(!child<QGroupBox>("groupBox")->isCheckable());

    auto* bar = child<QProgressBar>("progressBar");
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 10000);
    QCOMPARE(bar->value(), 0);
    bar->setValue(5000);
    QCOMPARE(bar->text(), QStringLiteral("50%"));

    QCOMPARE(child<QTabWidget>("tabWidget")->count(), 9); // the tables, then Insights
    QCOMPARE(child<QTabWidget>("tabWidget")->currentIndex(), 0);
    for (const char* name : {"txtFolderName", "btnBrowse", "chkJPEG", "chkTIFF", "chkRAW",
                             "chkHEIF", "txtMake", "txtModel", "chkExceptMake", "chkExceptModel",
                             "btnStart", "btnExport", "btnClose", "btnAbout", "tabWidget"})
        QVERIFY2(child<QWidget>(name)->isEnabled(), name);
    QVERIFY(window->menuWidget() == nullptr);
    QVERIFY(window->findChild<QStatusBar*>() == nullptr);
    QVERIFY(window->findChild<QToolBar*>() == nullptr);
}

void TestMainWindowForm::layouts()
{
    for (QLayout* layout : formObjects<QLayout>(QString())) {
        if (layout->objectName().isEmpty())
            continue; // the main window's own layout
        QCOMPARE(layout->spacing(), 6);
        const int margin =
            layout->parentWidget() && layout->parentWidget()->layout() == layout ? 11 : 0;
        QCOMPARE(layout->contentsMargins(), QMargins(margin, margin, margin, margin));
    }
    auto* grid = child<QGridLayout>("gridLayout");
    int row, column, rowSpan, columnSpan;
    grid->getItemPosition(grid->indexOf(child<QLabel>("label_5")), &row, &column, &rowSpan,
                          &columnSpan);
    QCOMPARE(QList<int>({row, column, rowSpan, columnSpan}), QList<int>({1, 0, 1, 2}));
    for (int i = 0; i < grid->count(); ++i) {
        if (grid->itemAt(i)->layout() == child<QHBoxLayout>("horizontalLayout")) {
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            QCOMPARE(QList<int>({row, column, rowSpan, columnSpan}), QList<int>({0, 1, 1, 3}));
        }
        if (QSpacerItem* spacer = grid->itemAt(i)->spacerItem()) {
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            QCOMPARE(QList<int>({row, column}), QList<int>({1, 3}));
            QCOMPARE(spacer->sizeHint(), QSize(40, 20));
            QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
        }
    }
    auto* buttons = child<QHBoxLayout>("horizontalLayout_7");
    QCOMPARE(buttons->count(), 3);
    QCOMPARE(buttons->indexOf(child<QPushButton>("btnAbout")), 2);
}

void TestMainWindowForm::windowProperties()
{
    QVERIFY(window->windowFlags() & Qt::WindowContextHelpButtonHint);
    // Without a "?" in the title bar, Shift+F1 reaches What's This.
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_F1, Qt::ShiftModifier);
    QVERIFY(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();
    QVERIFY(!window->windowIcon().isNull());
    for (const char* name : {"btnExport", "btnClose", "btnAbout"}) {
        auto* button = child<QPushButton>(name);
        QCOMPARE(button->iconSize(), QSize(16, 16));
        QVERIFY2(!button->icon().isNull(), name);
    }
    QVERIFY(!child<QPushButton>("btnBrowse")->icon().isNull());
    QVERIFY(!child<QPushButton>("btnStart")->icon().isNull());
}

void TestMainWindowForm::aboutShowsOneDialog()
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* about = child<QPushButton>("btnAbout");
    about->click();
    const QList<QDialog*> dialogs = window->findChildren<QDialog*>();
    QCOMPARE(dialogs.size(), 1);
    QDialog* dialog = dialogs[0];
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY(dialog->isModal());
    about->click(); // a second press while shown leaves one dialog
    QCOMPARE(window->findChildren<QDialog*>().size(), 1);
    dialog->findChild<QPushButton*>(QStringLiteral("pushButton"))->click();
    QVERIFY(!dialog->isVisible());
    about->click();
    QCOMPARE(window->findChildren<QDialog*>(), dialogs);
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(dialog->size(), QSize(184, 241));
}

void TestMainWindowForm::languageChangeResetsTexts()
{
    auto* folder = child<QLineEdit>("txtFolderName");
    auto* make = child<QLineEdit>("txtMake");
    auto* counter = child<QLabel>("lblPicturesFound");
    folder->setText(QStringLiteral("/some/folder"));
    make->setText(QStringLiteral("Canon"));
    counter->setText(QStringLiteral("12"));
    child<QCheckBox>("chkJPEG")->setChecked(true);
    child<QCheckBox>("chkRAW")->setChecked(false);
    child<QTabWidget>("tabWidget")->setCurrentIndex(3);
    child<QLabel>("label")->setText(QStringLiteral("changed"));

    QEvent change(QEvent::LanguageChange);
    QApplication::sendEvent(window, &change);

    QCOMPARE(folder->text(), QString());
    QCOMPARE(counter->text(), QStringLiteral("0"));
    QCOMPARE(child<QLabel>("label")->text(), QStringLiteral("Folder:"));
    QCOMPARE(make->text(), QStringLiteral("Canon"));
    QVERIFY(child<QCheckBox>("chkJPEG")->isChecked());
    QVERIFY(!child<QCheckBox>("chkRAW")->isChecked());
    QCOMPARE(child<QTabWidget>("tabWidget")->currentIndex(), 3);
}

QTEST_MAIN(TestMainWindowForm)
#include "tst_mainwindowform.moc"

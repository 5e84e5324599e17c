// SPDX-License-Identifier: GPL-3.0-or-later
// Analyses run from the real window over folders of generated pictures: the refusals,
// the folder walk, the filters, the sixteen result trees, Browse, and closing the
// window or pressing Close while the session reads.

#include "core/cache/readingcache.h"
#include "ui/mainwindow.h"
#include "ui/tablechart.h"

#include "modalwidgets.h"
#include "testpictures.h"
#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <functional>

#include <unistd.h>

using namespace testpictures;

namespace {

const char closeChildVariable[] = "LENSTALLY_CLOSE_CHILD";
// Enough pictures that the session is still reading when the test closes the window: some
// seconds' work even for two fast threads, far more than one 100 ms tick.
const int manyPictures = 100000;

template <typename T> T* child(QWidget* window, const char* name)
{
    T* object = window->findChild<T*>(QLatin1String(name));
    if (!object)
        qFatal("no %s", name);
    return object;
}

bool writeTyped(const QString& path, const QString& make, const QString& model,
                const QString& focal, bool with35mm = true)
{
    QList<Tag> tags = typicalTags(make, model);
    tags = withTag(tags, QStringLiteral("Exif.Photo.FocalLength"),
                   Tag::textTag(QStringLiteral("Exif.Photo.FocalLength"), focal));
    if (!with35mm)
        tags = withoutTag(tags, QStringLiteral("Exif.Photo.FocalLengthIn35mmFilm"));
    const bool tiff = path.endsWith(QLatin1String(".tif")) || path.endsWith(QLatin1String(".nef"));
    return QDir().mkpath(QFileInfo(path).absolutePath()) &&
           writePicture(path, tiff ? Format::Tiff : Format::Jpeg, tags);
}

// A folder of count copies of one small picture, for long analyses.
// A few pictures under many names each (hard links: quick to make, each read as its own
// file; a new picture every 10,000 names keeps below any file system's link limit).
bool writeManyPictures(const QString& folder, int count)
{
    if (QFileInfo::exists(QStringLiteral("%1/p0.jpg").arg(folder)))
        return true; // made by an earlier test
    QByteArray target;
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("%1/p%2.jpg").arg(folder).arg(i);
        if (i % 10000 == 0) {
            if (!writePicture(path, Format::Jpeg, typicalTags()))
                return false;
            target = QFile::encodeName(path);
        } else if (::link(target.constData(), QFile::encodeName(path).constData()) != 0) {
            return false;
        }
    }
    return true;
}

QStringList treeRows(QTreeWidget* tree)
{
    QStringList rows;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = tree->topLevelItem(i);
        rows << item->text(0) + QLatin1Char('|') + item->text(1) + QLatin1Char('|') + item->text(2);
    }
    return rows;
}

int treeTotal(QTreeWidget* tree)
{
    int total = 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        total += QLocale().toInt(tree->topLevelItem(i)->text(1));
    return total;
}

// The window with a chosen number of reading threads.
class JobsWindow : public MainWindow
{
public:
    explicit JobsWindow(int jobs) : jobs(jobs) {}

protected:
    int readingJobs() const override { return jobs; }

private:
    int jobs;
};

// Every row of every result tree, tree by tree in name order.
QStringList allTreeRows(QWidget* window)
{
    QList<QTreeWidget*> trees = window->findChildren<QTreeWidget*>();
    std::sort(trees.begin(), trees.end(), [](const QTreeWidget* a, const QTreeWidget* b) {
        return a->objectName() < b->objectName();
    });
    QStringList rows;
    for (QTreeWidget* tree : trees)
        rows << tree->objectName() << treeRows(tree);
    return rows;
}

// The child process of closeButtonDuringAnalysis: starts a long analysis, presses Close.
int runCloseChild(const QString& folder)
{
    MainWindow window;
    window.show();
    child<QLineEdit>(&window, "txtFolderName")->setText(folder);
    child<QCheckBox>(&window, "chkJPEG")->setChecked(true);
    child<QPushButton>(&window, "btnStart")->click();
    auto* label = child<QLabel>(&window, "lblPicturesFound");
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        if (label->text() != QLatin1String("0"))
            child<QPushButton>(&window, "btnClose")->click(); // does not return
    });
    poll.start(10);
    QApplication::exec();
    return 3; // Close did not end the process
}

} // namespace

class TestWindowAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void refusals_data();
    void refusals();
    void collectsAndShowsResults();
    void unknown35mm();
    void insightsAndChartsFill();
    void heifBoxTakesPhonePictures();
    void countingOptionsReachTheAnalysis();
    void enterInFolderFieldStarts();
    void rowListsItsPictures();
    void secondRunReplacesTheFirst();
    void fileListFiltersByOutcome();
    void stopShowsWhatWasCounted();
    void stopDuringTheWalk();
    void longNameLeavesCountsInSight();
    void damagedCacheWarnsWithoutWideningTheWindow();
    void dropNamesTheFolder_data();
    void dropNamesTheFolder();
    void filters_data();
    void filters();
    void utf8MakeReadAsWritten();
    void browse_data();
    void browse();
    void closeWindowDuringAnalysis();
    void closeButtonDuringAnalysis();
    void treesIdenticalForAnyThreadCount_data();
    void treesIdenticalForAnyThreadCount();

private:
    template <typename T> T* widget(const char* name) { return child<T>(window, name); }
    void start(const QString& folder);
    void writeMixedTree();

    QTemporaryDir dir;
    MainWindow* window = nullptr;
};

void TestWindowAnalysis::init()
{
    window = new MainWindow;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void TestWindowAnalysis::cleanup()
{
    delete window;
    window = nullptr;
}

void TestWindowAnalysis::start(const QString& folder)
{
    widget<QLineEdit>("txtFolderName")->setText(folder);
    widget<QPushButton>("btnStart")->click();
    QCOMPARE(widget<QPushButton>("btnStart")->text(), QStringLiteral("&Stop"));
    QVERIFY(!widget<QPushButton>("btnExport")->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(widget<QPushButton>("btnStart")->text(), QStringLiteral("&Start"),
                              30000);
}

// Six pictures are taken: two Nikon at 24 mm, three Canon at 50 mm (one hidden, one
// upper-case), one Canon at 200 mm without a 35 mm value, deep below. Four files are not.
void TestWindowAnalysis::writeMixedTree()
{
    const QString root = dir.filePath(QStringLiteral("mixed"));
    const QString canon = QStringLiteral("Canon"), eos = QStringLiteral("Canon EOS 7D");
    const QString nikon = QStringLiteral("NIKON CORPORATION"), d90 = QStringLiteral("NIKON D90");
    QVERIFY(writeTyped(root + "/a.jpg", canon, eos, "50/1"));
    QVERIFY(writeTyped(root + "/B.JPG", canon, eos, "50/1"));
    QVERIFY(writeTyped(root + "/.hidden.jpg", canon, eos, "50/1"));
    QVERIFY(writeTyped(root + "/c.tif", nikon, d90, "24/1"));
    QVERIFY(writeTyped(root + "/raw/d.NEF", nikon, d90, "24/1"));
    QVERIFY(writeTyped(root + "/sub/deeper/f.JPEG", canon, eos, "200/1", false));
    QVERIFY(writeTyped(root + "/.hiddendir/e.jpg", canon, eos, "85/1"));
    QVERIFY(writeTyped(root + "/photo.jpg.bak", canon, eos, "85/1"));
    QVERIFY(writeTyped(root + "/README", canon, eos, "85/1"));
    QVERIFY(writeBytes(root + "/notes.txt", "not a picture"));
}

void TestWindowAnalysis::refusals_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("anyFormat");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty") << "" << true << "No folder was specified";
    QTest::newRow("only spaces") << "   " << true << "No folder was specified";
    QTest::newRow("missing folder") << "/no/such/folder" << true << "Invalid Folder";
    QTest::newRow("only other files") << "other" << true << "No files were found";
    QTest::newRow("no format ticked") << "mixed" << false << "No files were found";
}

void TestWindowAnalysis::refusals()
{
    QFETCH(QString, folder);
    QFETCH(bool, anyFormat);
    QFETCH(QString, message);
    writeMixedTree();
    QVERIFY(QDir().mkpath(dir.filePath("other")));
    QVERIFY(writeBytes(dir.filePath("other/notes.txt"), "text"));
    if (folder == QLatin1String("other") || folder == QLatin1String("mixed"))
        folder = dir.filePath(folder);
    widget<QCheckBox>("chkRAW")->setChecked(anyFormat);
    widget<QLineEdit>("txtFolderName")->setText(folder);

    QString title, text;
    onModal(this, [&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    });
    widget<QPushButton>("btnStart")->click();
    // The folder is walked by the session: its refusal comes when the walk ends.
    QTRY_COMPARE(text, message);
    QCOMPARE(title, QStringLiteral("Lenstally v1.2"));
    QCOMPARE(widget<QPushButton>("btnStart")->text(), QStringLiteral("&Start"));
    QVERIFY(widget<QPushButton>("btnExport")->isEnabled());
    QCOMPARE(widget<QLineEdit>("txtFolderName")->text(), folder);
}

void TestWindowAnalysis::collectsAndShowsResults()
{
    writeMixedTree();
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    widget<QCheckBox>("chkTIFF")->setChecked(true);
    start(dir.filePath(QStringLiteral("mixed")));

    QCOMPARE(widget<QLabel>("lblPicturesFound")->text(), QStringLiteral("6"));
    QCOMPARE(widget<QProgressBar>("progressBar")->value(), 10000);
    // The test pictures carry no lens and no date.
    QCOMPARE(treeRows(widget<QTreeWidget>("treeLensSorted")), QStringList{"Unknown|6|100.00"});
    QCOMPARE(treeRows(widget<QTreeWidget>("treeYear")), QStringList{"Unknown|6|100.00"});
    QVERIFY(widget<QPushButton>("btnExport")->isEnabled());

    const QStringList focalByValue = {"24|2|33.33", "50|3|50.00", "200|1|16.67"};
    const QStringList focalByCount = {"50|3|50.00", "24|2|33.33", "200|1|16.67"};
    QCOMPARE(treeRows(widget<QTreeWidget>("treeFocal")), focalByValue);
    QCOMPARE(treeRows(widget<QTreeWidget>("treeFocalSorted")), focalByCount);
    QCOMPARE(treeRows(widget<QTreeWidget>("treeAperture")), QStringList({"2.8|6|100.00"}));
    QCOMPARE(treeRows(widget<QTreeWidget>("treeISO")), QStringList({"200|6|100.00"}));
    QCOMPARE(treeRows(widget<QTreeWidget>("treeExposure")), QStringList({"1/125|6|100.00"}));
    QCOMPARE(
        treeRows(widget<QTreeWidget>("treeCameraSorted")),
        QStringList({"Canon - Canon EOS 7D|4|66.67", "NIKON CORPORATION - NIKON D90|2|33.33"}));
    // The 35 mm value that is neither tagged nor estimated reads "Unknown", only there.
    const QStringList focal35 = treeRows(widget<QTreeWidget>("treeFocal35"));
    QCOMPARE(treeTotal(widget<QTreeWidget>("treeFocal35")), 6);
    QVERIFY2(focal35.contains(QStringLiteral("75|5|83.33")), qPrintable(focal35.join(',')));
    for (const char* name : {"treeFocal35", "treeFocal35Sorted"}) {
        const QStringList rows = treeRows(widget<QTreeWidget>(name));
        QVERIFY2(rows.filter(QRegularExpression("^0\\|")).isEmpty(), qPrintable(rows.join(',')));
    }

    for (QTreeWidget* tree : window->findChildren<QTreeWidget*>()) {
        QVERIFY2(tree->topLevelItemCount() > 0, qPrintable(tree->objectName()));
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = tree->topLevelItem(i);
            QCOMPARE(item->childCount(), 0);
            QVERIFY(item->font(0).bold());
            QVERIFY(!item->data(1, Qt::FontRole).isValid());
            QCOMPARE(item->data(0, Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft));
            QCOMPARE(item->data(1, Qt::TextAlignmentRole).toInt(),
                     int(Qt::AlignRight | Qt::AlignVCenter));
            QCOMPARE(item->data(2, Qt::TextAlignmentRole).toInt(),
                     int(Qt::AlignRight | Qt::AlignVCenter));
            QCOMPARE(item->data(1, Qt::DisplayRole).userType(), QMetaType::QString);
        }
        // Counts and shares stay in sight at the default size; a long name is shortened in
        // the middle, whole in its tool tip.
        if (tree->isVisible()) {
            QVERIFY2(tree->columnWidth(0) + tree->columnWidth(1) + tree->columnWidth(2) <=
                         tree->viewport()->width(),
                     qPrintable(tree->objectName()));
        }
        QCOMPARE(tree->textElideMode(), Qt::ElideMiddle);
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            QCOMPARE(tree->topLevelItem(i)->toolTip(0), tree->topLevelItem(i)->text(0));
    }

    // A second analysis replaces the results.
    widget<QCheckBox>("chkTIFF")->setChecked(false);
    widget<QCheckBox>("chkRAW")->setChecked(false);
    start(dir.filePath(QStringLiteral("mixed")));
    QCOMPARE(widget<QLabel>("lblPicturesFound")->text(), QStringLiteral("4"));
    QCOMPARE(treeRows(widget<QTreeWidget>("treeFocal")),
             QStringList({"50|3|75.00", "200|1|25.00"}));
}

void TestWindowAnalysis::insightsAndChartsFill()
{
    const QString folder = dir.filePath(QStringLiteral("lenses"));
    QVERIFY(writeInsightPictures(folder));
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    start(folder);
    auto* tabs = widget<QTabWidget>("tabWidget");
    QCOMPARE(tabs->tabText(tabs->count() - 1), QStringLiteral("Insights"));
    // Worked out by hand (see the report's test of --insights).
    QCOMPARE(widget<QLabel>("lblCoverage")->text(),
             QStringLiteral("50 % of pictures: 50-52 mm (35 mm equivalent)\n"
                            "80 % of pictures: 50-105 mm (35 mm equivalent)\n"
                            "95 % of pictures: 24-105 mm (35 mm equivalent)"));
    auto* view = widget<QTableView>("tableLensUsage");
    const auto rows = [view] {
        QStringList lines;
        for (int r = 0; r < view->model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < view->model()->columnCount(); ++c)
                cells << view->model()->index(r, c).data().toString();
            lines << cells.join(QLatin1Char('|'));
        }
        return lines;
    };
    const QString zoom =
        "Zoom 24-105|4|66.67|24-105 mm|25.00|25.00|50 mm (50 mm in 35 mm)|f/4|50.00";
    const QString prime = "Prime 35|2|33.33|35 mm||||f/1.8|50.00";
    QCOMPARE(rows(), QStringList({zoom, prime}));
    QCOMPARE(view->model()->index(0, 0).data(Qt::ToolTipRole).toString(), "Zoom 24-105");
    // Sorting by Widest puts f/1.8 first; empty cells sort as the smallest.
    view->sortByColumn(7, Qt::AscendingOrder);
    QCOMPARE(rows(), QStringList({prime, zoom}));
    view->sortByColumn(4, Qt::DescendingOrder);
    QCOMPARE(rows(), QStringList({zoom, prime}));
    // Every table's chart has a bar per row.
    const std::pair<const char*, StatKind> trees[] = {
        {"treeFocal", FocalLength},
        {"treeFocal35", FocalLength35mm},
        {"treeAperture", Aperture},
        {"treeISO", Iso},
        {"treeExposure", ExposureTime},
        {"treeCamera", Camera},
        {"treeLens", Lens},
        {"treeYear", Year},
    };
    for (const auto& [name, kind] : trees) {
        auto* chart = widget<TableChart>(qPrintable(QStringLiteral("chart%1").arg(int(kind))));
        QCOMPARE(chart->barCount(), widget<QTreeWidget>(name)->topLevelItemCount());
        QVERIFY(chart->barCount() > 0);
    }
}

void TestWindowAnalysis::heifBoxTakesPhonePictures()
{
    const QString folder = dir.filePath(QStringLiteral("phone"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writePicture(folder + "/IMG_1.HEIC", Format::Heif, typicalTags("Apple", "iPhone 12")));
    QVERIFY(writePicture(folder + "/IMG_2.cr3", Format::Cr3, typicalTags("Canon", "Canon EOS R")));
    widget<QCheckBox>("chkRAW")->setChecked(false);
    widget<QCheckBox>("chkHEIF")->setChecked(true);
    start(folder);
    QCOMPARE(treeRows(widget<QTreeWidget>("treeCamera")),
             QStringList({"Apple - iPhone 12|1|100.00"}));
    widget<QCheckBox>("chkRAW")->setChecked(true);
    start(folder);
    QCOMPARE(widget<QLabel>("lblPicturesFound")->text(), QStringLiteral("2"));
}

void TestWindowAnalysis::countingOptionsReachTheAnalysis()
{
    const QString folder = dir.filePath(QStringLiteral("pairs"));
    QVERIFY(QDir().mkpath(folder));
    QList<Tag> dated = typicalTags("Canon", "Canon EOS R");
    dated << Tag::textTag("Exif.Photo.DateTimeOriginal", "2024:05:01 12:00:00");
    QVERIFY(writePicture(folder + "/IMG_1.CR2", Format::Tiff, dated));
    QVERIFY(writePicture(folder + "/IMG_1.JPG", Format::Jpeg, dated));
    QVERIFY(writePicture(folder + "/IMG_2.JPG", Format::Jpeg, typicalTags()));
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    auto* from = widget<QDateEdit>("dateTakenFrom");
    QVERIFY(!from->isEnabled());
    widget<QCheckBox>("chkTakenFrom")->setChecked(true);
    QVERIFY(from->isEnabled());
    from->setDate(QDate(2024, 5, 1));
    widget<QCheckBox>("chkPairsOnce")->setChecked(true);
    start(folder);
    QCOMPARE(widget<QLabel>("lblOutcome")->text(),
             QStringLiteral("3 files: 1 counted, 0 filtered out, 0 without usable data, "
                            "0 unreadable, 1 pair duplicates, 1 outside the dates"));
    QCOMPARE(treeRows(widget<QTreeWidget>("treeCamera")),
             QStringList({"Canon - Canon EOS R|1|100.00"}));
    // An option that is on is said even when it left nothing out, as the report says it.
    widget<QCheckBox>("chkTakenFrom")->setChecked(false);
    QVERIFY(QFile::remove(folder + "/IMG_1.CR2"));
    start(folder);
    QCOMPARE(widget<QLabel>("lblOutcome")->text(),
             QStringLiteral("2 files: 2 counted, 0 filtered out, 0 without usable data, "
                            "0 unreadable, 0 pair duplicates"));
}

void TestWindowAnalysis::enterInFolderFieldStarts()
{
    writeMixedTree();
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    auto* field = widget<QLineEdit>("txtFolderName");
    field->setText(dir.filePath(QStringLiteral("mixed")));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(widget<QPushButton>("btnStart")->text(), QStringLiteral("&Stop"));
    QTRY_COMPARE_WITH_TIMEOUT(widget<QPushButton>("btnStart")->text(), QStringLiteral("&Start"),
                              30000);
    QVERIFY(widget<QTreeWidget>("treeFocal")->topLevelItemCount() > 0);
}

void TestWindowAnalysis::dropNamesTheFolder_data()
{
    QTest::addColumn<QString>("dropped");
    QTest::addColumn<QString>("folder");
    QTest::newRow("folder") << "drop/sub"
                            << "drop/sub";
    QTest::newRow("file") << "drop/sub/a.jpg"
                          << "drop/sub";
    QTest::newRow("missing file") << "drop/none.jpg"
                                  << "";
}

void TestWindowAnalysis::dropNamesTheFolder()
{
    QFETCH(QString, dropped);
    QFETCH(QString, folder);
    QVERIFY(QDir().mkpath(dir.filePath("drop/sub")));
    QVERIFY(writeBytes(dir.filePath("drop/sub/a.jpg"), "x"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(dir.filePath(dropped))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Straight to the window: outside a real drag, the application drops drop events.
    static_cast<QObject*>(window)->event(&drop);
    QCOMPARE(widget<QLineEdit>("txtFolderName")->text(),
             folder.isEmpty() ? QString() : QDir::toNativeSeparators(dir.filePath(folder)));
    QCOMPARE(drop.isAccepted(), !folder.isEmpty());
}

void TestWindowAnalysis::longNameLeavesCountsInSight()
{
    const QString folder = dir.filePath(QStringLiteral("long"));
    const QString model = QStringLiteral("Model ") + QStringLiteral("X").repeated(150);
    QVERIFY(writeTyped(folder + "/a.jpg", "Acme", model, "35/1"));
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    start(folder);
    widget<QTabWidget>("tabWidget")->setCurrentIndex(5);
    for (const char* name : {"treeCamera", "treeCameraSorted"}) {
        auto* tree = widget<QTreeWidget>(name);
        QVERIFY(tree->isVisible());
        QVERIFY2(tree->columnWidth(0) + tree->columnWidth(1) + tree->columnWidth(2) <=
                     tree->viewport()->width(),
                 name);
        QCOMPARE(tree->topLevelItem(0)->toolTip(0), QStringLiteral("Acme - ") + model);
        // The share column leaves its bar room to be seen.
        QVERIFY(tree->columnWidth(2) >= 2 * tree->fontMetrics().horizontalAdvance("100.00"));
    }
}

void TestWindowAnalysis::damagedCacheWarnsWithoutWideningTheWindow()
{
    // The tests' own cache folder (XDG_CACHE_HOME), damaged: its long path once made the
    // outcome line push the window beyond the screen.
    const QString cache = ReadingCache::defaultPath();
    QVERIFY(QDir().mkpath(QFileInfo(cache).absolutePath()));
    QVERIFY(writeBytes(cache, QByteArray(8192, 'x')));
    const QString folder = dir.filePath(QStringLiteral("warned"));
    QVERIFY(writeTyped(folder + "/a.jpg", "Acme", "Z1", "35/1"));
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    const int width = window->width();
    start(folder);
    auto* outcome = widget<QLabel>("lblOutcome");
    QVERIFY2(outcome->text().startsWith("1 files: 1 counted, ") &&
                 outcome->text().contains("is damaged; it was set aside as "),
             qPrintable(outcome->text()));
    QVERIFY(outcome->toolTip().contains(cache));
    QApplication::processEvents();
    QCOMPARE(window->width(), width);
}

void TestWindowAnalysis::unknown35mm()
{
    // No 35 mm tag and a camera whose crop factor cannot be estimated: the table keeps
    // "0", the window shows "Unknown" in the two 35 mm trees only.
    const QString folder = dir.filePath(QStringLiteral("unknown"));
    QVERIFY(writeTyped(folder + "/a.jpg", "Acme", "Mystery X1", "0/1", false));
    QVERIFY(writeTyped(folder + "/b.jpg", "Acme", "Mystery X1", "35/1", false));
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    start(folder);
    QCOMPARE(widget<QLabel>("lblPicturesFound")->text(), QStringLiteral("2"));
    QCOMPARE(treeRows(widget<QTreeWidget>("treeFocal35")), QStringList({"Unknown|1|100.00"}));
    QCOMPARE(treeRows(widget<QTreeWidget>("treeFocal35Sorted")), QStringList({"Unknown|1|100.00"}));
    QCOMPARE(treeRows(widget<QTreeWidget>("treeFocal")), QStringList({"35|1|100.00"}));
}

void TestWindowAnalysis::filters_data()
{
    QTest::addColumn<QString>("make");
    QTest::addColumn<bool>("exceptMake");
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("exceptModel");
    QTest::addColumn<QStringList>("cameras");

    const QString canon = QStringLiteral("Canon - Canon EOS 7D|4|66.67");
    const QString nikon = QStringLiteral("NIKON CORPORATION - NIKON D90|2|33.33");
    const QString canonOnly = QStringLiteral("Canon - Canon EOS 7D|4|100.00");
    const QString nikonOnly = QStringLiteral("NIKON CORPORATION - NIKON D90|2|100.00");
    QTest::newRow("no filter") << "" << false << "" << false << QStringList{canon, nikon};
    QTest::newRow("make") << "nikon" << false << "" << false << QStringList{nikonOnly};
    QTest::newRow("make except") << "Canon" << true << "" << false << QStringList{nikonOnly};
    QTest::newRow("model") << "" << false << "EOS 7D" << false << QStringList{canonOnly};
    QTest::newRow("model except") << "" << false << "d90" << true << QStringList{canonOnly};
    QTest::newRow("both makes") << " Canon ;Nikon,, " << false << "" << false
                                << QStringList{canon, nikon};
    QTest::newRow("make and model") << "canon" << false << "D90" << false << QStringList{};
    QTest::newRow("separators only, except")
        << ",; ," << true << "" << true << QStringList{canon, nikon};
}

void TestWindowAnalysis::filters()
{
    QFETCH(QString, make);
    QFETCH(bool, exceptMake);
    QFETCH(QString, model);
    QFETCH(bool, exceptModel);
    QFETCH(QStringList, cameras);
    writeMixedTree();
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    widget<QCheckBox>("chkTIFF")->setChecked(true);
    widget<QLineEdit>("txtMake")->setText(make);
    widget<QCheckBox>("chkExceptMake")->setChecked(exceptMake);
    widget<QLineEdit>("txtModel")->setText(model);
    widget<QCheckBox>("chkExceptModel")->setChecked(exceptModel);
    start(dir.filePath(QStringLiteral("mixed")));

    QCOMPARE(widget<QLabel>("lblPicturesFound")->text(), QStringLiteral("6"));
    QCOMPARE(treeRows(widget<QTreeWidget>("treeCameraSorted")), cameras);
    int counted = 0;
    for (const QString& row : cameras)
        counted += QLocale().toInt(row.section('|', 1, 1));
    QCOMPARE(widget<QLabel>("lblOutcome")->text(),
             QStringLiteral("6 files: %1 counted, %2 filtered out, 0 without usable data, "
                            "0 unreadable")
                 .arg(counted)
                 .arg(6 - counted));
}

void TestWindowAnalysis::utf8MakeReadAsWritten()
{
    // Exif stores bytes; a make written as UTF-8 must not come out as "Ã...".
    const QString make = QString::fromUtf8("Ricoh \xc3\x89lite");
    QVERIFY(writeTyped(dir.filePath("utf8/a.jpg"), make, "GR", "18/1"));
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    start(dir.filePath(QStringLiteral("utf8")));
    QCOMPARE(treeRows(widget<QTreeWidget>("treeCamera")), QStringList{make + " - GR|1|100.00"});
}

void TestWindowAnalysis::browse_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("chosen") << true;
    QTest::newRow("cancelled") << false;
}

void TestWindowAnalysis::browse()
{
    QFETCH(bool, accept);
    const QString chosen = dir.filePath(QStringLiteral("chosen"));
    QVERIFY(QDir().mkpath(chosen));
    auto* field = widget<QLineEdit>("txtFolderName");
    field->setText(QStringLiteral("typed by hand"));

    QString caption;
    onModal(this, [&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        caption = dialog->windowTitle();
        if (!accept) {
            dialog->reject();
            return;
        }
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(chosen);
        static_cast<QDialog*>(dialog)->accept(); // the widget dialog takes the typed name
    });
    widget<QPushButton>("btnBrowse")->click();
    QCOMPARE(caption, QStringLiteral("Select Folder"));
    QCOMPARE(field->text(), accept ? chosen : QStringLiteral("typed by hand"));
}

void TestWindowAnalysis::closeWindowDuringAnalysis()
{
    const QString folder = dir.filePath(QStringLiteral("many"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeManyPictures(folder, manyPictures));
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    widget<QLineEdit>("txtFolderName")->setText(folder);
    widget<QPushButton>("btnStart")->click();

    // The window keeps ticking while the session reads.
    auto* label = widget<QLabel>("lblPicturesFound");
    QTRY_VERIFY(QLocale().toInt(label->text()) > 0);
    QCOMPARE(widget<QPushButton>("btnStart")->text(), QStringLiteral("&Stop"));
    QVERIFY(widget<QProgressBar>("progressBar")->value() < 10000);

    // Closing by the frame: the destructor stops the session before the tables go.
    window->close();
    QElapsedTimer clock;
    clock.start();
    delete window;
    window = nullptr;
    QVERIFY2(clock.elapsed() < 5000, "the destructor waited for the whole analysis");
}

void TestWindowAnalysis::rowListsItsPictures()
{
    writeMixedTree();
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    widget<QCheckBox>("chkTIFF")->setChecked(true);
    start(dir.filePath(QStringLiteral("mixed")));
    auto* tree = widget<QTreeWidget>("treeFocalSorted");
    QTreeWidgetItem* row = tree->findItems(QStringLiteral("50"), Qt::MatchExactly).value(0);
    QVERIFY(row);
    QStringList listed, copied;
    QString title;
    onModal(this, [&](QWidget* modal) {
        title = modal->windowTitle();
        auto* pictures = modal->findChild<QTreeWidget*>(QStringLiteral("treePictures"));
        QVERIFY(pictures);
        for (int i = 0; i < pictures->topLevelItemCount(); ++i)
            listed << pictures->topLevelItem(i)->text(0);
        pictures->selectAll();
        modal->findChild<QPushButton*>(QStringLiteral("btnCopy"))->click();
        copied = QApplication::clipboard()->text().split('\n');
        qobject_cast<QDialog*>(modal)->reject();
    });
    tree->setCurrentItem(row);
    QTest::keyClick(tree, Qt::Key_Return);
    const QString root = dir.filePath(QStringLiteral("mixed"));
    const QStringList expected{root + "/.hidden.jpg", root + "/B.JPG", root + "/a.jpg"};
    QCOMPARE(listed, expected); // sorted by path
    QCOMPARE(copied, expected);
    QCOMPARE(title, QStringLiteral("Focal Length 50 mm: 3 pictures"));
}

// A new run: nothing of the last one stays in sight while it reads, and afterwards each list,
// a clicked one included, shows the new run on screen as well as in its items.
void TestWindowAnalysis::secondRunReplacesTheFirst()
{
    writeMixedTree();
    QVERIFY(writeTyped(dir.filePath("second/g.jpg"), "Canon", "Canon EOS 7D", "35/1"));
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    widget<QCheckBox>("chkTIFF")->setChecked(true);
    start(dir.filePath(QStringLiteral("mixed")));
    auto* tree = widget<QTreeWidget>("treeFocal");
    QCOMPARE(tree->topLevelItemCount(), 3);
    const QRect clicked = tree->visualItemRect(tree->topLevelItem(1));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, clicked.center());
    QVERIFY(tree->currentItem());

    widget<QLineEdit>("txtFolderName")->setText(dir.filePath(QStringLiteral("second")));
    widget<QPushButton>("btnStart")->click();
    for (QTreeWidget* list : window->findChildren<QTreeWidget*>())
        QVERIFY2(list->topLevelItemCount() == 0, qPrintable(list->objectName()));
    QCOMPARE(widget<QLabel>("lblOutcome")->text(), QStringLiteral("Listing folders..."));
    QVERIFY(!widget<QPushButton>("btnFiles")->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(widget<QPushButton>("btnStart")->text(), QStringLiteral("&Start"),
                              30000);
    QCOMPARE(treeRows(tree), QStringList{"35|1|100.00"});
    // What the screen shows of the list is what the list paints now.
    QTest::qWait(50);
    const QImage shown =
        window->screen()
            ->grabWindow(window->winId())
            .toImage()
            .copy(QRect(tree->viewport()->mapTo(window, QPoint(0, 0)), tree->viewport()->size()))
            .convertToFormat(QImage::Format_RGB32);
    QVERIFY(!shown.isNull());
    QCOMPARE(shown, tree->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32));
}

void TestWindowAnalysis::fileListFiltersByOutcome()
{
    const QString root = dir.filePath(QStringLiteral("listed"));
    QVERIFY(writeTyped(root + "/a.jpg", "Canon", "Canon EOS 7D", "50/1"));
    QVERIFY(writePicture(root + "/dark.jpg", Format::Jpeg,
                         withoutTag(typicalTags(), "Exif.Photo.ExposureTime")));
    QVERIFY(writeBytes(root + "/notes.jpg", "not a picture"));
    QVERIFY(!widget<QPushButton>("btnFiles")->isEnabled());
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    start(root);
    int all = -1, unusable = -1;
    QStringList copied;
    onModal(this, [&](QWidget* modal) {
        auto* table = modal->findChild<QTableView*>(QStringLiteral("tableFiles"));
        auto* filter = modal->findChild<QComboBox*>(QStringLiteral("cmbOutcome"));
        QVERIFY(table && filter);
        all = table->model()->rowCount();
        filter->setCurrentIndex(filter->findText(QStringLiteral("without usable data")));
        unusable = table->model()->rowCount();
        table->selectAll();
        modal->findChild<QPushButton*>(QStringLiteral("btnCopy"))->click();
        copied = QApplication::clipboard()->text().split('\n');
        qobject_cast<QDialog*>(modal)->reject();
    });
    widget<QPushButton>("btnFiles")->click();
    QCOMPARE(all, 3);
    QCOMPARE(unusable, 1);
    QCOMPARE(copied, QStringList{root + "/dark.jpg"});
}

void TestWindowAnalysis::stopShowsWhatWasCounted()
{
    const QString folder = dir.filePath(QStringLiteral("many"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeManyPictures(folder, manyPictures));
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    widget<QLineEdit>("txtFolderName")->setText(folder);
    auto* start = widget<QPushButton>("btnStart");
    start->click();
    QCOMPARE(start->whatsThis(), QStringLiteral("Stops the analysis"));
    QTRY_VERIFY(QLocale().toInt(widget<QLabel>("lblPicturesFound")->text()) > 0);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(start->icon().pixmap(16).toImage(), QIcon(":/images/stop").pixmap(16).toImage());
    start->click();
    QTRY_COMPARE_WITH_TIMEOUT(start->text(), QStringLiteral("&Start"), 2000);
    QCOMPARE(start->icon().pixmap(16).toImage(), QIcon(":/images/play").pixmap(16).toImage());
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(start->whatsThis().startsWith(QStringLiteral("Starts analyzing the pictures. ")));
    QVERIFY(widget<QPushButton>("btnExport")->isEnabled());
    const QString outcome = widget<QLabel>("lblOutcome")->text();
    // Every number in one format, the locale's.
    const QLocale numbers;
    const QString done = outcome.section(' ', 2, 2);
    QVERIFY2(outcome.startsWith("Stopped after " + done + " of " + numbers.toString(manyPictures) +
                                " files; " + done + " files: "),
             qPrintable(outcome));
    QCOMPARE(widget<QLabel>("lblPicturesFound")->text(), done);
    // The rows hold the pictures read so far, with their shares.
    const QStringList rows = treeRows(widget<QTreeWidget>("treeFocal"));
    QCOMPARE(rows.size(), 1);
    QVERIFY2(rows[0].startsWith("50|") && rows[0].endsWith("|100.00"), qPrintable(rows[0]));
    QVERIFY(QLocale().toInt(rows[0].section('|', 1, 1)) < manyPictures);
}

void TestWindowAnalysis::stopDuringTheWalk()
{
    // Stop at once: the walk ends before the first folder, or the reading before the first
    // file, whichever the session had reached.
    const QString folder = dir.filePath(QStringLiteral("many"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeManyPictures(folder, manyPictures));
    widget<QCheckBox>("chkJPEG")->setChecked(true);
    widget<QLineEdit>("txtFolderName")->setText(folder);
    auto* start = widget<QPushButton>("btnStart");
    start->click();
    QCOMPARE(widget<QLabel>("lblOutcome")->text(), QStringLiteral("Listing folders..."));
    start->click();
    QTRY_COMPARE_WITH_TIMEOUT(start->text(), QStringLiteral("&Start"), 2000);
    const QString outcome = widget<QLabel>("lblOutcome")->text();
    QVERIFY2(
        outcome == QLatin1String("Stopped while listing folders") ||
            outcome.startsWith("Stopped after 0 of " + QLocale().toString(manyPictures) + " files"),
        qPrintable(outcome));
    QVERIFY(treeRows(widget<QTreeWidget>("treeFocal")).isEmpty());
}

void TestWindowAnalysis::closeButtonDuringAnalysis()
{
    const QString folder = dir.filePath(QStringLiteral("many"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeManyPictures(folder, manyPictures));

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(closeChildVariable), folder);
    process.setProcessEnvironment(env);
    process.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(process.waitForFinished(60000));
    const QByteArray errors = process.readAllStandardError();
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == 0, errors.constData());
    QVERIFY2(!errors.contains("Sanitizer"), errors.constData());
}

void TestWindowAnalysis::treesIdenticalForAnyThreadCount_data()
{
    QTest::addColumn<int>("jobs");
    for (int jobs : {2, 3, 8})
        QTest::addRow("%d threads", jobs) << jobs;
}

void TestWindowAnalysis::treesIdenticalForAnyThreadCount()
{
    // Enough pictures in several folders for every thread to read batches of them. The
    // exposures alternate between the float just below 1.25 s and 1.25 s, which read "1.2"
    // and "1.3": two rows of 75.
    QFETCH(int, jobs);
    const QString root = dir.filePath(QStringLiteral("threads"));
    const float justBelow = std::nextafter(1.25f, 0.0f);
    const bool written = QFileInfo::exists(root); // by an earlier row
    for (int i = 0; i < 150 && !written; ++i) {
        const float seconds = i % 2 ? 1.25f : justBelow;
        const QString exposure =
            QStringLiteral("%1/1073741824").arg(qint64(std::ldexp(double(seconds), 30)));
        QList<Tag> tags = typicalTags(i % 3 ? "Canon" : "NIKON", QStringLiteral("M%1").arg(i % 4));
        tags = withTag(tags, "Exif.Photo.ExposureTime",
                       Tag::textTag("Exif.Photo.ExposureTime", exposure));
        tags =
            withTag(tags, "Exif.Photo.FocalLength",
                    Tag::textTag("Exif.Photo.FocalLength", QStringLiteral("%1/1").arg(10 + i % 9)));
        // The root's own files come first: the first picture lies there.
        const QString path = i == 0 ? root + QStringLiteral("/p0.jpg")
                                    : QStringLiteral("%1/f%2/p%3.jpg").arg(root).arg(i % 5).arg(i);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QVERIFY(writePicture(path, i % 4 ? Format::Jpeg : Format::Tiff, tags));
    }
    QStringList rows[2];
    for (int pass = 0; pass < 2; ++pass) {
        JobsWindow threads(pass == 0 ? 1 : jobs);
        threads.show();
        child<QLineEdit>(&threads, "txtFolderName")->setText(root);
        child<QCheckBox>(&threads, "chkJPEG")->setChecked(true);
        auto* start = child<QPushButton>(&threads, "btnStart");
        start->click();
        QTRY_COMPARE_WITH_TIMEOUT(start->text(), QStringLiteral("&Start"), 30000);
        QCOMPARE(child<QLabel>(&threads, "lblPicturesFound")->text(), QStringLiteral("150"));
        rows[pass] = allTreeRows(&threads);
    }
    QCOMPARE(rows[1], rows[0]);
    QVERIFY2(rows[0].contains(QStringLiteral("1.2|75|50.00")) &&
                 rows[0].contains(QStringLiteral("1.3|75|50.00")),
             qPrintable(rows[0].join(',')));
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(closeChildVariable))
        return runCloseChild(qEnvironmentVariable(closeChildVariable));
    TestWindowAnalysis test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowanalysis.moc"

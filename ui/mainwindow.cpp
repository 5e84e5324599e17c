// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

#include "core/cache/readingcache.h"
#include "core/count/numberformat.h"
#include "core/count/stattable.h"
#include "core/session/analysissession.h"
#include "core/walk/exclusion.h"
#include "export/exportcontext.h"
#include "export/exporter.h"
#include "export/resultexport.h"
#include "ui/aboutdialog.h"
#include "ui/countingoptionsbox.h"
#include "ui/filelistdialog.h"
#include "ui/folderlist.h"
#include "ui/insightstab.h"
#include "ui/progressvalue.h"
#include "ui/rowpicturesdialog.h"
#include "ui/selectionbar.h"
#include "ui/sharebardelegate.h"
#include "ui/tablechart.h"
#include "ui/windowsettings.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStandardPaths>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWhatsThis>

#include <algorithm>
#include <cstdlib>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), session(new AnalysisSession(this))
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowContextHelpButtonHint);
    // A main window gets no "?" in its title bar: What's This is reached by Shift+F1.
    addAction(QWhatsThis::createAction(this));
    aboutDialog = new AboutDialog(this);
    progressTimer = new QTimer(this);
    session->setKeepPictures(true);
    session->setKeepFileRecords(true);
    connect(session, &AnalysisSession::finished, this, &MainWindow::analysisFinished,
            Qt::QueuedConnection);
    // Below the progress row: the count there says how many files were read, this line
    // what became of them.
    lblOutcome = new QLabel(ui->centralWidget);
    lblOutcome->setObjectName(QStringLiteral("lblOutcome"));
    lblOutcome->setWhatsThis(
        tr("What became of the files of the last analysis: counted in the tables, left out "
           "by the make or model filter, without focal length, aperture, ISO or exposure "
           "time, or unreadable (not a picture, damaged, or not readable); with the counting "
           "options, also taken outside the dates or a second file of a shot counted once"));
    lblOutcome->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long line (a folder's path in a warning) is cut at the window's edge, whole in the
    // tool tip, rather than widening the window beyond the screen.
    lblOutcome->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // The list behind the outcome line, beside it.
    btnFiles = new QPushButton(tr("Files..."), ui->centralWidget);
    btnFiles->setObjectName(QStringLiteral("btnFiles"));
    btnFiles->setWhatsThis(tr("Lists every file of the last analysis with what became of it "
                              "and the values read from it"));
    btnFiles->setEnabled(false);
    connect(btnFiles, &QPushButton::clicked, this, &MainWindow::showFileList);
    auto* outcomeRow = new QHBoxLayout;
    outcomeRow->addWidget(lblOutcome, 1);
    outcomeRow->addWidget(btnFiles);
    ui->verticalLayout->insertLayout(ui->verticalLayout->indexOf(ui->tabWidget), outcomeRow);
    // The selection's line comes under the outcome line, which keeps the analysis's numbers.
    selectionBar = new SelectionBar(ui->centralWidget);
    selectionBar->setObjectName(QStringLiteral("selectionBar"));
    ui->verticalLayout->insertWidget(ui->verticalLayout->indexOf(ui->tabWidget), selectionBar);
    connect(selectionBar, &SelectionBar::showAllRequested, this, &MainWindow::showAllPictures);
    showAllKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    showAllKey->setEnabled(false);
    connect(showAllKey, &QShortcut::activated, this, &MainWindow::showAllPictures);
    // Below the folder and filter boxes, above Start.
    countingOptions = new CountingOptionsBox(ui->centralWidget);
    ui->verticalLayout->insertWidget(1, countingOptions);
    // Below the formats: further folders; Recent beside Browse.
    auto* lblMoreFolders = new QLabel(tr("More f&olders:"), ui->groupBox);
    moreFolders = new FolderList(ui->groupBox);
    lblMoreFolders->setBuddy(moreFolders->listWidget());
    ui->gridLayout->addWidget(lblMoreFolders, 2, 0, Qt::AlignTop);
    ui->gridLayout->addWidget(moreFolders, 2, 1, 1, 3);
    auto* lblExclude = new QLabel(tr("Exc&lude:"), ui->groupBox_2);
    txtExclude = new QLineEdit(ui->groupBox_2);
    txtExclude->setObjectName(QStringLiteral("txtExclude"));
    txtExclude->setPlaceholderText(tr("e.g. _trash; exports; 2019/*/edits"));
    txtExclude->setWhatsThis(
        tr("Folders and files left out, as patterns separated by \";\": \"*\" stands for "
           "any text, \"?\" for one character, \"[abc]\" for one of them; upper and lower "
           "case differ. A pattern is matched against each folder's and file's name, or, when "
           "it holds a \"/\", against its path below the chosen folder (\"2019/*/edits\")"));
    lblExclude->setBuddy(txtExclude);
    // With the filters: what to leave out, beside the folders, keeps the form as low as it was.
    ui->gridLayout_3->addWidget(lblExclude, 2, 0);
    ui->gridLayout_3->addWidget(txtExclude, 2, 1, 1, 2);
    btnRecent = new QToolButton(ui->groupBox);
    btnRecent->setObjectName(QStringLiteral("btnRecent"));
    btnRecent->setText(tr("Rece&nt"));
    btnRecent->setToolButtonStyle(Qt::ToolButtonTextOnly);
    btnRecent->setPopupMode(QToolButton::InstantPopup);
    btnRecent->setWhatsThis(tr("The last ten sets of folders analysed"));
    recentMenu = new QMenu(btnRecent);
    btnRecent->setMenu(recentMenu);
    btnRecent->setEnabled(false);
    ui->horizontalLayout->addWidget(btnRecent);
    // The further folders and the patterns take a row of their own, shown on demand (and
    // when they hold something), so that the window still fits a small screen.
    btnMore = new QToolButton(ui->groupBox);
    btnMore->setObjectName(QStringLiteral("btnMore"));
    btnMore->setText(tr("Mo&re"));
    btnMore->setCheckable(true);
    btnMore->setToolButtonStyle(Qt::ToolButtonTextOnly);
    btnMore->setWhatsThis(tr("Shows further folders to analyse with the folder, and the "
                             "patterns of folders and files to leave out"));
    ui->horizontalLayout->addWidget(btnMore);
    moreRow = {lblMoreFolders, moreFolders, lblExclude, txtExclude};
    connect(btnMore, &QToolButton::toggled, this, [this](bool shown) {
        for (QWidget* widget : std::as_const(moreRow))
            widget->setVisible(shown);
    });
    for (QWidget* widget : std::as_const(moreRow))
        widget->setVisible(false);
    // A new control comes after the existing ones, counting options included, so that a
    // user's keyboard path through the form stays as it was.
    const QList<QWidget*> added{btnFiles,
                                moreFolders->listWidget(),
                                moreFolders->addButton(),
                                moreFolders->removeButton(),
                                txtExclude,
                                btnRecent,
                                btnMore};
    QWidget* last = this;
    for (QWidget* next = nextInFocusChain(); next && next != this; next = next->nextInFocusChain())
        if (!added.contains(next) && (next->focusPolicy() & Qt::TabFocus))
            last = next;
    if (last != this) {
        for (QWidget* next : added) {
            setTabOrder(last, next);
            last = next;
        }
    }
    connect(progressTimer, &QTimer::timeout, this, &MainWindow::progressTimer_timeout);
    setStartButtonStops(false);
    // Enter in the folder field starts the analysis, as Start would (never stops one).
    connect(ui->txtFolderName, &QLineEdit::returnPressed, this, [this] {
        if (!session->isRunning())
            ui->btnStart->click();
    });
    setAcceptDrops(true);
    // A few rows of the lists at the least, so the window fits a small screen (1280 x 800
    // at scale 2 leaves 640 x 400), where it starts smaller.
    ui->tabWidget->setMinimumHeight(ui->tabWidget->tabBar()->sizeHint().height() +
                                    fontMetrics().height() * 5);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableSize();
        if (width() > room.width() || height() > room.height())
            resize(size().boundedTo(room).expandedTo(minimumSizeHint()));
    }
    // Every list's "%" column shows its share as a bar as well.
    auto* shareBars = new ShareBarDelegate(this);
    for (QTreeWidget* tree : findChildren<QTreeWidget*>())
        tree->setItemDelegateForColumn(2, shareBars);
    // Double-click or Enter on a row lists the pictures it counts.
    const struct
    {
        QTreeWidget* tree;
        StatKind kind;
    } rowTrees[] = {
        {ui->treeFocal, FocalLength},
        {ui->treeFocalSorted, FocalLength},
        {ui->treeFocal35, FocalLength35mm},
        {ui->treeFocal35Sorted, FocalLength35mm},
        {ui->treeAperture, Aperture},
        {ui->treeApertureSorted, Aperture},
        {ui->treeISO, Iso},
        {ui->treeISOSorted, Iso},
        {ui->treeExposure, ExposureTime},
        {ui->treeExposureSorted, ExposureTime},
        {ui->treeCamera, Camera},
        {ui->treeCameraSorted, Camera},
        {ui->treeLens, Lens},
        {ui->treeLensSorted, Lens},
        {ui->treeYear, Year},
        {ui->treeYearSorted, Year},
    };
    for (const auto& entry : rowTrees) {
        const StatKind kind = entry.kind;
        connect(entry.tree, &QTreeWidget::itemActivated, this,
                [this, kind](QTreeWidgetItem* item) { showRowPictures(kind, item); });
        // Chosen rows narrow the other tables: click, Ctrl+click, Shift+click, keyboard.
        QTreeWidget* tree = entry.tree;
        tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
        connect(tree, &QTreeWidget::itemSelectionChanged, this,
                [this, kind, tree] { rowsChosen(kind, tree); });
    }
    // The value column takes the room left; counts and shares keep theirs, so they stay in
    // sight, and a long camera or lens name is shortened in the middle (its tool tip has it whole).
    for (QTreeWidget* tree : findChildren<QTreeWidget*>()) {
        QHeaderView* header = tree->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
        header->setSectionResizeMode(2, QHeaderView::ResizeToContents);
        tree->setTextElideMode(Qt::ElideMiddle);
    }
    addInsightViews();
}

namespace {

// The folder a dropped URL names: a dropped folder itself, a dropped file's folder; "" for
// anything that is not a local file.
QString droppedFolder(const QUrl& url)
{
    if (!url.isLocalFile())
        return QString();
    const QFileInfo info(url.toLocalFile());
    if (info.isDir())
        return QDir::toNativeSeparators(info.absoluteFilePath());
    return info.exists() ? QDir::toNativeSeparators(info.absolutePath()) : QString();
}

// The folders a drop names, in its order, each once; the first decides whether the drop
// is taken, as with one folder.
QStringList droppedFolders(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return {};
    QStringList folders;
    const QList<QUrl> urls = data->urls();
    for (const QUrl& url : urls) {
        const QString folder = droppedFolder(url);
        if (folders.isEmpty() && folder.isEmpty())
            return {};
        if (!folder.isEmpty() && !folders.contains(folder))
            folders << folder;
    }
    return folders;
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFolders(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QStringList folders = droppedFolders(event->mimeData());
    if (folders.isEmpty())
        return;
    // The first takes the folder field, as a single folder does; the others join the list.
    ui->txtFolderName->setText(folders.first());
    moreFolders->setFolders(folders.mid(1));
    if (folders.size() > 1)
        btnMore->setChecked(true);
    event->acceptProposedAction();
}

MainWindow::~MainWindow()
{
    // A window closed during an analysis: the session fills the tables that are about to
    // go, so it has to stop first.
    stopAnalysis();
    delete ui;
    delete progressTimer;
}

void MainWindow::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}

void MainWindow::stopAnalysis()
{
    session->stop();
    session->wait();
}

void MainWindow::on_btnExport_clicked()
{
    if (session->result().table(FocalLength).rowCount() < 1) {
        QMessageBox::warning(this, windowTitle(), tr("Nothing to export"), QMessageBox::Ok);
        return;
    }
    // The folder of the last export, else the pictures folder, else home; never the folder
    // the program happened to start in.
    QString folder = lastExportFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    QString filter = lastExportFilter;
    QString fileName = QFileDialog::getSaveFileName(
        this, tr("Save Stats"), folder,
        tr("Report Page (*.html);;CSV File (*.csv);;JSON File (*.json);;TAB Separated (*.txt);;"
           "HTML File (*.htm)"),
        &filter);
    if (fileName.size() <= 2)
        return;
    // A name typed without a suffix takes the one of the file type chosen in the dialog.
    fileName = withFilterSuffix(fileName, filter);

    std::unique_ptr<Exporter> exporter = createExporter(fileName);
    // What is shown: with a selection, every table of the selected pictures only.
    TableSet tables = session->result().tableSet();
    std::array<StatTable, StatKindCount> selectedTables;
    if (!selection.isEmpty()) {
        tabulateSelection(fullTables(), selection, selected, selectedTables);
        for (int kind = 0; kind < StatKindCount; ++kind) {
            showInBothOrders(
                selectedTables[size_t(kind)], [](const StatTable&) {}, [](const StatTable&) {});
            tables[size_t(kind)] = &selectedTables[size_t(kind)];
        }
    }
    exporter->sections = exportSections(exportFormatFor(fileName), tables);
    if (lastAnalysis)
        exporter->context = *lastAnalysis;
    exporter->context.where = selection;
    // A success is said in the outcome line, with no box to click away; a failure keeps its box.
    if (exporter->write()) {
        lastExportFolder = QFileInfo(fileName).absolutePath();
        lastExportFilter = filter;
        // First, where the window's edge cannot cut it off.
        lblOutcome->setText(
            tr("The export has been completed: %1; ").arg(QDir::toNativeSeparators(fileName)) +
            resultLine);
        return;
    }
    // Opened but not written through (disk full, say) reads "Could not write", not "open".
    QMessageBox::information(this, windowTitle(), exportErrorMessage(exporter->error(), fileName),
                             QMessageBox::Ok);
}

std::unique_ptr<Exporter> MainWindow::createExporter(const QString& fileName)
{
    return exporterFor(fileName);
}

int MainWindow::readingJobs() const
{
    return AnalysisRequest().readingJobs();
}

void MainWindow::on_btnClose_clicked()
{
    saveSettings();
    stopAnalysis();
    std::exit(0);
}

void MainWindow::on_btnBrowse_clicked()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("Select Folder"), ui->txtFolderName->text(), QFileDialog::ShowDirsOnly);
    // Cancel returns an empty name; the folder the user typed stays.
    if (!folder.isEmpty())
        ui->txtFolderName->setText(folder);
}

void MainWindow::on_btnStart_clicked()
{
    if (session->isRunning()) {
        // Start reads "Stop" while an analysis runs.
        stopRequested = true;
        session->stop();
        return;
    }
    AnalysisRequest request = formRequest();
    request.jobs = readingJobs();
    request.cacheFile = ReadingCache::defaultPath();
    if (!request.folder.trimmed().isEmpty()) {
        recentFolders = withRecent(recentFolders, request.folders());
        fillRecentMenu();
    }
    saveSettings();

    // The walk runs in the session too, so a slow or huge folder never freezes the window;
    // its refusals come when it ends.
    stopRequested = false;
    setStartButtonStops(true);
    ui->btnExport->setEnabled(false);
    ui->progressBar->setValue(0);
    ui->lblPicturesFound->setText(QStringLiteral("0"));
    // Nothing of the last run stays in sight under the new one, its selection included.
    selection.clear();
    selected = SelectedPictures();
    selectionBar->showSelection(selection, 0, 0);
    showAllKey->setEnabled(false);
    clearResults();
    lblOutcome->setText(tr("Listing folders..."));
    lblOutcome->setToolTip(QString());

    lastAnalysis =
        std::make_unique<ExportContext>(makeExportContext(request, OutcomeCounts(), QDateTime()));
    btnFiles->setEnabled(false);

    progressTimer->setInterval(100);
    progressTimer->start();
    session->start(request);
}

AnalysisRequest MainWindow::formRequest() const
{
    AnalysisRequest request;
    request.folder = ui->txtFolderName->text();
    request.moreFolders = moreFolders->folders();
    request.exclude = splitPatterns(txtExclude->text());
    request.jpeg = ui->chkJPEG->isChecked();
    request.tiff = ui->chkTIFF->isChecked();
    request.raw = ui->chkRAW->isChecked();
    request.heif = ui->chkHEIF->isChecked();
    request.makeText = ui->txtMake->text();
    request.exceptMake = ui->chkExceptMake->isChecked();
    request.modelText = ui->txtModel->text();
    request.exceptModel = ui->chkExceptModel->isChecked();
    countingOptions->applyTo(&request);
    return request;
}

void MainWindow::setForm(const AnalysisRequest& request)
{
    ui->txtFolderName->setText(request.folder);
    moreFolders->setFolders(request.moreFolders);
    txtExclude->setText(request.exclude.join(QStringLiteral("; ")));
    // Further folders or patterns are never out of sight.
    if (request.walksMore())
        btnMore->setChecked(true);
    ui->chkJPEG->setChecked(request.jpeg);
    ui->chkTIFF->setChecked(request.tiff);
    ui->chkRAW->setChecked(request.raw);
    ui->chkHEIF->setChecked(request.heif);
    ui->txtMake->setText(request.makeText);
    ui->chkExceptMake->setChecked(request.exceptMake);
    ui->txtModel->setText(request.modelText);
    ui->chkExceptModel->setChecked(request.exceptModel);
    countingOptions->setFrom(request);
}

WindowState MainWindow::windowState() const
{
    WindowState state;
    state.form = formRequest();
    state.geometry = saveGeometry();
    state.tab = ui->tabWidget->currentIndex();
    state.exportFolder = lastExportFolder;
    state.exportFilter = lastExportFilter;
    state.recent = recentFolders;
    return state;
}

void MainWindow::rememberSettings()
{
    settings = openWindowSettings();
    const WindowState state = readWindowState(*settings, windowState());
    setForm(state.form);
    if (!state.geometry.isEmpty())
        restoreGeometry(state.geometry);
    if (state.tab < ui->tabWidget->count())
        ui->tabWidget->setCurrentIndex(state.tab);
    lastExportFolder = state.exportFolder;
    lastExportFilter = state.exportFilter;
    recentFolders = state.recent;
    fillRecentMenu();
}

void MainWindow::saveSettings()
{
    if (settings)
        writeWindowState(*settings, windowState());
}

void MainWindow::fillRecentMenu()
{
    recentMenu->clear();
    for (const QStringList& folders : std::as_const(recentFolders)) {
        QString label = QDir::toNativeSeparators(folders.first());
        if (folders.size() > 1)
            label = tr("%1 and %n more", nullptr, int(folders.size() - 1)).arg(label);
        QAction* action = recentMenu->addAction(label);
        action->setToolTip(folders.join(QLatin1Char('\n')));
        connect(action, &QAction::triggered, this, [this, folders] {
            ui->txtFolderName->setText(folders.first());
            moreFolders->setFolders(folders.mid(1));
            if (folders.size() > 1)
                btnMore->setChecked(true);
        });
    }
    btnRecent->setEnabled(!recentFolders.isEmpty());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    saveSettings();
    QMainWindow::closeEvent(event);
}

void MainWindow::showFileList()
{
    if (session->isRunning())
        return;
    FileListDialog dialog(session->files(), session->result().fileRecords, this);
    dialog.exec();
}

QString MainWindow::rowTitle(StatKind kind, const QString& label, int pictures) const
{
    // The tabs come in the order of the kinds.
    const QString table = ui->tabWidget->tabText(int(kind)).remove(QLatin1Char('&'));
    QString value = label;
    if (label != QLatin1String("Unknown")) {
        switch (kind) {
        case FocalLength:
        case FocalLength35mm:
            value = tr("%1 mm").arg(label);
            break;
        case Aperture:
            value = QStringLiteral("f/") + label;
            break;
        case ExposureTime:
            value = tr("%1 s").arg(label);
            break;
        default:
            break;
        }
    }
    const QString count =
        pictures == 1 ? tr("1 picture") : tr("%1 pictures").arg(QLocale().toString(pictures));
    // The ISO table's title is its unit: "ISO 200".
    return table + QLatin1Char(' ') + value + QStringLiteral(": ") + count;
}

void MainWindow::showRowPictures(StatKind kind, QTreeWidgetItem* item)
{
    if (!item || session->isRunning())
        return;
    QStringList paths;
    const QStringList& files = session->files();
    const AnalysisResult& result = session->result();
    // Within the selection of the other tables, as the row's count says.
    const unsigned others = ~(1u << kind);
    for (int place : result.table(kind).valuesOfRow(item->data(0, Qt::UserRole).toInt())) {
        if (!selected.missed.empty() && (selected.missed[size_t(place)] & others) != 0)
            continue;
        const int index =
            size_t(place) < result.countedFiles.size() ? result.countedFiles[size_t(place)] : -1;
        if (index >= 0 && index < files.size())
            paths << files.at(index);
    }
    RowPicturesDialog dialog(rowTitle(kind, item->text(0), int(paths.size())), paths, this);
    dialog.exec();
}

QString MainWindow::startWhatsThis()
{
    return tr("Starts analyzing the pictures. What is read from each file is kept in a "
              "reading cache (%1), so that the next analysis of unchanged files takes "
              "seconds; a changed file is read again, and the results are the same as "
              "without the cache.")
        .arg(QDir::toNativeSeparators(ReadingCache::defaultPath()));
}

void MainWindow::setStartButtonStops(bool stops)
{
    ui->btnStart->setText(stops ? tr("&Stop") : tr("&Start"));
    ui->btnStart->setIcon(
        QIcon(stops ? QStringLiteral(":/images/stop") : QStringLiteral(":/images/play")));
    ui->btnStart->setWhatsThis(stops ? tr("Stops the analysis") : startWhatsThis());
}

void MainWindow::progressTimer_timeout()
{
    const QLocale numbers;
    const int total = session->fileTotal();
    if (total < 0) {
        lblOutcome->setText(
            tr("Listing folders... %1 files found").arg(numbers.toString(session->filesFound())));
        return;
    }
    const int done = session->filesDone();
    ui->progressBar->setValue(progressValue(done, total));
    ui->lblPicturesFound->setText(numbers.toString(done));
    if (!stopRequested)
        lblOutcome->setText(tr("Reading %1 files").arg(numbers.toString(total)));
}

void MainWindow::analysisFinished()
{
    session->wait();
    progressTimer->stop();
    setStartButtonStops(false);
    ui->btnExport->setEnabled(true);
    const Refusal refusal = session->refusal();
    const int total = session->fileTotal();
    const int done = session->filesDone();
    if (session->wasStopped() && total < 0) {
        lblOutcome->setText(tr("Stopped while listing folders"));
        return;
    }
    if (refusal != Refusal::None) {
        lblOutcome->clear();
        // The classic message box says "Invalid Folder" alone; the others name the folder.
        // With several folders it names the one at fault, as the others do.
        const AnalysisRequest& request = session->request();
        const QString text = refusal == Refusal::InvalidFolder && request.moreFolders.isEmpty()
                                 ? refusalMessage(refusal)
                                 : refusalLine(refusal, refusedFolder(request, refusal));
        QMessageBox::warning(this, windowTitle(), text, QMessageBox::Ok);
        return;
    }
    ui->lblPicturesFound->setText(QLocale().toString(done));
    const bool stopped = session->wasStopped() && done < total;
    if (!stopped)
        ui->progressBar->setValue(10000);
    lastAnalysis->analysedAt = session->finishedAt();
    lastAnalysis->outcomes = session->result().outcomes;
    showResults();
    showInsights();
    showOutcomes();
    if (stopped)
        lblOutcome->setText(session->stoppedLine(QLocale()) + lblOutcome->text());
    resultLine = lblOutcome->text();
    // The line may be cut at the window's edge; its tool tip has it whole.
    lblOutcome->setToolTip(lblOutcome->toolTip().isEmpty()
                               ? resultLine
                               : resultLine + QLatin1Char('\n') + lblOutcome->toolTip());
}

void MainWindow::showOutcomes()
{
    const AnalysisResult* results = &session->result();
    QString text = session->summary(QLocale());
    if (!results->unlistedFolders.isEmpty())
        text += tr("; %1 folder(s) could not be read")
                    .arg(QLocale().toString(results->unlistedFolders.size()));
    // Only when there is more than one folder or a pattern: else the line reads as before.
    const AnalysisRequest& request = session->request();
    if (!request.moreFolders.isEmpty()) {
        QStringList folders;
        for (const QString& folder : request.folders())
            folders << QDir::toNativeSeparators(folder);
        text += tr("; from %1 folders: %2")
                    .arg(QLocale().toString(folders.size()), folders.join(QStringLiteral(", ")));
    }
    if (!request.exclude.isEmpty())
        text += tr("; left out: %1 folder(s), %2 file(s)")
                    .arg(QLocale().toString(results->leftOutFolders),
                         QLocale().toString(results->leftOutFiles));
    // The cache never changes what is counted, but a user should know it was not used.
    for (const QString& warning : results->cacheWarnings) {
        text += QStringLiteral("; ") + warning;
        qWarning("%s", qUtf8Printable(warning));
    }
    lblOutcome->setText(text);
    btnFiles->setEnabled(results->fileRecords.size() > 0);
    lblOutcome->setToolTip(
        (results->cacheWarnings + results->unlistedFolders).join(QLatin1Char('\n')));
}

namespace {

QTreeWidgetItem* resultItem(const StatRow& row, StatKind kind, const QFont& bold, float largest)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, displayLabel(kind, row.label));
    item->setToolTip(0, item->text(0));
    item->setData(0, Qt::UserRole, row.id);
    item->setText(1, QLocale().toString(row.count));
    item->setText(2, percentText(row.percent));
    item->setData(2, ShareBarDelegate::LargestShareRole, double(largest));
    item->setFont(0, bold);
    item->setTextAlignment(0, Qt::AlignLeft);
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

void fillTree(QTreeWidget* tree, const StatTable& table, StatKind kind, const QFont& bold)
{
    // The bars are scaled to the largest share, so that small shares still tell apart.
    float largest = 0;
    for (unsigned i = 0; i < table.rowCount(); ++i)
        largest = std::max(largest, table.row(i)->percent);
    for (unsigned i = 0; i < table.rowCount(); ++i)
        tree->addTopLevelItem(resultItem(*table.row(i), kind, bold, largest));
    // A list emptied and refilled in one go, with a row selected before, repaints only
    // that row: the rest of the screen would show the last run.
    tree->viewport()->update();
}

} // namespace

QList<MainWindow::TreePair> MainWindow::treePairs() const
{
    return {
        {FocalLength, ui->treeFocal, ui->treeFocalSorted},
        {FocalLength35mm, ui->treeFocal35, ui->treeFocal35Sorted},
        {Aperture, ui->treeAperture, ui->treeApertureSorted},
        {Iso, ui->treeISO, ui->treeISOSorted},
        {ExposureTime, ui->treeExposure, ui->treeExposureSorted},
        {Camera, ui->treeCamera, ui->treeCameraSorted},
        {Lens, ui->treeLens, ui->treeLensSorted},
        {Year, ui->treeYear, ui->treeYearSorted},
    };
}

void MainWindow::clearResults()
{
    const QScopedValueRollback<bool> guard(refilling, true);
    for (const TreePair& pair : treePairs()) {
        pair.byValue->clear();
        pair.byCount->clear();
    }
}

void MainWindow::showResults()
{
    clearResults();
    QFont bold;
    bold.setWeight(QFont::Bold);
    for (const TreePair& pair : treePairs()) {
        showInBothOrders(
            const_cast<StatTable&>(shownTable(pair.kind)),
            [&](const StatTable& t) { fillTree(pair.byValue, t, pair.kind, bold); },
            [&](const StatTable& t) { fillTree(pair.byCount, t, pair.kind, bold); });
    }
}

void MainWindow::addInsightViews()
{
    const std::pair<StatKind, QTreeWidget*> lists[] = {
        {FocalLength, ui->treeFocal},
        {FocalLength35mm, ui->treeFocal35},
        {Aperture, ui->treeAperture},
        {Iso, ui->treeISO},
        {ExposureTime, ui->treeExposure},
        {Camera, ui->treeCamera},
        {Lens, ui->treeLens},
        {Year, ui->treeYear},
    };
    for (const auto& [kind, tree] : lists) {
        // The lists' row holds the two trees; the chart goes first. The lists keep a little
        // more room each, so that "Unknown" and the counts stay whole at the first size.
        for (QBoxLayout* row : tree->parentWidget()->findChildren<QBoxLayout*>()) {
            if (row->indexOf(tree) < 0)
                continue;
            charts[kind] = new TableChart(kind, tree->parentWidget());
            charts[kind]->setObjectName(QStringLiteral("chart%1").arg(int(kind)));
            row->insertWidget(0, charts[kind], 3);
            for (int i = 1; i < row->count(); ++i)
                row->setStretch(i, 4);
        }
    }
    insightsTab = new InsightsTab(ui->tabWidget);
    insightsTab->setObjectName(QStringLiteral("insightsTab"));
    ui->tabWidget->addTab(insightsTab, tr("Insights"));
}

void MainWindow::showInsights()
{
    AnalysisResult& result = session->result();
    for (int kind = 0; kind < StatKindCount; ++kind) {
        if (charts[kind])
            charts[kind]->setTable(shownTable(StatKind(kind)));
    }
    const std::vector<int> places = selected.places();
    const Insights insights = computeInsights(
        trackedReadings(result.tableSet(), selection.isEmpty() ? nullptr : &places));
    insightsTab->setInsights(insights);
    if (lastAnalysis)
        lastAnalysis->insights = insights;
}

void MainWindow::on_btnAbout_clicked()
{
    aboutDialog->show();
}

const StatTable& MainWindow::shownTable(StatKind kind) const
{
    return selection.isEmpty() ? session->result().table(kind) : narrowed[size_t(kind)];
}

ConstTableSet MainWindow::fullTables() const
{
    ConstTableSet tables{};
    for (int kind = 0; kind < StatKindCount; ++kind)
        tables[size_t(kind)] = &session->result().table(StatKind(kind));
    return tables;
}

namespace {

// Chooses the rows of a list whose labels are given, and no other.
void chooseRows(QTreeWidget* tree, const QStringList& labels)
{
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tree->topLevelItem(i);
        item->setSelected(labels.contains(item->text(0)));
    }
}

} // namespace

void MainWindow::rowsChosen(StatKind kind, QTreeWidget* tree)
{
    if (refilling || session->isRunning())
        return;
    QStringList now;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (tree->topLevelItem(i)->isSelected())
            now.append(tree->topLevelItem(i)->text(0));
    }
    // In the order chosen, as --where gives them: the line and the exports name them so.
    QStringList labels;
    for (const QString& label : selection.labels(kind)) {
        if (now.contains(label))
            labels.append(label);
    }
    for (const QString& label : now) {
        if (!labels.contains(label))
            labels.append(label);
    }
    if (labels == selection.labels(kind))
        return;
    selection.setLabels(kind, labels);
    applySelection(kind);
}

void MainWindow::showAllPictures()
{
    if (selection.isEmpty() || session->isRunning())
        return;
    selection.clear();
    applySelection();
}

void MainWindow::applySelection(int changedKind)
{
    const QScopedValueRollback<bool> guard(refilling, true);
    selected = selectPictures(fullTables(), selection);
    if (!selection.isEmpty())
        tabulateSelection(fullTables(), selection, selected, narrowed, true);
    QFont bold;
    bold.setWeight(QFont::Bold);
    for (const TreePair& pair : treePairs()) {
        // A list's own rows count the pictures of the other tables' parts only, so the list
        // whose rows were just chosen stays as it is; its twin follows its choice.
        if (pair.kind != changedKind) {
            pair.byValue->clear();
            pair.byCount->clear();
            showInBothOrders(
                const_cast<StatTable&>(shownTable(pair.kind)),
                [&](const StatTable& t) { fillTree(pair.byValue, t, pair.kind, bold); },
                [&](const StatTable& t) { fillTree(pair.byCount, t, pair.kind, bold); });
        }
        chooseRows(pair.byValue, selection.labels(pair.kind));
        chooseRows(pair.byCount, selection.labels(pair.kind));
    }
    showInsights();
    selectionBar->showSelection(selection, selected.selected, selected.counted);
    showAllKey->setEnabled(!selection.isEmpty());
}

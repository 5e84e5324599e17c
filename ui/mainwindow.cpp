#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

#include "analysis/entryreader.h"
#include "analysis/filecollector.h"
#include "analysis/makefilter.h"
#include "analysis/modelfilter.h"
#include "analysis/namelist.h"
#include "analysis/numberformat.h"
#include "analysis/orderedanalysis.h"
#include "analysis/stattable.h"
#include "export/exporter.h"
#include "export/resultexport.h"
#include "ui/aboutdialog.h"
#include "ui/progressvalue.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QTimer>

#include <cstdlib>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), reader(nullptr), makeFilter(nullptr),
      modelFilter(nullptr)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowContextHelpButtonHint);
    aboutDialog = new AboutDialog(this);
    progressTimer = new QTimer(this);
    statFocal = new StatTable;
    statFocal35 = new StatTable;
    statAperture = new StatTable;
    statISO = new StatTable;
    statExposure = new StatTable;
    statCamera = new StatTable;
    connect(progressTimer, &QTimer::timeout, this, &MainWindow::progressTimer_timeout);
}

MainWindow::~MainWindow()
{
    // A window closed during an analysis: the worker fills the tables and the counter
    // that are about to go, so it has to stop first.
    stopAnalysis();
    delete ui;
    delete progressTimer;
    delete statFocal;
    delete statFocal35;
    delete statAperture;
    delete statISO;
    delete statExposure;
    delete statCamera;
    delete makeFilter;
    delete modelFilter;
    delete reader;
}

void MainWindow::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}

void MainWindow::stopAnalysis()
{
    if (!reader)
        return;
    reader->requestInterruption();
    reader->wait();
}

void MainWindow::on_btnExport_clicked()
{
    if (statFocal->rowCount() < 1) {
        QMessageBox::warning(this, windowTitle(), tr("Nothing to export"), QMessageBox::Ok);
        return;
    }
    const QString fileName = QFileDialog::getSaveFileName(
        this, tr("Save Stats"), QString(), tr("HTML File (*.htm);;TAB Separated (*.txt)"));
    if (fileName.size() <= 2)
        return;

    std::unique_ptr<Exporter> exporter = createExporter(fileName);
    exporter->sections =
        resultSections({statFocal, statFocal35, statAperture, statISO, statExposure, statCamera});
    if (exporter->write()) {
        QMessageBox::information(this, windowTitle(), tr("The export has been completed"),
                                 QMessageBox::Ok);
    } else if (exporter->error() == ExportError::WriteFailed) {
        // Opened but not written through (disk full, say): "could not open" would mislead.
        QMessageBox::information(this, windowTitle(), tr("Could not write ") + fileName,
                                 QMessageBox::Ok);
    } else {
        QMessageBox::information(this, windowTitle(), tr("Could not open ") + fileName,
                                 QMessageBox::Ok);
    }
}

std::unique_ptr<Exporter> MainWindow::createExporter(const QString& fileName)
{
    return exporterFor(fileName);
}

int MainWindow::readingJobs() const
{
    return defaultJobCount();
}

void MainWindow::on_btnClose_clicked()
{
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
    const QString folder = ui->txtFolderName->text();
    if (folder.trimmed().isEmpty()) {
        QMessageBox::warning(this, windowTitle(), tr("No folder was specified"), QMessageBox::Ok);
        return;
    }
    if (!QDir(folder).exists()) {
        QMessageBox::warning(this, windowTitle(), tr("Invalid Folder"), QMessageBox::Ok);
        return;
    }
    const QStringList extensions = pictureExtensions(
        ui->chkJPEG->isChecked(), ui->chkTIFF->isChecked(), ui->chkRAW->isChecked());
    const QStringList makes = parseNameList(ui->txtMake->text());
    const QStringList models = parseNameList(ui->txtModel->text());

    setCursor(Qt::WaitCursor);
    const QStringList files = collectFiles(folder, extensions, readingJobs());
    setCursor(Qt::ArrowCursor);

    fileCount = int(files.size());
    if (fileCount == 0) {
        QMessageBox::warning(this, windowTitle(), tr("No files were found"), QMessageBox::Ok);
        return;
    }

    ui->btnStart->setEnabled(false);
    ui->btnExport->setEnabled(false);
    ui->progressBar->setValue(0);
    for (StatTable* table :
         {statFocal, statFocal35, statAperture, statISO, statExposure, statCamera})
        table->clear();
    processedCount.storeRelaxed(0);

    reader = new EntryReader;
    reader->setJobs(readingJobs());
    reader->setFiles(&processedCount, files);
    if (!makes.isEmpty()) {
        makeFilter = new MakeFilter(makes);
        makeFilter->except = ui->chkExceptMake->isChecked();
        reader->addFilter(makeFilter);
    }
    if (!models.isEmpty()) {
        modelFilter = new ModelFilter(models);
        modelFilter->except = ui->chkExceptModel->isChecked();
        reader->addFilter(modelFilter);
    }
    reader->setTable(FocalLength, statFocal);
    reader->setTable(FocalLength35mm, statFocal35);
    reader->setTable(Aperture, statAperture);
    reader->setTable(Iso, statISO);
    reader->setTable(ExposureTime, statExposure);
    reader->setTable(Camera, statCamera);

    progressTimer->setInterval(100);
    progressTimer->start();
    reader->start(QThread::InheritPriority);
}

void MainWindow::progressTimer_timeout()
{
    const int done = processedCount.loadRelaxed();
    const int total = fileCount;
    const QString doneText = QString::number(done);
    if (done < total) {
        ui->progressBar->setValue(progressValue(done, total));
        ui->lblPicturesFound->setText(doneText);
        return;
    }

    // The worker computes the percentages after its last count: wait before reading.
    reader->wait();
    ui->btnStart->setEnabled(true);
    ui->btnExport->setEnabled(true);
    progressTimer->stop();
    ui->progressBar->setValue(10000);
    ui->lblPicturesFound->setText(doneText);
    delete makeFilter;
    makeFilter = nullptr;
    delete modelFilter;
    modelFilter = nullptr;
    delete reader;
    reader = nullptr;
    showResults();
}

namespace {

QTreeWidgetItem* resultItem(const StatRow& row, bool focal35, const QFont& bold)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, row.label);
    if (focal35 && item->text(0) == QLatin1String("0"))
        item->setText(0, QCoreApplication::translate("MainWindow", "Unknown"));
    item->setText(1, QString::number(row.count));
    item->setText(2, percentText(row.percent));
    item->setFont(0, bold);
    item->setTextAlignment(0, Qt::AlignLeft);
    item->setTextAlignment(1, Qt::AlignHCenter);
    item->setTextAlignment(2, Qt::AlignHCenter);
    return item;
}

void fillTree(QTreeWidget* tree, const StatTable& table, bool focal35, const QFont& bold)
{
    for (unsigned i = 0; i < table.rowCount(); ++i)
        tree->addTopLevelItem(resultItem(*table.row(i), focal35, bold));
}

} // namespace

void MainWindow::showResults()
{
    struct Pair
    {
        StatTable* table;
        QTreeWidget* byValue;
        QTreeWidget* byCount;
    };
    const Pair pairs[] = {
        {statFocal, ui->treeFocal, ui->treeFocalSorted},
        {statFocal35, ui->treeFocal35, ui->treeFocal35Sorted},
        {statAperture, ui->treeAperture, ui->treeApertureSorted},
        {statISO, ui->treeISO, ui->treeISOSorted},
        {statExposure, ui->treeExposure, ui->treeExposureSorted},
        {statCamera, ui->treeCamera, ui->treeCameraSorted},
    };
    for (const Pair& pair : pairs) {
        pair.byValue->clear();
        pair.byCount->clear();
    }
    QFont bold;
    bold.setWeight(QFont::Bold);
    for (const Pair& pair : pairs) {
        const bool focal35 = pair.table == statFocal35;
        pair.table->sortByValue();
        fillTree(pair.byValue, *pair.table, focal35, bold);
        pair.table->sortByCount();
        fillTree(pair.byCount, *pair.table, focal35, bold);
    }
    // Camera names are longer than the default column: widen it rather than cut every name
    // short; a tab not yet shown has no width to fit into, so the names decide. Where the
    // window is too narrow the tree scrolls sideways. Never narrower than the default.
    for (const Pair& pair : pairs) {
        for (QTreeWidget* tree : {pair.byValue, pair.byCount}) {
            const int standard = tree->header()->defaultSectionSize();
            tree->resizeColumnToContents(0);
            if (tree->columnWidth(0) < standard)
                tree->setColumnWidth(0, standard);
        }
    }
}

void MainWindow::on_btnAbout_clicked()
{
    aboutDialog->show();
}

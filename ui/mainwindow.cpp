// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

#include "analysis/analysisrequest.h"
#include "analysis/analysisresult.h"
#include "analysis/entryreader.h"
#include "analysis/numberformat.h"
#include "analysis/orderedanalysis.h"
#include "analysis/stattable.h"
#include "export/exportcontext.h"
#include "export/exporter.h"
#include "export/resultexport.h"
#include "ui/aboutdialog.h"
#include "ui/countingoptionsbox.h"
#include "ui/progressvalue.h"
#include "ui/sharebardelegate.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <cstdlib>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), reader(nullptr), results(new AnalysisResult)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowContextHelpButtonHint);
    aboutDialog = new AboutDialog(this);
    progressTimer = new QTimer(this);
    statFocal = &results->table(FocalLength);
    statFocal35 = &results->table(FocalLength35mm);
    statAperture = &results->table(Aperture);
    statISO = &results->table(Iso);
    statExposure = &results->table(ExposureTime);
    statCamera = &results->table(Camera);
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
    ui->verticalLayout->insertWidget(ui->verticalLayout->indexOf(ui->tabWidget), lblOutcome);
    // Below the folder and filter boxes, above Start.
    countingOptions = new CountingOptionsBox(ui->centralWidget);
    ui->verticalLayout->insertWidget(1, countingOptions);
    connect(progressTimer, &QTimer::timeout, this, &MainWindow::progressTimer_timeout);
    // Every list's "%" column shows its share as a bar as well.
    auto* shareBars = new ShareBarDelegate(this);
    for (QTreeWidget* tree : findChildren<QTreeWidget*>())
        tree->setItemDelegateForColumn(2, shareBars);
}

MainWindow::~MainWindow()
{
    // A window closed during an analysis: the worker fills the tables and the counter
    // that are about to go, so it has to stop first.
    stopAnalysis();
    delete ui;
    delete progressTimer;
    delete reader;
    delete results;
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
    QString filter;
    QString fileName = QFileDialog::getSaveFileName(
        this, tr("Save Stats"), QString(),
        tr("HTML File (*.htm);;TAB Separated (*.txt);;Report Page (*.html);;CSV File (*.csv);;"
           "JSON File (*.json)"),
        &filter);
    if (fileName.size() <= 2)
        return;
    // A name typed without a suffix takes the one of the file type chosen in the dialog.
    fileName = withFilterSuffix(fileName, filter);

    std::unique_ptr<Exporter> exporter = createExporter(fileName);
    exporter->sections = exportSections(exportFormatFor(fileName), results->tableSet());
    if (lastAnalysis)
        exporter->context = *lastAnalysis;
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
    return AnalysisRequest().readingJobs();
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
    AnalysisRequest request;
    request.folder = ui->txtFolderName->text();
    request.jpeg = ui->chkJPEG->isChecked();
    request.tiff = ui->chkTIFF->isChecked();
    request.raw = ui->chkRAW->isChecked();
    request.heif = ui->chkHEIF->isChecked();
    request.makeText = ui->txtMake->text();
    request.exceptMake = ui->chkExceptMake->isChecked();
    request.modelText = ui->txtModel->text();
    request.exceptModel = ui->chkExceptModel->isChecked();
    request.jobs = readingJobs();
    countingOptions->applyTo(&request);

    setCursor(Qt::WaitCursor);
    FileListing listing;
    const Refusal refusal = listRequestFiles(request, &listing);
    setCursor(Qt::ArrowCursor);
    if (refusal != Refusal::None) {
        QString text = refusalMessage(refusal);
        if (refusal == Refusal::UnreadableFolder)
            text += QStringLiteral(" ") + request.folder;
        QMessageBox::warning(this, windowTitle(), text, QMessageBox::Ok);
        return;
    }

    fileCount = int(listing.files.size());
    ui->btnStart->setEnabled(false);
    ui->btnExport->setEnabled(false);
    ui->progressBar->setValue(0);
    results->clear();
    results->unlistedFolders = listing.unlistedFolders;
    lblOutcome->clear();
    processedCount.storeRelaxed(0);

    lastAnalysis =
        std::make_unique<ExportContext>(makeExportContext(request, OutcomeCounts(), QDateTime()));
    reader = new EntryReader;
    reader->setFiles(&processedCount, listing.files);
    reader->configure(request, results);

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
    delete reader;
    reader = nullptr;
    lastAnalysis->analysedAt = QDateTime::currentDateTime();
    lastAnalysis->outcomes = results->outcomes;
    showResults();
    showOutcomes();
}

void MainWindow::showOutcomes()
{
    const OutcomeCounts& counts = results->outcomes;
    QString text = counts.summary(counts.pairDuplicates > 0, counts.outsideDates > 0);
    if (!results->unlistedFolders.isEmpty())
        text +=
            tr("; %n folder(s) could not be read", nullptr, int(results->unlistedFolders.size()));
    lblOutcome->setText(text);
    lblOutcome->setToolTip(results->unlistedFolders.join(QLatin1Char('\n')));
}

namespace {

QTreeWidgetItem* resultItem(const StatRow& row, StatKind kind, const QFont& bold)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, displayLabel(kind, row.label));
    item->setText(1, QString::number(row.count));
    item->setText(2, percentText(row.percent));
    item->setFont(0, bold);
    item->setTextAlignment(0, Qt::AlignLeft);
    item->setTextAlignment(1, Qt::AlignHCenter);
    item->setTextAlignment(2, Qt::AlignHCenter);
    return item;
}

void fillTree(QTreeWidget* tree, const StatTable& table, StatKind kind, const QFont& bold)
{
    for (unsigned i = 0; i < table.rowCount(); ++i)
        tree->addTopLevelItem(resultItem(*table.row(i), kind, bold));
}

} // namespace

void MainWindow::showResults()
{
    struct Pair
    {
        StatKind kind;
        QTreeWidget* byValue;
        QTreeWidget* byCount;
    };
    const Pair pairs[] = {
        {FocalLength, ui->treeFocal, ui->treeFocalSorted},
        {FocalLength35mm, ui->treeFocal35, ui->treeFocal35Sorted},
        {Aperture, ui->treeAperture, ui->treeApertureSorted},
        {Iso, ui->treeISO, ui->treeISOSorted},
        {ExposureTime, ui->treeExposure, ui->treeExposureSorted},
        {Camera, ui->treeCamera, ui->treeCameraSorted},
        {Lens, ui->treeLens, ui->treeLensSorted},
        {Year, ui->treeYear, ui->treeYearSorted},
    };
    for (const Pair& pair : pairs) {
        pair.byValue->clear();
        pair.byCount->clear();
    }
    QFont bold;
    bold.setWeight(QFont::Bold);
    for (const Pair& pair : pairs) {
        showInBothOrders(
            results->table(pair.kind),
            [&](const StatTable& t) { fillTree(pair.byValue, t, pair.kind, bold); },
            [&](const StatTable& t) { fillTree(pair.byCount, t, pair.kind, bold); });
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

#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

#include "analysis/entryreader.h"
#include "analysis/makefilter.h"
#include "analysis/modelfilter.h"
#include "analysis/stattable.h"
#include "ui/aboutdialog.h"

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

void MainWindow::on_btnExport_clicked() {}

void MainWindow::on_btnClose_clicked()
{
    stopAnalysis();
    std::exit(0);
}

void MainWindow::on_btnBrowse_clicked() {}

void MainWindow::on_btnStart_clicked() {}

void MainWindow::progressTimer_timeout() {}

void MainWindow::on_btnAbout_clicked()
{
    aboutDialog->show();
}

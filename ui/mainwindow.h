// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_MAINWINDOW_H
#define LENSTALLY_MAINWINDOW_H

#include "core/count/selection.h"
#include "core/count/statkind.h"

#include <QList>
#include <QMainWindow>

#include <memory>

class AboutDialog;
class CountingOptionsBox;
class InsightsTab;
class TableChart;
class QTreeWidget;
class QTreeWidgetItem;
class AnalysisSession;
struct ExportContext;
class Exporter;
class QLabel;
class QPushButton;
class QTimer;
class QLineEdit;
class QMenu;
class QSettings;
class QToolButton;
class FolderList;
struct AnalysisRequest;
struct WindowState;
class SelectionBar;
class QShortcut;

namespace Ui {
class MainWindow;
}

// The program's window: picks the folder, formats and filters, runs one analysis at a
// time in an AnalysisSession, shows the tables twice (by value, by share) and exports them.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Restores what the window had when it last ran from the window's settings, and from
    // now on writes them back when an analysis starts and when the window closes. A
    // damaged or unreadable settings file leaves the defaults.
    void rememberSettings();

protected:
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* event) override;
    // A folder, or a file standing for its folder, dropped from the file manager.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The exporter for a chosen file name, by its ending in any case: the classic page for
    // ".htm", the report page for ".html", CSV for ".csv", JSON for ".json", tab-separated
    // text otherwise.
    virtual std::unique_ptr<Exporter> createExporter(const QString& fileName);
    // The threads that walk the folder and read the pictures: one per core, at most 8.
    virtual int readingJobs() const;

private slots:
    void on_btnExport_clicked();
    void on_btnClose_clicked();
    void on_btnBrowse_clicked();
    void on_btnStart_clicked();
    void progressTimer_timeout();
    // The session's end: the refusal, or the results of a complete or stopped run.
    void analysisFinished();
    void on_btnAbout_clicked();

private:
    // A table's two lists: by value on the left, by share on the right.
    struct TreePair
    {
        StatKind kind;
        QTreeWidget* byValue;
        QTreeWidget* byCount;
    };
    QList<TreePair> treePairs() const;
    // Empties every list.
    void clearResults();
    // Fills the trees from the tables; leaves every table sorted by count.
    void showResults();
    // Adds a chart beside each table's lists and the Insights tab.
    void addInsightViews();
    // Fills the charts and the Insights tab from the tables.
    void showInsights();
    // Shows what became of the files of the last analysis.
    void showOutcomes();
    // The title of a row's list: the table, the value with its unit and the pictures
    // ("Focal Length (35mm) 50 mm: 3 pictures").
    QString rowTitle(StatKind kind, const QString& label, int pictures) const;
    // Lists the pictures counted in a row of a kind's table.
    void showRowPictures(StatKind kind, QTreeWidgetItem* item);
    // Lists every file of the last analysis with its outcome and values.
    void showFileList();
    // Shows Start as "Stop" while an analysis runs, and back.
    void setStartButtonStops(bool stops);
    // Start's What's This: what it does, and the reading cache it uses.
    static QString startWhatsThis();
    // Stops a running analysis and waits for it, so that nothing it uses goes away under it.
    void stopAnalysis();

    // The form as a request: folders, patterns, formats, filters and counting options.
    AnalysisRequest formRequest() const;
    // Fills the form from a request (the reverse of formRequest).
    void setForm(const AnalysisRequest& request);
    // The state to remember, and writing it when the window remembers its settings.
    WindowState windowState() const;
    void saveSettings();
    // Refills the Recent menu from recentFolders.
    void fillRecentMenu();
    // Drilling down: rows chosen in the lists narrow every other table, the charts and the
    // insights to the pictures counted in them.
    // The rows chosen in a list become its table's part of the selection.
    void rowsChosen(StatKind kind, QTreeWidget* tree);
    // Shows the tables, charts and insights for the selection; the lists of the kind that
    // changed keep their rows (they do not depend on their own part).
    void applySelection(int changedKind = -1);
    // Clears the selection: every counted picture again (Show all, Escape).
    void showAllPictures();
    // The table a kind's list, chart and export show: narrowed while rows are chosen.
    const StatTable& shownTable(StatKind kind) const;
    // The last analysis's tables, for the selection to read.
    ConstTableSet fullTables() const;

    Ui::MainWindow* ui;
    AboutDialog* aboutDialog;
    QTimer* progressTimer;
    AnalysisSession* session; // runs the analyses and owns the last result
    QLabel* lblOutcome;       // what became of every file
    QPushButton* btnFiles;    // lists every file with its outcome and values
    CountingOptionsBox* countingOptions;
    InsightsTab* insightsTab;               // the ninth tab: coverage and lens usage
    TableChart* charts[StatKindCount] = {}; // beside each table's lists
    // The request and end of the last analysis, for the exports that tell them.
    std::unique_ptr<ExportContext> lastAnalysis;
    bool stopRequested = false;
    QString resultLine;       // the outcome line of the last analysis, before any export
    QString lastExportFolder; // where the Save dialog opens next
    QString lastExportFilter; // the file type the Save dialog offers first
    FolderList* moreFolders;  // folders analysed beside the folder field's
    QLineEdit* txtExclude;    // patterns of folders and files left out, separated by ";"
    QToolButton* btnRecent;   // the last folder sets analysed
    QToolButton* btnMore;     // shows the further folders and the patterns
    QList<QWidget*> moreRow;  // what btnMore shows
    QMenu* recentMenu;
    QList<QStringList> recentFolders;
    std::unique_ptr<QSettings> settings;           // set once the window remembers its settings
    Selection selection;                           // the rows chosen in the lists
    SelectedPictures selected;                     // the pictures the selection takes
    std::array<StatTable, StatKindCount> narrowed; // each table for the selection
    SelectionBar* selectionBar;
    QShortcut* showAllKey;
    bool refilling = false; // the lists are being refilled: their selection is not the user's
};

#endif

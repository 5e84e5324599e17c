// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_ENTRYREADER_H
#define LENSTALLY_ENTRYREADER_H

#include "analysis/analysisrequest.h"
#include "analysis/pictureanalysis.h"
#include "analysis/statkind.h"

#include <QAtomicInt>
#include <QDeadlineTimer>
#include <QStringList>
#include <QThread>
#include <QVector>

#include <QDate>

#include <functional>
#include <memory>

class AnalysisResult;
class ReadingCache;
struct AnalysisRequest;
class IFilter;
class MakeFilter;
class ModelFilter;
class StatTable;

// The worker thread of an analysis: reads each file's Exif data, asks the filters,
// fills the registered tables and raises the progress counter once per file.
// Configure it before start(); the owner waits for it before touching the tables.
class EntryReader : public QThread
{
public:
    EntryReader();
    ~EntryReader() override;

    // Stores the counter (set to 0 here) and a copy of the absolute file paths.
    void setFiles(QAtomicInt* progress, const QStringList& files);
    // Appends a filter (not owned); filters are asked in the order added.
    void addFilter(IFilter* filter);
    // Registers the table for a kind (not owned); a second call for a kind is ignored.
    void setTable(StatKind kind, StatTable* table);
    // Sets how many threads open and parse the files (1 to 8; default: the cores, at
    // most 8). The tables come out the same for any number.
    void setJobs(int jobs);
    // Sets up the run an analysis request describes: its reading threads, its make and
    // model filters (owned by the reader; for non-empty lists only, the make filter
    // first), its counting options and every table of result, whose outcome counts it
    // fills as it goes.
    void configure(const AnalysisRequest& request, AnalysisResult* result);
    // Makes the run keep which pictures each row of the result's tables counts (call after
    // configure): four bytes per table and picture.
    void keepPictures();
    // Makes the run record every file's outcome and values in the result's fileRecords
    // (call after configure): some 40 bytes per file.
    void keepFileRecords() { keepingFileRecords = true; }
    // Makes run() list the request's files first, on the reader's thread, counting them in
    // found as the walk goes (call after setFiles and configure). The walk stops on
    // interruption like the reading; a refusal ends the run before any file is read.
    void listBeforeReading(const AnalysisRequest& request, QAtomicInt* found);
    // After the run: why the listing refused the analysis (None when it did not, or when
    // the files were given), and the files read or to be read.
    Refusal refusal() const { return listingRefusal; }
    const QStringList& fileList() const { return files; }
    // The number of files to read: -1 while they are being listed.
    int fileTotal() const { return total.loadAcquire(); }
    // The folders the given files were listed from, the chosen one first: with them a
    // complete run drops the cache entries of files that are gone. (A run that lists its
    // own files knows them.)
    void setWalkedFolders(const QStringList& folders) { walkedFolders = folders; }

    // Called on the reader's thread, in list order, for each file that drew library
    // messages, with its path and its messages, each once.
    void setMessageSink(std::function<void(const QString&, const QStringList&)> sink);

    // Waits for run() to return, as QThread::wait() does; afterwards the tables, the
    // filters and the counter belong to the caller again.
    bool wait(QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));
    bool wait(unsigned long milliseconds) { return wait(QDeadlineTimer(qint64(milliseconds))); }

protected:
    // Reads every file, applying each picture to the tables in list order on this thread;
    // stops before the next file when interruption is requested, and computes the
    // percentages only after a complete run.
    void run() override;

private:
    // Reads the files, through the reading cache when one is set; false when stopped.
    bool runFiles(ReadingCache* cache);
    // Opens the reading cache, reads, and leaves the cache up to date.
    bool runWithCache();
    // Gives a file its outcome: to the tables when counted, to the counts, to the sink.
    void apply(int index, PictureOutcome outcome, const PictureValues& values);

    QAtomicInt* progress = nullptr;
    QStringList files;
    TableSet tables{};
    QVector<IFilter*> filters;
    int jobs;
    std::unique_ptr<MakeFilter> makeFilter;
    std::unique_ptr<ModelFilter> modelFilter;
    AnalysisResult* result = nullptr;
    bool listing = false;
    bool keepingPictures = false;
    bool keepingFileRecords = false;
    AnalysisRequest listingRequest;
    QAtomicInt* listingFound = nullptr;
    Refusal listingRefusal = Refusal::None;
    QAtomicInt total{0};
    bool estimate35mm = false;
    bool pairsOnce = false;
    bool dateRange = false;
    QDate takenFrom;
    QDate takenUntil;
    QString cacheFile;
    QStringList extensions;
    QStringList walkedFolders;
    std::function<void(const QString&, const QStringList&)> messageSink;
};

#endif

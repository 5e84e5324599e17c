// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_ENTRYREADER_H
#define LENSTALLY_ENTRYREADER_H

#include "core/count/statkind.h"
#include "core/count/tally.h"
#include "core/session/analysisrequest.h"

#include <QAtomicInt>
#include <QDate>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

class AnalysisResult;
class ReadingCache;
struct AnalysisRequest;
class IFilter;
class MakeFilter;
class ModelFilter;
class StatTable;

// The reading step of an analysis: reads each file's Exif data (through the reading
// cache when one is set), asks the filters, fills the registered tables in list order
// and raises the progress counter once per file. Configure it, then call read().
class EntryReader
{
public:
    EntryReader();
    ~EntryReader();
    EntryReader(const EntryReader&) = delete;
    EntryReader& operator=(const EntryReader&) = delete;

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
    // The folders the given files were listed from, the chosen one first: with them a
    // complete run drops the cache entries of files that are gone.
    void setWalkedFolders(const QStringList& folders) { walkedFolders = folders; }

    // Called on the reader's thread, in list order, for each file that drew library
    // messages, with its path and its messages, each once.
    void setMessageSink(std::function<void(const QString&, const QStringList&)> sink);

    // Reads every file on the calling thread and the reading threads, asking stop between
    // files; computes the percentages of what was counted, also after a stop. False when
    // stop ended it early.
    bool read(const std::function<bool()>& stop);

private:
    // Reads the files, through the reading cache when one is set; false when stopped.
    bool runFiles(ReadingCache* cache, const std::function<bool()>& stop);
    // Opens the reading cache, reads, and leaves the cache up to date.
    bool runWithCache(const std::function<bool()>& stop);
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
    bool keepingPictures = false;
    bool keepingFileRecords = false;
    bool estimate35mm = false;
    ValueRules valueRules;
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

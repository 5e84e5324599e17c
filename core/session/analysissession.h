// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_ANALYSISSESSION_H
#define LENSTALLY_ANALYSISSESSION_H

#include "core/session/analysisrequest.h"
#include "core/session/analysisresult.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QObject>
#include <QStringList>

#include "core/base/workerthreads.h"

#include <atomic>
#include <functional>
#include <memory>

// One analysis as every front end runs it: walks the request's folder, reads and judges
// the pictures and fills the result, on threads of its own; reports the end by a signal,
// stops on request and finishes the result (percentages included) after a stop.
class AnalysisSession : public QObject
{
    Q_OBJECT

public:
    explicit AnalysisSession(QObject* parent = nullptr);
    // Stops a running analysis and waits for it.
    ~AnalysisSession() override;

    // Makes the next runs keep which pictures each row counts (four bytes per table and
    // picture), for listing the pictures of a row.
    void setKeepPictures(bool keep) { keepPictures = keep; }
    // Makes the next runs record every file's outcome and values in the result's
    // fileRecords (some 40 bytes per file), for the list of files.
    void setKeepFileRecords(bool keep) { keepFileRecords = keep; }
    // Called on the session's thread, in list order, for each file that drew library
    // messages, with its path and its messages, each once; set before start().
    void setMessageSink(std::function<void(const QString&, const QStringList&)> sink);

    // Starts the analysis the request describes, clearing the last result; false (and
    // nothing started) while another runs.
    bool start(const AnalysisRequest& request);
    // Asks a running analysis to stop within about one file per thread; finished() follows.
    void stop();
    // Waits up to ms milliseconds (-1: for ever) for the analysis to end; true once it
    // has ended or when none runs. The result belongs to the caller afterwards.
    bool wait(int ms = -1);
    // True from start() until the analysis has ended and been waited for.
    bool isRunning() const { return thread != nullptr; }

    // While it runs, from any thread: files found by the walk so far, the files to read
    // (-1 while the walk runs), and the files read so far.
    int filesFound() const { return found.loadRelaxed(); }
    int fileTotal() const { return total.loadAcquire(); }
    int filesDone() const { return done.loadRelaxed(); }

    // After the end: why the analysis did not start (None when it did), whether a stop
    // ended it early, the request it ran, the files it read in list order, and its result.
    Refusal refusal() const { return refused; }
    bool wasStopped() const { return stopped; }
    const AnalysisRequest& request() const { return lastRequest; }
    const QStringList& files() const { return fileList; }
    AnalysisResult& result() { return analysis; }
    const AnalysisResult& result() const { return analysis; }
    // When the last analysis ended (null while none has).
    QDateTime finishedAt() const { return endTime; }
    // What became of the files, as every front end says it: the counts' summary, with the
    // pair duplicates and the files outside the dates when those options are on; numbers
    // as the locale writes them.
    QString summary(const QLocale& numbers = QLocale::c()) const;
    // After a stop during the reading: "Stopped after 1,234 of 20,000 files; ".
    QString stoppedLine(const QLocale& numbers = QLocale(QLocale::English)) const;

signals:
    // The analysis ended: refused, complete, or stopped. Emitted on the session's thread;
    // a receiver on another thread gets it queued. Call wait() before reading the result.
    void finished();

private:
    void run();

    std::unique_ptr<WorkerThreads> thread; // the one running run(), until waited for
    std::atomic<bool> stopFlag{false};
    std::atomic<bool> ended{false}; // run() has done all but say so
    QAtomicInt found{0};
    QAtomicInt total{0};
    QAtomicInt done{0};
    bool keepPictures = false;
    bool keepFileRecords = false;
    std::function<void(const QString&, const QStringList&)> messageSink;
    AnalysisRequest lastRequest;
    Refusal refused = Refusal::None;
    bool stopped = false;
    QStringList fileList;
    AnalysisResult analysis;
    QDateTime endTime;
};

#endif

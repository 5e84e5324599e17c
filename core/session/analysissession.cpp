// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/analysissession.h"

#include "core/session/entryreader.h"
#include "core/walk/filecollector.h"

#include <QLocale>

#include <chrono>
#include <thread>

AnalysisSession::AnalysisSession(QObject* parent) : QObject(parent) {}

AnalysisSession::~AnalysisSession()
{
    stop();
    wait();
}

void AnalysisSession::setMessageSink(std::function<void(const QString&, const QStringList&)> sink)
{
    messageSink = std::move(sink);
}

bool AnalysisSession::start(const AnalysisRequest& request)
{
    if (thread)
        return false;
    lastRequest = request;
    refused = Refusal::None;
    stopped = false;
    fileList.clear();
    analysis.clear();
    endTime = QDateTime();
    stopFlag.store(false);
    ended.store(false);
    found.storeRelaxed(0);
    done.storeRelaxed(0);
    total.storeRelease(-1);
    thread = std::make_unique<WorkerThreads>(1, [this] { run(); });
    if (thread->size() == 0) {
        // No thread to be had: run here, so that the caller still gets its end.
        thread.reset();
        run();
    }
    return true;
}

void AnalysisSession::stop()
{
    stopFlag.store(true, std::memory_order_relaxed);
}

bool AnalysisSession::wait(int ms)
{
    if (!thread)
        return true;
    // finished() is the thread's last act: a thread that said so is about to return.
    // Without a signal to go by, a short sleep per poll keeps the wait cheap.
    if (ms >= 0) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!ended.load(std::memory_order_acquire)) {
            if (std::chrono::steady_clock::now() >= until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(ms < 10 ? ms : 10));
        }
    }
    thread.reset();
    return true;
}

QString AnalysisSession::summary(const QLocale& numbers) const
{
    return analysis.outcomes.summary(lastRequest.pairsOnce, lastRequest.hasDateRange(), numbers);
}

QString AnalysisSession::stoppedLine(const QLocale& numbers) const
{
    return QStringLiteral("Stopped after %1 of %2 files; ")
        .arg(numbers.toString(filesDone()), numbers.toString(fileTotal()));
}

void AnalysisSession::run()
{
    const std::function<bool()> stopRequested = [this] {
        return stopFlag.load(std::memory_order_relaxed);
    };
    WalkWatch watch;
    watch.found = &found;
    watch.stop = stopRequested;
    FileListing listing;
    refused = listRequestFiles(lastRequest, &listing, &watch);
    if (refused == Refusal::None && !stopRequested()) {
        fileList = listing.files;
        analysis.unlistedFolders = listing.unlistedFolders;
        analysis.leftOutFolders = listing.leftOutFolders;
        analysis.leftOutFiles = listing.leftOutFiles;
        total.storeRelease(int(fileList.size()));
        EntryReader reader;
        reader.setFiles(&done, fileList);
        reader.setWalkedFolders(listing.walkedFolders);
        reader.configure(lastRequest, &analysis);
        if (keepPictures)
            reader.keepPictures();
        if (keepFileRecords)
            reader.keepFileRecords();
        if (messageSink)
            reader.setMessageSink(messageSink);
        stopped = !reader.read(stopRequested);
    } else {
        stopped = stopRequested();
    }
    endTime = QDateTime::currentDateTime();
    ended.store(true, std::memory_order_release);
    emit finished();
}

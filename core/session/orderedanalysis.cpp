// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/orderedanalysis.h"

#include "core/base/workerthreads.h"
#include "core/cache/readingcache.h"
#include "core/read/exifaccess.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

constexpr int kMaxJobs = 8;
// Files a thread claims and hands back at once: one lock and wake-up per batch, not
// per file, which on two busy cores costs more than the second core gains.
constexpr int kBatch = 16;
// With the reading cache most files cost a stat and a share of a query: bigger batches
// spare locks, wake-ups and queries.
constexpr int kCachedBatch = 64;
// Batches a thread may have finished ahead of the consumer.
constexpr int kAheadPerJob = 2;

struct Result
{
    PictureOutcome outcome = PictureOutcome::Unreadable;
    PictureValues values;
};

// Reads files[first, last) into results, from the cache where it can; asks abandon before
// each file it reads and returns false when it said so.
bool readRange(const QStringList& files, int first, int last, const QVector<IFilter*>& filters,
               ReadingCache* cache, const std::function<bool()>& abandon,
               std::vector<Result>* results)
{
    results->resize(size_t(last - first));
    if (cache) {
        // The cache answers for the files it knows; the others are read here and kept.
        ReadingCache::Batch batch;
        if (!cache->lookUp(files, first, last, &batch, abandon))
            return false;
        for (size_t i = 0; i < batch.readings.size(); ++i) {
            if (batch.hits[i])
                continue;
            if (abandon())
                return false;
            batch.readings[i] = readFile(files[first + int(i)]);
        }
        cache->store(files, first, batch);
        for (int i = first; i < last; ++i) {
            Result& result = (*results)[size_t(i - first)];
            result.outcome =
                judgeReading(batch.readings[size_t(i - first)], filters, &result.values);
        }
        return true;
    }
    for (int i = first; i < last; ++i) {
        if (abandon())
            return false;
        Result& result = (*results)[size_t(i - first)];
        result.outcome = analyseFile(files[i], filters, &result.values);
    }
    return true;
}

struct Batch
{
    bool ready = false;
    std::vector<Result> results;
};

// The consumer waits at most this long for a batch before it asks stop() again.
constexpr std::chrono::milliseconds kStopPoll(20);

// Batches of files are claimed in list order and their results parked in a ring, which
// the consumer empties in the same order. The consumer's thread is one of the reading
// threads: while the batch it needs next is still being read elsewhere, it reads the
// next unclaimed batch itself. So `jobs` threads read in all, and on a machine with
// `jobs` cores no core is shared by a reader and a mostly idle consumer that wakes
// once per batch.
class OrderedPool
{
public:
    OrderedPool(const QStringList& files, const QVector<IFilter*>& filters, int jobs,
                const std::function<bool()>& stop, ReadingCache* cache)
        : files(files), filters(filters), stop(stop), cache(cache),
          ring(size_t(jobs * kAheadPerJob)), batchSize(cache ? kCachedBatch : kBatch),
          batchCount((int(files.size()) + batchSize - 1) / batchSize),
          // Fewer when the system has no more to give: the consumer reads what is left.
          workers(jobs - 1, [this] { work(); })
    {
    }

    ~OrderedPool()
    {
        stopRequested.store(true, std::memory_order_relaxed); // drop half-read batches
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        spaceFree.notify_all();
        // The workers are joined as the last members go, before the ring and the lock.
    }

    // Hands out the result of file index; indexes are taken in order from 0. False when
    // stop() asked to end while this thread waited for or read a batch.
    bool take(int index, PictureOutcome* outcome, PictureValues* values)
    {
        const int batch = index / batchSize;
        if (batch != heldBatch && !fetch(batch))
            return false;
        Result& result = held[size_t(index % batchSize)];
        *outcome = result.outcome;
        *values = std::move(result.values);
        return true;
    }

private:
    // Makes batch the held one, reading other batches meanwhile where there is room.
    bool fetch(int batch)
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            Batch& slot = ring[size_t(batch) % ring.size()];
            if (slot.ready) {
                held.swap(slot.results);
                slot.ready = false;
                consumed = batch + 1;
                heldBatch = batch;
                lock.unlock();
                spaceFree.notify_all();
                return true;
            }
            if (claimable()) {
                const int mine = next++;
                lock.unlock();
                if (!readBatch(mine, &spare, stop))
                    return false;
                lock.lock();
                park(mine, &spare);
                continue;
            }
            // The batch is being read by another thread.
            resultReady.wait_for(lock, kStopPoll);
            if (!ring[size_t(batch) % ring.size()].ready) {
                lock.unlock();
                if (stop())
                    return false;
                lock.lock();
            }
        }
    }

    void work()
    {
        const std::function<bool()> abandoned = [this] {
            return stopRequested.load(std::memory_order_relaxed);
        };
        std::vector<Result> results;
        for (;;) {
            int batch;
            {
                std::unique_lock<std::mutex> lock(mutex);
                spaceFree.wait(lock,
                               [this] { return stopping || claimable() || next >= batchCount; });
                if (stopping || next >= batchCount)
                    return;
                batch = next++;
            }
            if (!readBatch(batch, &results, abandoned))
                return; // the consumer is gone; the batch is not needed
            {
                std::lock_guard<std::mutex> lock(mutex);
                park(batch, &results);
            }
            resultReady.notify_one();
        }
    }

    // True when another batch may be read: one is left, and its slot is free. Under the lock.
    bool claimable() const { return next < batchCount && next - consumed < int(ring.size()); }

    // Analyses the files of a batch, asking `abandon` before each; false when it said so.
    bool readBatch(int batch, std::vector<Result>* results, const std::function<bool()>& abandon)
    {
        const int first = batch * batchSize;
        const int last = std::min(int(files.size()), first + batchSize);
        return readRange(files, first, last, filters, cache, abandon, results);
    }

    // Puts a read batch into its slot. Under the lock.
    void park(int batch, std::vector<Result>* results)
    {
        Batch& slot = ring[size_t(batch) % ring.size()];
        slot.results.swap(*results);
        slot.ready = true;
    }

    const QStringList& files;
    const QVector<IFilter*>& filters;
    const std::function<bool()>& stop; // the consumer's; asked on its thread only
    ReadingCache* const cache;
    std::vector<Batch> ring;
    const int batchSize;
    const int batchCount;
    std::mutex mutex;
    std::condition_variable resultReady;
    std::condition_variable spaceFree;
    std::atomic<bool> stopRequested{false}; // read between files, without the lock
    int next = 0;                           // the next batch to be claimed
    int consumed = 0;                       // batches handed to the consumer so far
    bool stopping = false;
    // The consumer's own: the batch it is handing out, and room for one it reads.
    std::vector<Result> held;
    std::vector<Result> spare;
    int heldBatch = -1;
    WorkerThreads workers; // last: started once everything above is set up
};

} // namespace

int defaultJobCount()
{
    return std::clamp(QThread::idealThreadCount(), 1, kMaxJobs);
}

bool analyseInOrder(const QStringList& files, const QVector<IFilter*>& filters, int jobs,
                    const std::function<bool()>& stop,
                    const std::function<void(PictureOutcome, const PictureValues&)>& consume,
                    ReadingCache* cache)
{
    jobs = std::clamp(jobs, 1, kMaxJobs);
    if (jobs == 1 || files.size() <= kBatch) {
        // A batch at a time, so that the cache looks files up together; the consumer still
        // gets each file as soon as it is read when there is no cache.
        const int step = cache ? kCachedBatch : 1;
        std::vector<Result> results;
        for (int first = 0; first < files.size(); first += step) {
            const int last = std::min(int(files.size()), first + step);
            if (stop() || !readRange(files, first, last, filters, cache, stop, &results))
                return false;
            for (Result& result : results)
                consume(result.outcome, result.values);
        }
        return true;
    }

    exif::prepareForThreads();
    OrderedPool pool(files, filters, jobs, stop, cache);
    for (int i = 0; i < files.size(); ++i) {
        PictureOutcome outcome;
        PictureValues values;
        if (stop() || !pool.take(i, &outcome, &values))
            return false;
        consume(outcome, values);
    }
    return true;
}

#include "analysis/orderedanalysis.h"

#include "analysis/exifaccess.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int kMaxJobs = 8;
// Files a thread claims and hands back at once: one lock and wake-up per batch, not
// per file, which on two busy cores costs more than the second core gains.
constexpr int kBatch = 16;
// Batches a thread may have finished ahead of the consumer.
constexpr int kAheadPerJob = 2;

struct Result
{
    PictureOutcome outcome = PictureOutcome::Unreadable;
    PictureValues values;
};

struct Batch
{
    bool ready = false;
    std::vector<Result> results;
};

// Workers claim batches of files in list order and park their results in a ring;
// the consumer takes the batches back in the same order.
class OrderedPool
{
public:
    OrderedPool(const QStringList& files, const QVector<IFilter*>& filters, int jobs)
        : files(files), filters(filters), ring(size_t(jobs * kAheadPerJob)),
          batchCount((int(files.size()) + kBatch - 1) / kBatch)
    {
        for (int i = 0; i < jobs; ++i)
            threads.emplace_back([this] { work(); });
    }

    ~OrderedPool()
    {
        stopRequested.store(true, std::memory_order_relaxed); // drop half-read batches
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        spaceFree.notify_all();
        for (std::thread& t : threads)
            t.join();
    }

    // Hands out the result of file index; indexes are taken in order from 0.
    void take(int index, PictureOutcome* outcome, PictureValues* values)
    {
        const int batch = index / kBatch;
        if (batch != heldBatch) {
            std::unique_lock<std::mutex> lock(mutex);
            Batch& slot = ring[size_t(batch) % ring.size()];
            resultReady.wait(lock, [&slot] { return slot.ready; });
            held.swap(slot.results);
            slot.ready = false;
            consumed = batch + 1;
            heldBatch = batch;
            lock.unlock();
            spaceFree.notify_all();
        }
        Result& result = held[size_t(index % kBatch)];
        *outcome = result.outcome;
        *values = std::move(result.values);
    }

private:
    void work()
    {
        std::vector<Result> results;
        for (;;) {
            int batch;
            {
                std::unique_lock<std::mutex> lock(mutex);
                spaceFree.wait(lock, [this] {
                    return stopping || next >= batchCount || next - consumed < int(ring.size());
                });
                if (stopping || next >= batchCount)
                    return;
                batch = next++;
            }
            const int first = batch * kBatch;
            const int last = std::min(int(files.size()), first + kBatch);
            results.resize(size_t(last - first));
            for (int i = first; i < last; ++i) {
                if (stopRequested.load(std::memory_order_relaxed))
                    return; // the consumer is gone; the batch is not needed
                Result& result = results[size_t(i - first)];
                result.outcome = analyseFile(files[i], filters, &result.values);
            }
            {
                std::lock_guard<std::mutex> lock(mutex);
                Batch& slot = ring[size_t(batch) % ring.size()];
                slot.results.swap(results);
                slot.ready = true;
            }
            resultReady.notify_one();
        }
    }

    const QStringList& files;
    const QVector<IFilter*>& filters;
    std::vector<Batch> ring;
    const int batchCount;
    std::vector<std::thread> threads;
    std::mutex mutex;
    std::condition_variable resultReady;
    std::condition_variable spaceFree;
    std::atomic<bool> stopRequested{false}; // read between files, without the lock
    int next = 0;                           // the next batch a worker claims
    int consumed = 0;                       // batches handed to the consumer so far
    bool stopping = false;
    // The consumer's own: the batch it is handing out.
    std::vector<Result> held;
    int heldBatch = -1;
};

} // namespace

int defaultJobCount()
{
    return std::clamp(QThread::idealThreadCount(), 1, kMaxJobs);
}

bool analyseInOrder(const QStringList& files, const QVector<IFilter*>& filters, int jobs,
                    const std::function<bool()>& stop,
                    const std::function<void(PictureOutcome, const PictureValues&)>& consume)
{
    jobs = std::clamp(jobs, 1, kMaxJobs);
    if (jobs == 1 || files.size() <= kBatch) {
        for (const QString& path : files) {
            if (stop())
                return false;
            PictureValues values;
            const PictureOutcome outcome = analyseFile(path, filters, &values);
            consume(outcome, values);
        }
        return true;
    }

    exif::prepareForThreads();
    OrderedPool pool(files, filters, jobs);
    for (int i = 0; i < files.size(); ++i) {
        if (stop())
            return false;
        PictureOutcome outcome;
        PictureValues values;
        pool.take(i, &outcome, &values);
        consume(outcome, values);
    }
    return true;
}

#include "analysis/orderedanalysis.h"

#include "analysis/exifaccess.h"

#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int kMaxJobs = 8;
// Results a thread may have finished ahead of the consumer.
constexpr int kAheadPerJob = 4;

struct Slot
{
    bool ready = false;
    PictureOutcome outcome = PictureOutcome::Unreadable;
    PictureValues values;
};

// Workers claim files in list order and park each result in a ring of ring;
// the consumer takes the ring back in the same order.
class OrderedPool
{
public:
    OrderedPool(const QStringList& files, const QVector<IFilter*>& filters, int jobs)
        : files(files), filters(filters), ring(size_t(jobs * kAheadPerJob))
    {
        for (int i = 0; i < jobs; ++i)
            threads.emplace_back([this] { work(); });
    }

    ~OrderedPool()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        spaceFree.notify_all();
        for (std::thread& t : threads)
            t.join();
    }

    // Waits for the result of file index (taken in order) and hands it out.
    void take(int index, PictureOutcome* outcome, PictureValues* values)
    {
        std::unique_lock<std::mutex> lock(mutex);
        Slot& slot = ring[size_t(index) % ring.size()];
        resultReady.wait(lock, [&slot] { return slot.ready; });
        *outcome = slot.outcome;
        *values = std::move(slot.values);
        slot.ready = false;
        consumed = index + 1;
        lock.unlock();
        spaceFree.notify_all();
    }

private:
    void work()
    {
        for (;;) {
            int index;
            {
                std::unique_lock<std::mutex> lock(mutex);
                spaceFree.wait(lock, [this] {
                    return stopping || next >= files.size() || next - consumed < int(ring.size());
                });
                if (stopping || next >= files.size())
                    return;
                index = next++;
            }
            PictureValues values;
            const PictureOutcome outcome = analyseFile(files[index], filters, &values);
            {
                std::lock_guard<std::mutex> lock(mutex);
                Slot& slot = ring[size_t(index) % ring.size()];
                slot.outcome = outcome;
                slot.values = std::move(values);
                slot.ready = true;
            }
            resultReady.notify_all();
        }
    }

    const QStringList& files;
    const QVector<IFilter*>& filters;
    std::vector<Slot> ring;
    std::vector<std::thread> threads;
    std::mutex mutex;
    std::condition_variable resultReady;
    std::condition_variable spaceFree;
    int next = 0;     // the next file a worker claims
    int consumed = 0; // files handed to the consumer so far
    bool stopping = false;
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
    if (jobs == 1 || files.size() < 2) {
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

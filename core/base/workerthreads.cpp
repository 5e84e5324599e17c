// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/base/workerthreads.h"

#include <system_error>

WorkerThreads::WorkerThreads(int count, const std::function<void()>& work)
{
    for (int i = 0; i < count; ++i) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break; // no more threads to be had: the work goes on with those started
        }
    }
}

WorkerThreads::~WorkerThreads()
{
    for (std::thread& thread : threads)
        thread.join();
}

void runOnThreads(int jobs, const std::function<void()>& work)
{
    const WorkerThreads helpers(jobs - 1, work);
    work();
}

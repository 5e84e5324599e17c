// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_WORKERTHREADS_H
#define LENSTALLY_WORKERTHREADS_H

// The one way the core runs work in parallel: plain threads that share the work through
// a mutex and condition variables of their caller's, joined before their work goes away.

#include <functional>
#include <thread>
#include <vector>

class WorkerThreads
{
public:
    // Starts count threads (fewer when the system has no more to give), each running work.
    WorkerThreads(int count, const std::function<void()>& work);
    // Waits for every thread to return: the owner has told the work to end before.
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    // How many threads were started.
    int size() const { return int(threads.size()); }

private:
    std::vector<std::thread> threads;
};

// Runs work on jobs threads, the calling one included, and returns when all have returned.
void runOnThreads(int jobs, const std::function<void()>& work);

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "interruption.h"

#include <atomic>
#include <csignal>

namespace {

// Lock-free, so the handler may set it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void onSignal(int)
{
    interrupted.store(true, std::memory_order_relaxed);
}

} // namespace

void installInterruptionHandlers()
{
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Restart interrupted system calls: the run notices the flag at its next poll.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interruptionRequested()
{
    return interrupted.load(std::memory_order_relaxed);
}

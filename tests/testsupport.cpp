// SPDX-License-Identifier: GPL-3.0-or-later
#include "testsupport.h"

#include "core/session/entryreader.h"

#include <chrono>

BackgroundRead::BackgroundRead(EntryReader& reader)
    : thread([this, &reader] {
          completed = reader.read([this] { return stopping.load(); });
          ended.store(true);
      })
{
}

BackgroundRead::~BackgroundRead()
{
    stop();
    thread.join();
}

bool BackgroundRead::wait(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!ended.load()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_TESTSUPPORT_H
#define LENSTALLY_TESTSUPPORT_H

// Helpers shared by the test executables.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <thread>

class EntryReader;

// The end of a program run as a process: its exit status (-1 when it crashed or did not
// end within two minutes) and what it wrote.
struct ProcessRun
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs lenstally-report with the arguments, its standard output going to stdoutFile when
// one is given, and waits for its end.
ProcessRun runReport(const QStringList& arguments, const QString& stdoutFile = QString());

// Writes six JPEGs of two lenses into folder: "Zoom 24-105" at 24 (35 mm 24, f/4), 50 (50,
// f/4), 50 (50, f/5.6) and 105 mm (105, f/8); "Prime 35" at 35 mm (52, f/1.8 and f/2.8).
// The tests work their insights out by hand. False when a write fails.
bool writeInsightPictures(const QString& folder);

// The bytes of a file, or "<missing>" when it cannot be read.
QByteArray fileBytes(const QString& path);

// Runs an EntryReader's read() on a thread of its own, as a session does, so that a test
// can watch its progress and stop it. The destructor stops and joins it.
class BackgroundRead
{
public:
    explicit BackgroundRead(EntryReader& reader);
    ~BackgroundRead();
    BackgroundRead(const BackgroundRead&) = delete;
    BackgroundRead& operator=(const BackgroundRead&) = delete;

    // Asks the read to stop before its next file.
    void stop() { stopping.store(true); }
    // Waits up to ms milliseconds for read() to return; true when it has.
    bool wait(int ms);
    // What read() returned: true for a complete run. Valid after wait() said true.
    bool complete() const { return completed; }

private:
    std::atomic<bool> stopping{false};
    std::atomic<bool> ended{false};
    bool completed = false;
    std::thread thread;
};

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#include "testsupport.h"

#include "core/session/entryreader.h"

#include <QFile>
#include <QProcess>

#include <chrono>

ProcessRun runReport(const QStringList& arguments, const QString& stdoutFile)
{
    QProcess process;
    if (!stdoutFile.isEmpty())
        process.setStandardOutputFile(stdoutFile);
    process.start(QStringLiteral(LENSTALLY_REPORT_PATH), arguments);
    ProcessRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

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

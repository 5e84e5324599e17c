// SPDX-License-Identifier: GPL-3.0-or-later
// lenstally-report: the Lenstally analysis on the command line.

#include "core/read/fastreader.h"
#include "exitstatus.h"
#include "interruption.h"
#include "reportoptions.h"
#include "reportrun.h"

#include "export/exporter.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    installInterruptionHandlers();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lenstally-report"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LENSTALLY_VERSION));

    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);

    ReportOptions options;
    QString text;
    switch (parseReportOptions(QCoreApplication::arguments(), &options, &text)) {
    case ParseResult::Help:
    case ParseResult::Version:
        out.write(text.toUtf8());
        return out.flush() ? ExitOk : ExitWriteFailed;
    case ParseResult::Error:
        err.write(text.toUtf8());
        return ExitUsage;
    case ParseResult::Run:
        break;
    }
    if (options.exiv2Only)
        fastread::setEnabled(false); // before any reading starts

    ReportRun run(options, &out, &err, interruptionRequested);
    run.setShowProgress(!options.quiet && isatty(STDERR_FILENO));
    int status = run.exec();
    // A full disk or a closed pipe shows only when the buffer goes out.
    if (!out.flush() && status == ExitOk) {
        err.write((exportErrorMessage(ExportError::WriteFailed, QStringLiteral("standard output")) +
                   QLatin1Char('\n'))
                      .toUtf8());
        status = ExitWriteFailed;
    }
    return status;
}

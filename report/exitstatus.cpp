// SPDX-License-Identifier: GPL-3.0-or-later
#include "exitstatus.h"

ExitStatus refusalStatus(Refusal refusal)
{
    switch (refusal) {
    case Refusal::None:
        break;
    case Refusal::NoFolder:
        return ExitNoFolder;
    case Refusal::InvalidFolder:
        return ExitInvalidFolder;
    case Refusal::UnreadableFolder:
        return ExitUnreadableFolder;
    case Refusal::NoFiles:
        return ExitNoFiles;
    }
    return ExitOk;
}

QString exitStatusHelp()
{
    struct Line
    {
        int status;
        QString meaning;
    };
    const Line lines[] = {
        {ExitOk, QStringLiteral("the report was written")},
        {ExitUsage, QStringLiteral("wrong command line")},
        {ExitNoFolder, refusalMessage(Refusal::NoFolder)},
        {ExitInvalidFolder, refusalMessage(Refusal::InvalidFolder)},
        {ExitNoFiles, refusalMessage(Refusal::NoFiles)},
        {ExitOpenFailed, QStringLiteral("Could not open an export file")},
        {ExitWriteFailed, QStringLiteral("Could not write an export file or standard output")},
        {ExitUnreadableFolder, refusalMessage(Refusal::UnreadableFolder)},
        {ExitInterrupted,
         QStringLiteral("interrupted (SIGINT or SIGTERM); no export file is left")},
    };
    QString text = QStringLiteral("\nExit status:\n");
    for (const Line& line : lines)
        text += QStringLiteral("  %1%2\n").arg(line.status, -5).arg(line.meaning);
    return text;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_EXITSTATUS_H
#define LENSTALLY_EXITSTATUS_H

#include "core/session/analysisrequest.h"

#include <QString>

// The exit statuses of lenstally-report; each failure has its own, as --help lists.
enum ExitStatus
{
    ExitOk = 0,
    ExitUsage = 2,            // unknown option, missing option value, too many folders
    ExitNoFolder = 3,         // "No folder was specified"
    ExitInvalidFolder = 4,    // "Invalid Folder"
    ExitNoFiles = 5,          // "No files were found"
    ExitOpenFailed = 6,       // "Could not open " + file
    ExitWriteFailed = 7,      // "Could not write " + file
    ExitUnreadableFolder = 8, // the folder exists but cannot be listed
    ExitInterrupted = 130,    // SIGINT or SIGTERM
};

// The status of a refusal to start (ExitOk for none).
ExitStatus refusalStatus(Refusal refusal);

// The "Exit status:" section of --help, one line per status.
QString exitStatusHelp();

#endif

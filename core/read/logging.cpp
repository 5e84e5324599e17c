// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read/logging.h"

// The per-file line is debug output; reading a hundred thousand files should not
// print a hundred thousand lines unless asked to.
Q_LOGGING_CATEGORY(lcReader, "lenstally.reader", QtInfoMsg)
// Exiv2 warns about almost every damaged or unusual file, naming none: the analysis counts
// those messages per file instead, and the category stays off unless enabled (they arrive as
// warnings).
Q_LOGGING_CATEGORY(lcExiv2, "lenstally.exiv2", QtCriticalMsg)

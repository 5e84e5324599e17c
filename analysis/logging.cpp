#include "analysis/logging.h"

// The per-file line is debug output; reading a hundred thousand files should not
// print a hundred thousand lines unless asked to.
Q_LOGGING_CATEGORY(lcReader, "lenstally.reader", QtInfoMsg)
Q_LOGGING_CATEGORY(lcExiv2, "lenstally.exiv2", QtWarningMsg)

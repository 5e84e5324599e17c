// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_LOGGING_H
#define LENSTALLY_LOGGING_H

#include <QLoggingCategory>

// One debug line per file read ("lenstally.reader"; off unless enabled by QT_LOGGING_RULES).
Q_DECLARE_LOGGING_CATEGORY(lcReader)
// Exiv2's own warnings and errors ("lenstally.exiv2"; off unless enabled).
Q_DECLARE_LOGGING_CATEGORY(lcExiv2)

#endif

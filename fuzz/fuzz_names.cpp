// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary text as make and model fields and a tag text, through the
// name-list parsing and the filters.

#include "fuzzchecks.h"

#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("lenstally.*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString problem = fuzzchecks::checkNames(data, size);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "name check failed: %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}

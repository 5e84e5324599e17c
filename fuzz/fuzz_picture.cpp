// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as one picture, through analysis, tables and every
// exporter.

#include "fuzzchecks.h"

#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Exiv2's complaints about damaged input would drown the fuzzer's own output.
    QLoggingCategory::setFilterRules(QStringLiteral("lenstally.*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString problem = fuzzchecks::checkPicture(data, size);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "picture check failed: %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_EXPORTSECTION_H
#define LENSTALLY_EXPORTSECTION_H

#include "core/count/statkind.h"

#include <QString>

#include <optional>

class StatTable;

// One table of an export: its title, the heading of its value column, the table (not
// owned; it outlives the exporter) and which statistics table it is, when it is one.
struct ExportSection
{
    QString title;
    QString valueHeading;
    StatTable* table = nullptr;
    std::optional<StatKind> kind = std::nullopt;
};

#endif

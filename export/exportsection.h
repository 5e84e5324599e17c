// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_EXPORTSECTION_H
#define LENSTALLY_EXPORTSECTION_H

#include <QString>

class StatTable;

// One table of an export: its title, the heading of its value column, and the table
// (not owned; it outlives the exporter).
struct ExportSection
{
    QString title;
    QString valueHeading;
    StatTable* table = nullptr;
};

#endif

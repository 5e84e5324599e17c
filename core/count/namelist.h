// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_NAMELIST_H
#define LENSTALLY_NAMELIST_H

#include <QStringList>

// The names of a make or model field: separated by "," or ";", runs of spaces made
// one, a space beside a comma dropped, empty names dropped ("Canon; Nikon" -> Canon, Nikon).
QStringList parseNameList(const QString& text);

#endif

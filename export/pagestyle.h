// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_PAGESTYLE_H
#define LENSTALLY_PAGESTYLE_H

// The report page's inline style sheet, a <style> element: readable on a phone, printable.
extern const char pageStyleSheet[];

#endif

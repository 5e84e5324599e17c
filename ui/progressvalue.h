// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_PROGRESSVALUE_H
#define LENSTALLY_PROGRESSVALUE_H

// The progress bar's value, in hundredths of a percent (0 to 10000), after done of total
// files: done * 100 / total * 100, truncated; 10000 once done reaches total, 0 without files.
int progressValue(int done, int total);

#endif

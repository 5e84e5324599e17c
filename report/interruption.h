// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_INTERRUPTION_H
#define LENSTALLY_INTERRUPTION_H

// SIGINT and SIGTERM only raise a flag; the run polls it and stops cleanly.

// Installs the handlers for SIGINT and SIGTERM.
void installInterruptionHandlers();

// True once SIGINT or SIGTERM has arrived.
bool interruptionRequested();

#endif

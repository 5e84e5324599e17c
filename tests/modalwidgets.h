// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_MODALWIDGETS_H
#define LENSTALLY_MODALWIDGETS_H

#include <functional>

class QObject;
class QWidget;

// Runs handler on the next modal widget once it is shown (message box, file dialog),
// so that a test can answer a dialog that the code under test opens and waits for.
void onModal(QObject* context, std::function<void(QWidget*)> handler);

#endif

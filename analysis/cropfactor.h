// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_CROPFACTOR_H
#define LENSTALLY_CROPFACTOR_H

#include <QString>

// The crop factor of a camera from its trimmed Exif make and model:
// 2, 1.6, 1.3 or 1 for the bodies it knows, 0 for every other camera.
float cropFactor(const QString& make, const QString& model);

#endif

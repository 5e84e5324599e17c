// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_CROPFACTOR_H
#define LENSTALLY_CROPFACTOR_H

#include <QString>

// The crop factor of a camera from its trimmed Exif make and model:
// 2, 1.6, 1.3 or 1 for the bodies it knows, 0 for every other camera.
float cropFactor(const QString& make, const QString& model);

// What the focal-plane tags say of the sensor, with the picture's size in pixels.
struct FocalPlane
{
    float xResolution = 0; // pixels per unit across
    float yResolution = 0; // 0: as across
    int unit = 0;          // 3 cm, 4 mm, 5 µm; anything else inches
    float width = 0;       // pixels
    float height = 0;
};

// The 35 mm equivalent of focalLength from the sensor size the focal plane gives:
// focalLength x 43.2666 / diagonal in mm, rounded; 0 when the tags are missing, the
// picture's sides differ by a factor of 2 or more, or the diagonal is not within (1, 100) mm.
float focalPlane35mm(float focalLength, const FocalPlane& plane);

#endif

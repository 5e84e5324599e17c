// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_FAKELIBRARY_H
#define LENSTALLY_FAKELIBRARY_H

// The values of a made-up library of pictures, for the benchmarks that need many tables'
// worth of pictures without files.

#include "core/read/picturereading.h"

#include <random>

// The values of one picture from a few thousand cameras and lenses, the common ones far
// more often, as real libraries are; the same generator state gives the same picture.
PictureValues fakePicture(std::mt19937& random);

#endif

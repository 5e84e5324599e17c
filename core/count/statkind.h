// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_STATKIND_H
#define LENSTALLY_STATKIND_H

// The statistics tables; the values fix the order in which tables are filled, finished,
// shown and exported. The first six make the classic exports.
enum StatKind
{
    FocalLength = 0,
    FocalLength35mm = 1,
    Aperture = 2,
    Iso = 3,
    ExposureTime = 4,
    Camera = 5,
    Lens = 6,
    Year = 7,
};

constexpr int StatKindCount = 8;
// The tables of the tab-separated text and the ".htm" page: FocalLength to Camera.
constexpr int ClassicKindCount = 6;

#endif

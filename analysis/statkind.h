#ifndef LENSTALLY_STATKIND_H
#define LENSTALLY_STATKIND_H

// The six statistics tables; the values fix the order in which tables are
// filled, finished, shown and exported.
enum StatKind
{
    FocalLength = 0,
    FocalLength35mm = 1,
    Aperture = 2,
    Iso = 3,
    ExposureTime = 4,
    Camera = 5,
};

constexpr int StatKindCount = 6;

#endif

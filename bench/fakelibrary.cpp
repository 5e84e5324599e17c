// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/fakelibrary.h"

#include <algorithm>

namespace {

// An index from 0 to n - 1, small ones far more often.
int skewed(std::mt19937& random, int n)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double u = unit(random);
    return std::min(n - 1, int(double(n) * u * u * u));
}

} // namespace

PictureValues fakePicture(std::mt19937& random)
{
    static const float exposures[] = {1.0f / 8000, 1.0f / 4000, 1.0f / 2000, 1.0f / 1000,
                                      1.0f / 500,  1.0f / 250,  1.0f / 125,  1.0f / 60,
                                      1.0f / 30,   0.25f,       1.0f,        30.0f};
    PictureValues v;
    const int camera = skewed(random, 2000);
    v.make = QStringLiteral("Make %1").arg(camera % 40);
    v.model = QStringLiteral("Model \"%1\" <Mark %2>").arg(camera).arg(camera % 7);
    v.focalLength = 8.0f + float(skewed(random, 5000)) / 10.0f;
    v.focalLength35mm = float(skewed(random, 2) ? 12 + skewed(random, 800) : 0);
    v.aperture = 1.0f + float(skewed(random, 300)) / 10.0f;
    v.iso = float(50 * (1 + skewed(random, 1000)));
    v.exposureTime = exposures[skewed(random, 12)] * (1.0f + float(skewed(random, 50)) / 50);
    v.lens = skewed(random, 10) == 0 ? QStringLiteral("Unknown")
                                     : QStringLiteral("Lens %1mm f/%2, =ED")
                                           .arg(10 + skewed(random, 3000))
                                           .arg(skewed(random, 8) + 1);
    v.dateText = QStringLiteral("%1:06:01 12:00:00").arg(1990 + skewed(random, 40));
    return v;
}

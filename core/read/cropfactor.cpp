// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read/cropfactor.h"

#include <cmath>

#include <QStringList>

namespace {

bool contains(const QString& text, const char* what)
{
    return text.indexOf(QLatin1String(what), 0, Qt::CaseInsensitive) != -1;
}

bool startsWith(const QString& text, const char* what)
{
    return text.startsWith(QLatin1String(what), Qt::CaseInsensitive);
}

// Canon's full-frame mirrorless bodies: R, RP, and R1/R3/R5/R6/R8 with an optional
// non-digit suffix (R5m2). R7, R10, R50 and R100 are APS-C.
bool isFullFrameCanonR(const QString& word)
{
    if (word.compare(QLatin1String("R"), Qt::CaseInsensitive) == 0 ||
        word.compare(QLatin1String("RP"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.size() < 2 || (word[0] != QLatin1Char('R') && word[0] != QLatin1Char('r')))
        return false;
    if (!QStringLiteral("13568").contains(word[1]))
        return false;
    return word.size() == 2 || !word[2].isDigit();
}

} // namespace

float cropFactor(const QString& make, const QString& model)
{
    if (contains(make, "OLYMPUS") && startsWith(model, "E-"))
        return 2.0f;
    if (!contains(make, "CANON"))
        return 0.0f;
    if (!contains(model, "EOS"))
        return 0.0f;

    // "EOS-1D" is the line name and the number joined: split at hyphens too.
    QString copy = model;
    copy.replace(QLatin1Char('-'), QLatin1Char(' '));
    const QStringList words = copy.split(QLatin1Char(' '), Qt::KeepEmptyParts);
    if (words.size() < 3)
        return 0.0f;

    const QString& body = words[2];
    if (startsWith(body, "5D") || startsWith(body, "1Ds"))
        return 1.0f;
    if (startsWith(body, "1D") && words.size() > 3 && startsWith(words[3], "X"))
        return 1.0f;
    if (startsWith(body, "1D"))
        return 1.3f;
    if (startsWith(body, "6D") || isFullFrameCanonR(body))
        return 1.0f;
    return 1.6f;
}

namespace {

// Millimetres per focal-plane resolution unit.
double unitMillimetres(int unit)
{
    switch (unit) {
    case 3:
        return 10.0;
    case 4:
        return 1.0;
    case 5:
        return 0.001;
    default:
        return 25.4;
    }
}

} // namespace

float focalPlane35mm(float focalLength, const FocalPlane& plane)
{
    const double x = plane.xResolution;
    const double y = plane.yResolution > 0 ? double(plane.yResolution) : x;
    const double width = plane.width;
    const double height = plane.height;
    if (!(focalLength > 0) || !(x > 0) || !(y > 0) || !(width > 0) || !(height > 0))
        return 0;
    const double aspect = width / height;
    if (!(aspect > 0.5 && aspect < 2.0))
        return 0;
    const double mm = unitMillimetres(plane.unit);
    const double diagonal = std::hypot(width / x * mm, height / y * mm);
    if (!(diagonal > 1.0 && diagonal < 100.0))
        return 0;
    return float(std::floor(double(focalLength) * 43.2666 / diagonal + 0.5));
}

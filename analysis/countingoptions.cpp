// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/countingoptions.h"

#include "analysis/filecollector.h"

#include <QHash>
#include <QSet>

#include <cmath>

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

QDate takenOn(const QString& dateText)
{
    if (dateText.size() < 10 || dateText[4] != QLatin1Char(':') || dateText[7] != QLatin1Char(':'))
        return QDate();
    int parts[3] = {0, 0, 0};
    const int starts[3] = {0, 5, 8};
    const int lengths[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p) {
        for (int i = starts[p]; i < starts[p] + lengths[p]; ++i) {
            const QChar c = dateText[i];
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return QDate();
            parts[p] = parts[p] * 10 + (c.unicode() - '0');
        }
    }
    if (parts[0] < 1826 || parts[0] > 2200)
        return QDate();
    return QDate(parts[0], parts[1], parts[2]); // null when no such day
}

bool withinDates(const QDate& day, const QDate& from, const QDate& until)
{
    if (!day.isValid())
        return false;
    return (!from.isValid() || day >= from) && (!until.isValid() || day <= until);
}

std::vector<int> shotNumbers(const QStringList& files)
{
    std::vector<int> numbers;
    numbers.reserve(size_t(files.size()));
    QHash<QString, int> shots;
    for (const QString& path : files) {
        const int slash = int(path.lastIndexOf(QLatin1Char('/')));
        const int dot = int(path.lastIndexOf(QLatin1Char('.')));
        // A name's extension begins at its last dot; a leading dot starts no extension.
        const int end = dot > slash + 1 ? dot : int(path.size());
        const QString key =
            path.left(slash + 1) + path.mid(slash + 1, end - slash - 1).toCaseFolded();
        const auto found = shots.constFind(key);
        if (found != shots.constEnd()) {
            numbers.push_back(found.value());
        } else {
            const int number = int(shots.size());
            shots.insert(key, number);
            numbers.push_back(number);
        }
    }
    return numbers;
}

bool isRawFile(const QString& path)
{
    static const QSet<QString> raw = [] {
        QSet<QString> set;
        for (const QString& ext : pictureExtensions(false, false, true))
            set.insert(ext);
        return set;
    }();
    const int slash = int(path.lastIndexOf(QLatin1Char('/')));
    const int dot = int(path.lastIndexOf(QLatin1Char('.')));
    return dot > slash + 1 && raw.contains(path.mid(dot + 1).toLower());
}

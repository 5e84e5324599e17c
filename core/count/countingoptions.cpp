// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/count/countingoptions.h"

#include "core/walk/filecollector.h"

#include <QHash>
#include <QSet>

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

// SPDX-License-Identifier: GPL-3.0-or-later
// The share of a tree's pictures the fast reader takes. bench-fastshare FOLDER prints the
// files walked, the files it took, and per extension the same.

#include "core/base/fsname.h"
#include "core/read/fastreader.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QMap>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    QMap<QString, QPair<int, int>> byExtension; // walked, taken
    int walked = 0;
    int taken = 0;
    QDirIterator it(QString::fromLocal8Bit(argv[1]), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        PictureReading reading;
        const bool fast = fastread::readFile(fsname::encode(path), &reading);
        auto& counts = byExtension[QFileInfo(path).suffix().toLower()];
        ++counts.first;
        ++walked;
        if (fast) {
            ++counts.second;
            ++taken;
        }
    }
    std::printf("%d files, %d taken by the fast reader (%.1f %%)\n", walked, taken,
                walked ? 100.0 * taken / walked : 0.0);
    for (auto i = byExtension.cbegin(); i != byExtension.cend(); ++i)
        std::printf("  .%s: %d files, %d taken\n", qPrintable(i.key()), i.value().first,
                    i.value().second);
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cache/filestamp.h"

#include "core/base/fsname.h"

#include <QFile>
#include <QStringView>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool stampAt(int folder, const char* name, FileStamp* stamp)
{
    struct stat info;
    if (::fstatat(folder, name, &info, 0) != 0 || !S_ISREG(info.st_mode))
        return false;
    stamp->size = qint64(info.st_size);
    stamp->modified = qint64(info.st_mtim.tv_sec) * 1000000000 + qint64(info.st_mtim.tv_nsec);
    stamp->inode = qint64(info.st_ino);
    stamp->mode = int(info.st_mode & 07777);
    return true;
}

} // namespace

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString nameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

std::vector<FolderRun> folderRuns(const QStringList& files, int first, int last)
{
    std::vector<FolderRun> runs;
    const int count = last - first;
    for (int i = 0; i < count;) {
        const QString& path = files[first + i];
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        const QStringView folder = QStringView(path).left(slash);
        FolderRun run{i, i, folderOf(path), {}};
        for (; run.end < count; ++run.end) {
            const QString& next = files[first + run.end];
            if (next.lastIndexOf(QLatin1Char('/')) != slash ||
                QStringView(next).left(slash) != folder)
                break;
            // A name's bytes are the same for the file system and the database.
            run.names.push_back(fsname::encode(next.mid(slash + 1)));
        }
        i = run.end;
        runs.push_back(std::move(run));
    }
    return runs;
}

void stampRun(const QStringList& files, int first, const FolderRun& run, FileStamp* stamps,
              char* stamped)
{
    // One handle on the folder spares the kernel the walk along the path for each file.
    const int folder =
        ::open(fsname::encode(run.folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (int k = run.begin; k < run.end; ++k) {
        const QByteArray& name = run.names[size_t(k - run.begin)];
        stamped[k] = folder >= 0 ? stampAt(folder, name.constData(), &stamps[k])
                                 : stampAt(AT_FDCWD, fsname::encode(files[first + k]).constData(),
                                           &stamps[k]);
    }
    if (folder >= 0)
        ::close(folder);
}

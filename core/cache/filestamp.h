// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_FILESTAMP_H
#define LENSTALLY_FILESTAMP_H

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// What tells one version of a file from another without reading it.
struct FileStamp
{
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds since the epoch
    qint64 inode = 0;
    int mode = 0; // permission bits: a change may make a file unreadable, or readable again
};

// Files of one folder that follow each other in a list.
struct FolderRun
{
    int begin = 0; // indexes from the first file of the batch
    int end = 0;
    QString folder;                // as the list names it
    std::vector<QByteArray> names; // the files' names, as the file system spells them
};

// The folder part of a path ("/" for a file at the root).
QString folderOf(const QString& path);

// The name part of a path.
QString nameOf(const QString& path);

// Splits files[first, last) into runs of files of one folder, in list order.
std::vector<FolderRun> folderRuns(const QStringList& files, int first, int last);

// Stamps the run's files through one handle on their folder (links followed); stamped[k]
// is 0 where a file is gone or not a regular file. Indexes as in the run.
void stampRun(const QStringList& files, int first, const FolderRun& run, FileStamp* stamps,
              char* stamped);

#endif

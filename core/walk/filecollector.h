// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_FILECOLLECTOR_H
#define LENSTALLY_FILECOLLECTOR_H

#include <QAtomicInt>
#include <QStringList>

#include <functional>

// The lower-case extensions (without dot) of the ticked formats: JPEG, TIFF, RAW, then
// HEIF (HEIC and AVIF included).
QStringList pictureExtensions(bool jpeg, bool tiff, bool raw, bool heif = false);

// How a caller follows a walk: found counts the matching files listed so far; stop is
// asked before each folder, and once it says true the walk ends with what it has.
struct WalkWatch
{
    QAtomicInt* found = nullptr;
    std::function<bool()> stop;
};

// The absolute paths of the files below folder whose suffix is one of extensions,
// ignoring case: the folder's own files first, then each non-hidden subfolder's, at
// any depth, one folder after the other; within a folder by name, ignoring case.
// Hidden files are taken; hidden folders are skipped; a symbolic link to a folder has
// its own files listed but is not descended into. A file reached twice through links is
// listed once, at its first place (hard links stay separate files). Folders are read on
// `jobs` threads (the calling one included); the list is the same for any number. The
// folders that could not be listed go to unlisted, in walk order, when it is given; the
// folders that were listed, the root first, go to walked.
QStringList collectFiles(const QString& folder, const QStringList& extensions, int jobs = 1,
                         QStringList* unlisted = nullptr, const WalkWatch* watch = nullptr,
                         QStringList* walked = nullptr);

// The path with every link, "." and ".." resolved, or "" when it cannot be resolved.
QString canonicalPath(const QString& path);

// The folder's path as collectFiles names it in its list and in unlisted.
QString collectRoot(const QString& folder);

#endif

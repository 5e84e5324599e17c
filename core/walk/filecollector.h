// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_FILECOLLECTOR_H
#define LENSTALLY_FILECOLLECTOR_H

#include "core/walk/exclusion.h"

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

// What a walk of several folders found.
struct FolderWalk
{
    QStringList files;      // each file once, at its first place
    QStringList unlisted;   // the folders that could not be listed, each once
    QStringList walked;     // the folders listed, each chosen one before its subfolders
    int leftOutFolders = 0; // folders the exclusion kept the walk out of
    int leftOutFiles = 0;   // files of the extensions the exclusion did not list
};

// collectFiles over each of folders in turn, leaving out what exclusion names: a file
// reached from two folders (one inside the other, the same one twice, or through links)
// is listed once, at its first place. For one folder and no exclusion, exactly
// collectFiles.
FolderWalk collectFolders(const QStringList& folders, const QStringList& extensions,
                          const WalkExclusion& exclusion, int jobs = 1,
                          const WalkWatch* watch = nullptr);

// The path with every link, "." and ".." resolved, or "" when it cannot be resolved.
QString canonicalPath(const QString& path);

// The folder's path as collectFiles names it in its list and in unlisted.
QString collectRoot(const QString& folder);

#endif

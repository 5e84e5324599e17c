#ifndef LENSTALLY_FILECOLLECTOR_H
#define LENSTALLY_FILECOLLECTOR_H

#include <QStringList>

// The lower-case extensions (without dot) of the ticked formats: JPEG, TIFF, then RAW.
QStringList pictureExtensions(bool jpeg, bool tiff, bool raw);

// The absolute paths of the files below folder whose suffix is one of extensions,
// ignoring case: the folder's own files first, then each non-hidden subfolder's, at
// any depth, one folder after the other; within a folder by name, ignoring case.
// Hidden files are taken; hidden folders are skipped; a symbolic link to a folder has
// its own files listed but is not descended into. Folders are read on `jobs` threads
// (the calling one included); the list is the same for any number.
QStringList collectFiles(const QString& folder, const QStringList& extensions, int jobs = 1);

#endif

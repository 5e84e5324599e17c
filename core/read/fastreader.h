// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_FASTREADER_H
#define LENSTALLY_FASTREADER_H

// A reader of our own for the layouts of nearly every modern picture: JPEG with an Exif
// segment, TIFF and the RAW files that are TIFF at their start (CR2 and ORF included), and
// the ISO base media files (HEIF, HEIC, AVIF, CR3). It reads IFD0 and the Exif IFD for the
// tags the reading rules ask for, and gives what the Exiv2 path gives, or declines.

#include "core/read/picturereading.h"

#include <QByteArray>

#include <cstddef>

namespace fastread {

// Whether readFile tries the fast reader first: yes unless setEnabled(false) was called or
// the environment variable LENSTALLY_EXIV2_ONLY is set to something other than "" or "0".
bool enabled();
// Sets that for the whole process; call before reading starts.
void setEnabled(bool on);

// Reads the picture file at nativePath as readFile would, without messages. False, with
// *reading unchanged, when the reader declines: the file is not one it fully understands.
bool readFile(const QByteArray& nativePath, PictureReading* reading);

// The same for a picture held in memory.
bool readBuffer(const unsigned char* data, std::size_t size, PictureReading* reading);

} // namespace fastread

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_PICTUREFILE_H
#define LENSTALLY_PICTUREFILE_H

// The bytes of a picture file, read with plain system calls before Exiv2 sees them: a
// FIFO, device or sparse giant never reaches it, and a big file is read only where asked.

#include <QByteArray>
#include <QtGlobal>

namespace picturefile {

// True when the file at nativePath may be a picture (a regular file, links followed, not
// a big one that is mostly holes), with its size in *size.
bool statPicture(const QByteArray& nativePath, long long* size);

// Reads the first size bytes of a file (fewer if it shrank); false on any failure.
bool readWhole(const QByteArray& nativePath, long long size, QByteArray* bytes);

// A file open for reading by offset, closed when it goes. Opening never blocks, so a
// FIFO put in a file's place since its stat cannot hang the reader.
class File
{
public:
    explicit File(const QByteArray& nativePath);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return fd >= 0; }
    // Reads up to length bytes at offset into *bytes (fewer at the end); false on an error.
    bool readAt(qint64 offset, qint64 length, QByteArray* bytes) const;

private:
    int fd;
};

} // namespace picturefile

#endif

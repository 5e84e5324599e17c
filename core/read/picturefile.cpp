// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read/picturefile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace picturefile {

bool statPicture(const QByteArray& nativePath, long long* size)
{
    struct stat info;
    if (::stat(nativePath.constData(), &info) != 0)
        return false;
    // Exiv2 would block for ever opening a FIFO, and a device or socket is no picture.
    if (!S_ISREG(info.st_mode))
        return false;
    // A big file that is mostly holes was never written as a picture; Exiv2 would spend
    // half a minute scanning 4 GiB of zeros behind a JPEG marker. Compressing file
    // systems store real pictures in far more than an eighth of their size.
    constexpr long long kSparseCheckFrom = 64LL * 1024 * 1024;
    *size = info.st_size;
    const long long allocated = static_cast<long long>(info.st_blocks) * 512;
    return !(*size > kSparseCheckFrom && allocated < *size / 8);
}

File::File(const QByteArray& nativePath)
    : fd(::open(nativePath.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY))
{
}

File::~File()
{
    if (fd >= 0)
        ::close(fd);
}

bool File::readAt(qint64 offset, qint64 length, QByteArray* bytes) const
{
    bytes->resize(qsizetype(length));
    qint64 done = 0;
    while (done < length) {
        const ssize_t got =
            ::pread(fd, bytes->data() + done, size_t(length - done), off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        done += got;
    }
    bytes->truncate(qsizetype(done));
    return true;
}

bool readWhole(const QByteArray& nativePath, long long size, QByteArray* bytes)
{
    // Plain system calls: open, read, close, where QFile would add three fstat calls.
    const File file(nativePath);
    return file.isOpen() && file.readAt(0, size, bytes);
}

} // namespace picturefile

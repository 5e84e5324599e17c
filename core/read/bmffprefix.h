// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_BMFFPREFIX_H
#define LENSTALLY_BMFFPREFIX_H

// ISO base media files (HEIF, HEIC, AVIF, CR3) hold their metadata in a few boxes near the
// start and the picture in a big "mdat" box. Exiv2 copies every box it meets, nested ones
// again at every level, and trusts their sizes; so these files reach it as the part it
// needs, after a bounded walk over their box structure.

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <functional>
#include <vector>

namespace bmff {

// True when a file beginning with these bytes is read by Exiv2 as an ISO base media file:
// "ftyp" at offset 4 with a brand other than QuickTime's "qt  ", or a JPEG XL container.
bool isBmff(const char* head, std::size_t size);

// True when Exiv2 would take a file beginning with these bytes for a QuickTime or MP4 video
// (a movie atom at offset 4, not an ISO base media picture). Its video reader can spin for
// ever on a damaged one, and a video is no picture: such files are not read.
bool isVideo(const char* head, std::size_t size);

// Reads up to length bytes at offset (fewer only at the end of the file); false on error.
using ReadAt = std::function<bool(qint64 offset, qint64 length, QByteArray* bytes)>;

// The bytes of a file of fileSize bytes that Exiv2 0.27 reads the same metadata from as
// from the whole file: the boxes up to the last one it reads something from (and what it
// reads past them), then an "mdat" box with the Exif and XMP items that lay beyond them,
// their offsets changed to match. False when the box structure is damaged (a size of 0,
// below its header or beyond its parent, containers nested over 8 deep or over 16 MiB,
// an item over 16 MiB or past the end of the file, metadata beyond the first 256 MiB,
// more than 65,536 boxes, a read past the kept boxes into one over 16 MiB), when Exiv2
// fails on it as a whole, or when a read fails.
bool metadataPrefix(qint64 fileSize, const ReadAt& readAt, QByteArray* prefix);

// A stretch of the file Exiv2 parses as TIFF data, in the order it parses them.
struct TiffPlace
{
    enum Kind
    {
        ExifItem, // the Exif item of a meta box: Exiv2 hunts for "II" or "MM" in it
        Cmt1,     // Canon's CMT boxes: IFD0, the Exif IFD, maker notes, GPS
        Cmt2,
        Cmt3,
        Cmt4,
        Other, // a top-level "Exif" box, or a CMT box Exiv2 reads past its end
    };
    Kind kind = Other;
    qint64 offset = 0;
    qint64 length = 0;
};

// As metadataPrefix, also giving where Exiv2 finds TIFF data in the file.
bool metadataPrefix(qint64 fileSize, const ReadAt& readAt, QByteArray* prefix,
                    std::vector<TiffPlace>* places);

} // namespace bmff

#endif

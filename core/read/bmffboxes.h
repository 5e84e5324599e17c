// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_BMFFBOXES_H
#define LENSTALLY_BMFFBOXES_H

// The boxes of ISO base media files as Exiv2 0.27 reads them: their types, headers and the
// limits of the box walker.

#include <QtGlobal>

namespace bmff {

inline constexpr quint32 fourCC(const char (&t)[5])
{
    return quint32(quint8(t[0])) << 24 | quint32(quint8(t[1])) << 16 | quint32(quint8(t[2])) << 8 |
           quint32(quint8(t[3]));
}

constexpr quint32 kFtyp = fourCC("ftyp");
constexpr quint32 kMoov = fourCC("moov");
constexpr quint32 kMeta = fourCC("meta");
constexpr quint32 kIprp = fourCC("iprp");
constexpr quint32 kIpco = fourCC("ipco");
constexpr quint32 kIinf = fourCC("iinf");
constexpr quint32 kInfe = fourCC("infe");
constexpr quint32 kIloc = fourCC("iloc");
constexpr quint32 kIspe = fourCC("ispe");
constexpr quint32 kColr = fourCC("colr");
constexpr quint32 kUuid = fourCC("uuid");
constexpr quint32 kExif = fourCC("Exif");
constexpr quint32 kXml = fourCC("xml ");
constexpr quint32 kCmt1 = fourCC("CMT1");
constexpr quint32 kCmt2 = fourCC("CMT2");
constexpr quint32 kCmt3 = fourCC("CMT3");
constexpr quint32 kCmt4 = fourCC("CMT4");
constexpr quint32 kThmb = fourCC("THMB");
constexpr quint32 kPrvw = fourCC("PRVW");
constexpr quint32 kFree = fourCC("free");

inline const char kCanonUuid[] = "\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48";
inline const char kPreviewUuid[] =
    "\xea\xf4\x2b\x5e\x1c\x98\x4b\x88\xb9\xfb\xb7\xdc\x40\x6e\x4d\x16";
inline const char kXmpUuid[] = "\xbe\x7a\xcf\xcb\x97\xa9\x42\xe8\x9c\x71\x99\x94\x91\xe3\xaf\xac";

constexpr int kMaxDepth = 8;
constexpr qint64 kMaxContainer = 16 * 1024 * 1024;
constexpr int kMaxBoxes = 65536;
constexpr qint64 kMaxPrefix = 256 * 1024 * 1024;
constexpr qint64 kHeaderRead = 32; // a 64-bit size header and a uuid
// Exiv2 reads up to this far past the end of a box: an XMP uuid box's text (by its whole
// size, from behind the uuid), a CMT box with a 64-bit size, a small uuid box's name.
constexpr qint64 kOverrun = 32;
// Exiv2 tells an XMP sidecar from the first 80 bytes and, finding fewer, takes a file for
// none of the formats it tries after that one, ISO base media among them.
constexpr qint64 kSmallestFile = 80;

struct Box
{
    quint32 type = 0;
    qint64 offset = 0;
    qint64 size = 0;
    int header = 8; // 16 with a 64-bit size
    qint64 end() const { return offset + size; }
    qint64 payload() const { return offset + header; }
};

// The box whose header starts at offset, within [offset, end); false when its size is 0,
// below its header or beyond end. head holds the bytes from offset (at least 8 of them).
bool parseBox(const uchar* head, qint64 available, qint64 offset, qint64 end, Box* box);

enum class Uuid
{
    Other,
    Canon,   // descended into
    Preview, // descended into behind 8 more bytes
    Xmp,     // its text read
};

// Exiv2 takes the 16 bytes after the header as the uuid, even past a box too small to
// hold them; past the end of the file they are no uuid it knows.
Uuid uuidOf(const uchar* name, qint64 available);

// Box types Exiv2 reads something from (or may fail on); it copies the others and passes
// over them, and skips "mdat" unread.
bool isReadBox(quint32 type);

} // namespace bmff

#endif

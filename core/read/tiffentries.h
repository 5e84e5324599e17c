// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_TIFFENTRIES_H
#define LENSTALLY_TIFFENTRIES_H

// The fast reader's view of a picture's bytes and of its TIFF directories, read as Exiv2
// reads them: IFD0 and the Exif IFD, every offset and count checked.

#include "core/read/picturefile.h"

#include <QByteArray>
#include <QtEndian>

#include <bitset>
#include <deque>
#include <vector>

namespace fastread {

// Thrown wherever the reader meets something it does not fully understand.
struct Decline
{
};

constexpr qint64 kHead = 64 * 1024;
// Where offsets point past the head: at most this many further reads, this many bytes.
constexpr int kMaxReads = 64;
constexpr qint64 kMaxExtra = 4 * 1024 * 1024;

// The picture's bytes by offset: its head read once, more only where asked.
class Bytes
{
public:
    Bytes(const unsigned char* data, qint64 size) : head(data), headSize(size), fileSize(size) {}
    // Reads the file's head; declines when it cannot.
    Bytes(const picturefile::File* file, qint64 size);

    qint64 size() const { return fileSize; }

    // The bytes [offset, offset + length), all inside the file; declines otherwise.
    const unsigned char* at(qint64 offset, qint64 length);

private:
    struct Piece
    {
        qint64 offset;
        QByteArray bytes;
    };
    const picturefile::File* file = nullptr;
    QByteArray headBytes;
    const unsigned char* head = nullptr;
    qint64 headSize = 0;
    qint64 fileSize = 0;
    std::deque<Piece> pieces;
    qint64 extra = 0;
};

enum Group
{
    Image, // IFD0
    Photo, // the Exif IFD
};

// One IFD entry as Exiv2 keeps it: where its value lies in the file, and whether Exiv2
// would have dropped or emptied it.
struct Entry
{
    quint16 tag = 0;
    quint16 type = 0;
    quint32 count = 0;
    qint64 value = 0; // file offset of the value
    bool little = true;
    bool whole = true; // false: Exiv2 skips or truncates it
};

// The TIFF data of one parse: Exiv2 checks every offset against this buffer.
struct Tiff
{
    Bytes* bytes = nullptr;
    qint64 base = 0; // file offset of the TIFF header
    qint64 size = 0;
    bool little = true;

    quint16 u16(qint64 at) const
    {
        const unsigned char* p = bytes->at(base + at, 2);
        return little ? qFromLittleEndian<quint16>(p) : qFromBigEndian<quint16>(p);
    }
    quint32 u32(qint64 at) const
    {
        const unsigned char* p = bytes->at(base + at, 4);
        return little ? qFromLittleEndian<quint32>(p) : qFromBigEndian<quint32>(p);
    }
};

// The tags found, each group in Exiv2's order: the first of a tag is the one it reads.
// A set of tag numbers.
using TagSet = std::bitset<65536>;

struct Found
{
    std::vector<Entry> entries[2];
    bool makerNotes = false;
    bool tiffImage = false; // read by Exiv2's TIFF image, which checks the colour profile
    // The tags the reader will ask for; the walk keeps those and its own, or all when null.
    const TagSet* wanted = nullptr;
};

// The size in bytes of one component of a TIFF type; 0 for a type Exiv2 does not know.
int typeSize(quint16 type);

// Reads the IFD at offset as Exiv2's TiffReader does, declining where it would stop short.
// Only the entries of wanted tags and of those the walk itself looks at are kept, when
// wanted is given; the order and the first of each tag are as in the directory.
std::vector<Entry> readIfd(const Tiff& tiff, qint64 offset, const TagSet* wanted = nullptr);

// The first entry of the tag, or null.
const Entry* first(const std::vector<Entry>& entries, quint16 tag);

// Exiv2 fails on TIFF data whose header is not one or points past its end: declines there.
Tiff checkTiffHeader(Bytes& bytes, qint64 base, qint64 size, quint16 orfSignature = 0);

// Parses one TIFF stretch whose first IFD belongs to `group`, as Exiv2's TiffParserWorker:
// its header, that IFD and, below IFD0, the Exif IFD.
void parseTiff(Bytes& bytes, qint64 base, qint64 size, Group group, Found* found,
               quint16 orfSignature = 0);

} // namespace fastread

#endif

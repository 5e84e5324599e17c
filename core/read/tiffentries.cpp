// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read/tiffentries.h"

#include <algorithm>

namespace fastread {

Bytes::Bytes(const picturefile::File* file, qint64 size) : file(file), fileSize(size)
{
    if (!file->readAt(0, std::min(kHead, size), &headBytes) ||
        headBytes.size() != std::min(kHead, size))
        throw Decline();
    head = reinterpret_cast<const unsigned char*>(headBytes.constData());
    headSize = headBytes.size();
}

const unsigned char* Bytes::at(qint64 offset, qint64 length)
{
    if (offset < 0 || length < 0 || offset > fileSize || length > fileSize - offset)
        throw Decline();
    if (offset + length <= headSize)
        return head + offset;
    for (const Piece& piece : pieces) {
        if (offset >= piece.offset && offset + length <= piece.offset + piece.bytes.size())
            return reinterpret_cast<const unsigned char*>(piece.bytes.constData()) +
                   (offset - piece.offset);
    }
    if (!file || int(pieces.size()) >= kMaxReads || extra + length > kMaxExtra)
        throw Decline();
    // A little more than asked: the next entry or segment header is usually close by.
    const qint64 want = std::min(std::max<qint64>(length, 4096), fileSize - offset);
    Piece piece{offset, QByteArray()};
    if (!file->readAt(offset, want, &piece.bytes) || piece.bytes.size() != want)
        throw Decline();
    extra += want;
    pieces.push_back(std::move(piece));
    return reinterpret_cast<const unsigned char*>(pieces.back().bytes.constData());
}

int typeSize(quint16 type)
{
    switch (type) {
    case 1:
    case 2:
    case 6:
    case 7:
        return 1;
    case 3:
    case 8:
        return 2;
    case 4:
    case 9:
    case 11:
    case 13:
        return 4;
    case 5:
    case 10:
    case 12:
        return 8;
    default:
        return 0;
    }
}

// Reads the IFD at offset as Exiv2's TiffReader does, declining where it would stop short.
namespace {

// The tags the walk itself looks at: the maker notes (Exif and DNG private data), the
// colour profile, the Exif IFD's pointer and the sub-IFDs.
bool walkTag(quint16 tag)
{
    return tag == 0x927c || tag == 0xc634 || tag == 0x8773 || tag == 0x8769 || tag == 0x014a;
}

} // namespace

std::vector<Entry> readIfd(const Tiff& tiff, qint64 offset, const TagSet* wanted)
{
    if (offset < 0 || offset + 2 > tiff.size)
        throw Decline();
    const int n = tiff.u16(offset);
    if (n > 256 || offset + 2 + 12 * qint64(n) > tiff.size)
        throw Decline();
    std::vector<Entry> entries;
    entries.reserve(std::size_t(n));
    // The whole directory at once: one bounds check, not four an entry.
    const unsigned char* block = tiff.bytes->at(tiff.base + offset + 2, 12 * qint64(n));
    const auto u16 = [&tiff](const unsigned char* p) {
        return tiff.little ? qFromLittleEndian<quint16>(p) : qFromBigEndian<quint16>(p);
    };
    const auto u32 = [&tiff](const unsigned char* p) {
        return tiff.little ? qFromLittleEndian<quint32>(p) : qFromBigEndian<quint32>(p);
    };
    for (int i = 0; i < n; ++i) {
        const unsigned char* raw = block + 12 * i;
        const qint64 at = offset + 2 + 12 * qint64(i);
        Entry e;
        e.tag = u16(raw);
        if (wanted && !(*wanted)[e.tag] && !walkTag(e.tag))
            continue;
        e.type = u16(raw + 2);
        e.count = u32(raw + 4);
        e.little = tiff.little;
        const int unit = typeSize(e.type);
        const quint64 size = quint64(unit ? unit : 1) * e.count;
        e.value = tiff.base + at + 8;
        if (unit == 0 || e.count >= 0x10000000) {
            e.whole = false;
        } else if (size > 4) {
            const quint32 valueOffset = u32(raw + 8);
            e.whole = valueOffset != 0 && valueOffset < quint64(tiff.size) &&
                      size <= quint64(tiff.size) - valueOffset;
            e.value = tiff.base + valueOffset;
        }
        entries.push_back(e);
    }
    return entries;
}

const Entry* first(const std::vector<Entry>& entries, quint16 tag)
{
    for (const Entry& e : entries) {
        if (e.tag == tag)
            return &e;
    }
    return nullptr;
}

// Exiv2 fails on TIFF data whose header is not one or points past its end.
Tiff checkTiffHeader(Bytes& bytes, qint64 base, qint64 size, quint16 orfSignature)
{
    Tiff tiff{&bytes, base, size, true};
    if (size < 8)
        throw Decline();
    const unsigned char* h = bytes.at(base, 8);
    if (h[0] == 'I' && h[1] == 'I')
        tiff.little = true;
    else if (h[0] == 'M' && h[1] == 'M')
        tiff.little = false;
    else
        throw Decline();
    const quint16 magic = tiff.u16(2);
    if (orfSignature ? magic != 0x4f52 && magic != 0x5352 : magic != 42)
        throw Decline();
    if (tiff.u32(4) >= quint64(size))
        throw Decline();
    return tiff;
}

// Parses one TIFF stretch whose first IFD belongs to `group`, as Exiv2's TiffParserWorker:
// its header, that IFD and, below IFD0, the Exif IFD.
void parseTiff(Bytes& bytes, qint64 base, qint64 size, Group group, Found* found,
               quint16 orfSignature)
{
    const Tiff tiff = checkTiffHeader(bytes, base, size, orfSignature);
    const quint32 first0 = tiff.u32(4);
    std::vector<Entry> ifd = readIfd(tiff, first0, found->wanted);
    if (group == Photo) {
        found->makerNotes = found->makerNotes || first(ifd, 0x927c);
        found->entries[Photo].insert(found->entries[Photo].end(), ifd.begin(), ifd.end());
        return;
    }
    // Exiv2 reads the maker notes of a Pentax DNG from DNGPrivateData.
    found->makerNotes = found->makerNotes || first(ifd, 0xc634);
    if (found->tiffImage) {
        // Exiv2's TIFF image fails on an empty colour profile.
        const Entry* icc = first(ifd, 0x8773);
        if (icc && (!icc->whole || icc->count == 0))
            throw Decline();
    }
    found->entries[Image].insert(found->entries[Image].end(), ifd.begin(), ifd.end());
    const Entry* exifPointer = nullptr;
    for (const Entry& e : ifd) {
        if (e.tag != 0x8769)
            continue;
        if (exifPointer)
            throw Decline(); // a second Exif IFD
        exifPointer = &e;
    }
    if (!exifPointer)
        return;
    if ((exifPointer->type != 4 && exifPointer->type != 9 && exifPointer->type != 13) ||
        exifPointer->count != 1)
        throw Decline();
    const quint32 exifOffset = tiff.u32(exifPointer->value - base);
    // Exiv2 reads no directory twice: one it met before leaves the Exif IFD unread.
    if (exifOffset == first0)
        throw Decline();
    for (const Entry& e : ifd) {
        if (e.tag == 0x014a && e.whole) {
            for (quint32 i = 0; i < e.count && i < 9; ++i) {
                if (e.type == 4 || e.type == 9 || e.type == 13) {
                    if (tiff.u32(e.value - base + 4 * qint64(i)) == exifOffset)
                        throw Decline();
                }
            }
        }
    }
    const std::vector<Entry> exifIfd = readIfd(tiff, exifOffset, found->wanted);
    found->makerNotes = found->makerNotes || first(exifIfd, 0x927c);
    found->entries[Photo].insert(found->entries[Photo].end(), exifIfd.begin(), exifIfd.end());
}

} // namespace fastread

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read/fastreader.h"

#include "core/read/bmffprefix.h"
#include "core/read/exifaccess.h"
#include "core/read/picturefile.h"
#include "core/read/tagsource.h"

#include <QtEndian>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

namespace fastread {

namespace {

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
    Bytes(const picturefile::File* file, qint64 size) : file(file), fileSize(size)
    {
        if (!file->readAt(0, std::min(kHead, size), &headBytes) ||
            headBytes.size() != std::min(kHead, size))
            throw Decline();
        head = reinterpret_cast<const unsigned char*>(headBytes.constData());
        headSize = headBytes.size();
    }

    qint64 size() const { return fileSize; }

    // The bytes [offset, offset + length), all inside the file; declines otherwise.
    const unsigned char* at(qint64 offset, qint64 length)
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
struct Found
{
    std::vector<Entry> entries[2];
    bool makerNotes = false;
    bool tiffImage = false; // read by Exiv2's TIFF image, which checks the colour profile
};

// Reads the IFD at offset as Exiv2's TiffReader does, declining where it would stop short.
std::vector<Entry> readIfd(const Tiff& tiff, qint64 offset)
{
    if (offset < 0 || offset + 2 > tiff.size)
        throw Decline();
    const int n = tiff.u16(offset);
    if (n > 256 || offset + 2 + 12 * qint64(n) > tiff.size)
        throw Decline();
    std::vector<Entry> entries;
    entries.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        const qint64 at = offset + 2 + 12 * qint64(i);
        Entry e;
        e.tag = tiff.u16(at);
        e.type = tiff.u16(at + 2);
        e.count = tiff.u32(at + 4);
        e.little = tiff.little;
        const int unit = typeSize(e.type);
        const quint64 size = quint64(unit ? unit : 1) * e.count;
        e.value = tiff.base + at + 8;
        if (unit == 0 || e.count >= 0x10000000) {
            e.whole = false;
        } else if (size > 4) {
            const quint32 valueOffset = tiff.u32(at + 8);
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
Tiff checkTiffHeader(Bytes& bytes, qint64 base, qint64 size, quint16 orfSignature = 0)
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
               quint16 orfSignature = 0)
{
    const Tiff tiff = checkTiffHeader(bytes, base, size, orfSignature);
    const quint32 first0 = tiff.u32(4);
    std::vector<Entry> ifd = readIfd(tiff, first0);
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
    const std::vector<Entry> exifIfd = readIfd(tiff, exifOffset);
    found->makerNotes = found->makerNotes || first(exifIfd, 0x927c);
    found->entries[Photo].insert(found->entries[Photo].end(), exifIfd.begin(), exifIfd.end());
}

// The keys the fast reader decodes.
struct Key
{
    const char* name;
    Group group;
    quint16 tag;
};

constexpr Key kKeys[] = {
    {"Exif.Image.Make", Image, 0x010f},
    {"Exif.Image.Model", Image, 0x0110},
    {"Exif.Image.DateTime", Image, 0x0132},
    {"Exif.Image.ImageWidth", Image, 0x0100},
    {"Exif.Image.ImageLength", Image, 0x0101},
    {"Exif.Image.LensInfo", Image, 0xc630},
    {"Exif.Photo.ExposureTime", Photo, 0x829a},
    {"Exif.Photo.FNumber", Photo, 0x829d},
    {"Exif.Photo.ISOSpeedRatings", Photo, 0x8827},
    {"Exif.Photo.DateTimeOriginal", Photo, 0x9003},
    {"Exif.Photo.DateTimeDigitized", Photo, 0x9004},
    {"Exif.Photo.FocalLength", Photo, 0x920a},
    {"Exif.Photo.PixelXDimension", Photo, 0xa002},
    {"Exif.Photo.PixelYDimension", Photo, 0xa003},
    {"Exif.Photo.FocalPlaneXResolution", Photo, 0xa20e},
    {"Exif.Photo.FocalPlaneYResolution", Photo, 0xa20f},
    {"Exif.Photo.FocalPlaneResolutionUnit", Photo, 0xa210},
    {"Exif.Photo.FocalLengthIn35mmFilm", Photo, 0xa405},
    {"Exif.Photo.LensSpecification", Photo, 0xa432},
    {"Exif.Photo.LensMake", Photo, 0xa433},
    {"Exif.Photo.LensModel", Photo, 0xa434},
};

// The tags found, read as Exiv2 reads them; declines on any key or value it does not know.
class FoundTags : public TagSource
{
public:
    FoundTags(Bytes& bytes, const Found& found) : bytes(bytes), found(found) {}

    bool readText(const char* key, QString* text) override
    {
        const Entry* e = entry(key);
        if (!e) {
            *text = QString();
            return true;
        }
        if (e->type != 2)
            throw Decline();
        const unsigned char* p = bytes.at(e->value, e->count);
        *text = exif::decodeText(reinterpret_cast<const char*>(p), e->count);
        return true;
    }

    float readNumber(const char* key) override
    {
        const Entry* e = entry(key);
        return e ? number(*e) : 0.0f;
    }

    float readNumberIfPresent(const char* key) override { return readNumber(key); }

    int readNumbers(const char* key, float* numbers, int count) override
    {
        const Entry* e = entry(key);
        if (!e)
            return 0;
        const int available = int(std::min<quint64>(quint64(e->count), quint64(count)));
        for (int i = 0; i < available; ++i)
            numbers[i] = number(*e, i);
        return available;
    }

    // Exiv2's easy-access functions look through lists of tags, maker notes among them,
    // which we do not copy.
    QString easyAccessPrint(exif::EasyValue) override { throw Decline(); }

    QString makerNoteLens() override
    {
        // Exiv2 names lenses from its maker-note tables, which we do not copy.
        if (found.makerNotes)
            throw Decline();
        return QString();
    }

private:
    const Entry* entry(const char* key) const
    {
        for (const Key& k : kKeys) {
            if (std::strcmp(k.name, key) == 0) {
                const Entry* e = first(found.entries[k.group], k.tag);
                if (e && !e->whole)
                    throw Decline();
                return e;
            }
        }
        // A maker-note tag (Exif.Canon..., Exif.Nikon3...) is absent from a picture
        // without maker notes; any other key we do not read is beyond us.
        const bool standard =
            std::strncmp(key, "Exif.Image.", 11) == 0 || std::strncmp(key, "Exif.Photo.", 11) == 0;
        if (!standard && !found.makerNotes)
            return nullptr;
        throw Decline();
    }

    // The entry's component i (from 0) as Exiv2's toFloat(i) gives it.
    float number(const Entry& e, int i = 0)
    {
        if (e.count == 0)
            return 0.0f; // Exiv2 holds an empty value and reads it as 0
        const unsigned char* p =
            bytes.at(e.value + quint64(i) * typeSize(e.type), typeSize(e.type));
        const auto u16 = [&](const unsigned char* q) {
            return e.little ? qFromLittleEndian<quint16>(q) : qFromBigEndian<quint16>(q);
        };
        const auto u32 = [&](const unsigned char* q) {
            return e.little ? qFromLittleEndian<quint32>(q) : qFromBigEndian<quint32>(q);
        };
        float value = 0.0f;
        switch (e.type) {
        case 3:
            value = float(u16(p));
            break;
        case 8:
            value = float(qint16(u16(p)));
            break;
        case 4:
            value = float(u32(p));
            break;
        case 9:
            value = float(qint32(u32(p)));
            break;
        case 5: {
            const quint32 d = u32(p + 4);
            value = d == 0 ? 0.0f : float(u32(p)) / float(d);
            break;
        }
        case 10: {
            const qint32 d = qint32(u32(p + 4));
            value = d == 0 ? 0.0f : float(qint32(u32(p))) / float(d);
            break;
        }
        default:
            throw Decline();
        }
        return exif::saneNumber(value);
    }

    Bytes& bytes;
    const Found& found;
};

// JPEG: walks the segments as Exiv2 does up to the start of scan, and parses the first
// Exif segment; declines on anything that would make Exiv2 stop or fail otherwise.
void readJpeg(Bytes& bytes, Found* found)
{
    qint64 at = 2;
    int search = 6; // Exif, ICC, XMP, comment, IPTC, frame size: Exiv2 stops when all are found
    bool exifFound = false;
    bool xmpFound = false;
    bool commentFound = false;
    bool iccFound = false;
    bool heightFound = false;
    qint64 iccSize = 0;
    qint64 iccFirst = -1; // file offset of the profile's first 4 bytes, in its first chunk
    while (search > 0) {
        if (at >= bytes.size())
            return; // Exiv2 ends its walk at the end of the file
        if (*bytes.at(at, 1) != 0xff)
            throw Decline(); // padding Exiv2 would skip byte by byte
        while (at < bytes.size() && *bytes.at(at, 1) == 0xff)
            ++at;
        if (at >= bytes.size())
            return;
        const int marker = *bytes.at(at, 1);
        ++at;
        if (marker == 0xda || marker == 0xd9)
            return;
        const bool hasLength = (marker >= 0xc0 && marker <= 0xcf) ||
                               (marker >= 0xe0 && marker <= 0xef) || marker == 0xc4 ||
                               marker == 0xdb || marker == 0xdd || marker == 0xfe;
        if (!hasLength)
            throw Decline();
        const qint64 size = qFromBigEndian<quint16>(bytes.at(at, 2));
        if (size < 2 || at + size > bytes.size())
            throw Decline();        // Exiv2 fails on it
        const qint64 data = at + 2; // after the length
        const qint64 length = size - 2;
        const auto startsWith = [&](const char* id, qint64 n) {
            return length >= n && std::memcmp(bytes.at(data, n), id, std::size_t(n)) == 0;
        };
        if (!exifFound && marker == 0xe1 && size >= 8 && startsWith("Exif\0\0", 6)) {
            if (size <= 8)
                throw Decline();
            parseTiff(bytes, data + 6, size - 8, Image, found);
            exifFound = true;
            --search;
        } else if (!xmpFound && marker == 0xe1 && size >= 31 &&
                   startsWith("http://ns.adobe.com/xap/1.0/", 29)) {
            xmpFound = true;
            --search;
        } else if (marker == 0xed && size >= 16 && startsWith("Photoshop 3.0", 14)) {
            throw Decline(); // Exiv2 collects these until they are whole
        } else if (marker == 0xfe && !commentFound) {
            // Exiv2 keeps the first comment that is not all NULs.
            const unsigned char* c = bytes.at(data, length);
            for (qint64 i = 0; i < length; ++i)
                commentFound = commentFound || c[i] != 0;
            --search;
        } else if (marker == 0xe2 && size >= 13 && startsWith("ICC_PROFILE", 11)) {
            if (size < 20)
                return; // Exiv2 stops its walk here
            if (!iccFound) {
                iccFound = true;
                --search;
            }
            const unsigned char* p = bytes.at(data, 16);
            const int chunk = p[12];
            const int chunks = p[13];
            qint64 chunkSize = size - 16;
            if (chunk == 1 && chunks == 1) {
                const quint32 declared = qFromBigEndian<quint32>(p + 14);
                if (declared > quint64(chunkSize))
                    throw Decline();
                chunkSize = declared;
            }
            if (iccSize == 0 && chunkSize >= 4)
                iccFirst = data + 14;
            else if (iccSize == 0)
                throw Decline(); // the size field would span chunks
            iccSize += chunkSize;
            if (chunk == chunks) {
                // Exiv2 fails on a profile whose size field disagrees with its bytes.
                if (iccFirst < 0)
                    throw Decline();
                if (qFromBigEndian<quint32>(bytes.at(iccFirst, 4)) != quint64(iccSize))
                    throw Decline();
            }
        } else if (!heightFound && marker >= 0xc0 && marker <= 0xcf && marker != 0xc4) {
            if (size < 8)
                return; // Exiv2 stops its walk here
            if (qFromBigEndian<quint16>(bytes.at(data + 1, 2)) != 0) {
                heightFound = true;
                --search;
            }
        }
        at += size;
    }
}

bool readBytes(Bytes& bytes, PictureReading* reading)
{
    try {
        Found found;
        if (bytes.size() < 16)
            return false;
        const unsigned char* h = bytes.at(0, 16);
        const bool ii = h[0] == 'I' && h[1] == 'I';
        const bool mm = h[0] == 'M' && h[1] == 'M';
        const quint16 magic = ii   ? qFromLittleEndian<quint16>(h + 2)
                              : mm ? qFromBigEndian<quint16>(h + 2)
                                   : 0;
        if (h[0] == 0xff && h[1] == 0xd8) {
            readJpeg(bytes, &found);
        } else if (magic == 42) {
            // CR2 when its signature follows the header, else Exiv2's TIFF image.
            found.tiffImage = std::memcmp(h + 8, "CR\2\0", 4) != 0;
            parseTiff(bytes, 0, bytes.size(), Image, &found);
        } else if (magic == 0x4f52 || magic == 0x5352) {
            parseTiff(bytes, 0, bytes.size(), Image, &found, magic); // ORF
        } else if (bmff::isBmff(reinterpret_cast<const char*>(h), 16)) {
            std::vector<bmff::TiffPlace> places;
            QByteArray prefix;
            const auto readAt = [&bytes](qint64 offset, qint64 length, QByteArray* out) {
                length = std::min(length, bytes.size() - offset);
                *out = QByteArray(reinterpret_cast<const char*>(bytes.at(offset, length)),
                                  qsizetype(length));
                return true;
            };
            if (!bmff::metadataPrefix(bytes.size(), readAt, &prefix, &places))
                return false;
            for (const bmff::TiffPlace& place : places) {
                switch (place.kind) {
                case bmff::TiffPlace::ExifItem: {
                    if (place.length <= 8)
                        throw Decline();
                    // Exiv2 takes the TIFF header at the first "II" or "MM".
                    const unsigned char* p = bytes.at(place.offset, place.length);
                    qint64 punt = -1;
                    for (qint64 i = 0; i < place.length - 9 && punt < 0; ++i) {
                        if (p[i] == p[i + 1] && (p[i] == 'I' || p[i] == 'M'))
                            punt = i;
                    }
                    if (punt < 0)
                        throw Decline();
                    parseTiff(bytes, place.offset + punt, place.length - punt, Image, &found);
                    break;
                }
                case bmff::TiffPlace::Cmt1:
                    parseTiff(bytes, place.offset, place.length, Image, &found);
                    break;
                case bmff::TiffPlace::Cmt2:
                    parseTiff(bytes, place.offset, place.length, Photo, &found);
                    break;
                case bmff::TiffPlace::Cmt3: // Canon's maker notes
                case bmff::TiffPlace::Cmt4: // GPS
                    found.makerNotes = found.makerNotes || place.kind == bmff::TiffPlace::Cmt3;
                    checkTiffHeader(bytes, place.offset, place.length);
                    break;
                default:
                    throw Decline();
                }
            }
        } else {
            return false;
        }
        FoundTags tags(bytes, found);
        *reading = readTags(tags);
        return true;
    } catch (const Decline&) {
        return false;
    } catch (...) {
        return false; // out of memory: Exiv2 may do better
    }
}

std::atomic<int> enabledState{-1}; // -1: not yet taken from the environment

} // namespace

bool enabled()
{
    int state = enabledState.load(std::memory_order_relaxed);
    if (state < 0) {
        const char* value = std::getenv("LENSTALLY_EXIV2_ONLY");
        state = value && *value && std::strcmp(value, "0") != 0 ? 0 : 1;
        int expected = -1;
        enabledState.compare_exchange_strong(expected, state);
        state = enabledState.load();
    }
    return state == 1;
}

void setEnabled(bool on)
{
    enabledState.store(on ? 1 : 0);
}

bool readFile(const QByteArray& nativePath, PictureReading* reading)
{
    try {
        long long size = 0;
        if (!picturefile::statPicture(nativePath, &size))
            return false;
        const picturefile::File file(nativePath);
        if (!file.isOpen())
            return false;
        Bytes bytes(&file, size);
        return readBytes(bytes, reading);
    } catch (...) {
        return false;
    }
}

bool readBuffer(const unsigned char* data, std::size_t size, PictureReading* reading)
{
    Bytes bytes(data, qint64(size));
    return readBytes(bytes, reading);
}

} // namespace fastread

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read/fastreader.h"

#include "core/read/bmffprefix.h"
#include "core/read/exifaccess.h"
#include "core/read/picturefile.h"
#include "core/read/tagsource.h"
#include "core/read/tiffentries.h"

#include <QtEndian>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

namespace fastread {

namespace {

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

// The tags of kKeys: the only entries the reader asks for.
const TagSet& wantedTags()
{
    static const TagSet tags = [] {
        TagSet set;
        for (const Key& k : kKeys)
            set.set(k.tag);
        return set;
    }();
    return tags;
}

// The key's entry in kKeys, or null. The rules ask by the same few literals again and
// again: each thread remembers their addresses, sparing most string compares.
const Key* knownKey(const char* key)
{
    thread_local std::vector<std::pair<const char*, const Key*>> seen;
    for (const auto& [name, known] : seen) {
        // The same address may hold another text by now: a found key is checked by its
        // text, and an unknown one only ever makes the reader decline or find nothing.
        if (name == key && (!known || std::strcmp(known->name, key) == 0))
            return known;
    }
    const Key* found = nullptr;
    for (const Key& k : kKeys) {
        if (std::strcmp(k.name, key) == 0) {
            found = &k;
            break;
        }
    }
    if (seen.size() < 64)
        seen.emplace_back(key, found);
    return found;
}

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
        if (const Key* k = knownKey(key)) {
            const Entry* e = first(found.entries[k->group], k->tag);
            if (e && !e->whole)
                throw Decline();
            return e;
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
        found.wanted = &wantedTags();
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

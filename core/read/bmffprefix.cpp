// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read/bmffprefix.h"

#include "core/read/bmffboxes.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace bmff {

namespace {

// Walks boxes the way Exiv2 0.27 descends into them, checking every size, and notes the
// byte ranges of the Exif and XMP items it will read, found its way: the last "infe"
// whose name holds "Exif" (else "mime"), located by the 4-byte offsets of "iloc". Also
// notes how far past `end` Exiv2 reads, and how many boxes it visits below each
// top-level box (it refuses more than one per 16 bytes of the file).
class Walker
{
public:
    // bytes: the file from its start, `end` and a little more where the file has it.
    Walker(const QByteArray& bytes, qint64 end)
        : data(reinterpret_cast<const uchar*>(bytes.constData())), size(bytes.size()), end(end)
    {
    }

    // The boxes in [begin, limit): all of them, or the first count when count >= 0.
    bool walk(qint64 begin, qint64 limit, int depth, qint64 count = -1)
    {
        if (depth > kMaxDepth)
            return false;
        qint64 at = begin;
        for (qint64 n = 0; count < 0 ? at < limit : n < count; ++n) {
            Box box;
            if (++boxes > kMaxBoxes || !parseBox(data + at, size - at, at, limit, &box))
                return false;
            if (depth == 0)
                visits = 0;
            maxVisits = std::max(maxVisits, ++visits);
            if (!enter(box, depth))
                return false;
            at = box.end();
        }
        return true;
    }

    // An item Exiv2 reads, and where in the bytes its 4-byte offset is written.
    struct Item
    {
        qint64 offsetField = 0;
        qint64 offset = 0;
        qint64 length = 0;
    };
    std::vector<Item> items;
    std::vector<TiffPlace> places; // where Exiv2 parses TIFF data, in its order
    qint64 reach = 0;              // the end of the furthest read
    bool onlyTextPast = true;      // reads past `end` are XMP text that ends before its byte
    int maxVisits = 0;             // the most boxes visited below one top-level box

private:
    bool enter(const Box& box, int depth)
    {
        const qint64 payload = box.payload();
        const qint64 length = box.end() - payload;
        const uchar* p = data + payload;
        switch (box.type) {
        case kMoov:
        case kIprp:
        case kIpco:
            return container(box) && walk(payload, box.end(), depth + 1);
        case kMeta: {
            if (!container(box) || length < 4 || !walk(payload + 4, box.end(), depth + 1))
                return false;
            for (quint32 id : {exifId, xmpId}) {
                const auto found = locations.find(id);
                if (found != locations.end()) {
                    items.push_back(found->second);
                    if (id == exifId)
                        places.push_back(
                            {TiffPlace::ExifItem, found->second.offset, found->second.length});
                }
            }
            locations.clear();
            return true;
        }
        case kIinf:
            return container(box) && length >= 6 &&
                   walk(payload + 6, box.end(), depth + 1, qFromBigEndian<quint16>(p + 4));
        case kInfe:
            readItemInfo(p, length);
            return true;
        case kIloc:
            return readLocations(p, payload, length, box.size);
        case kUuid: {
            const Uuid uuid = uuidOf(p, size - payload);
            if (size - payload >= 16)
                read(payload + 16);
            switch (uuid) {
            case Uuid::Canon:
                return container(box) && walk(payload + 16, box.end(), depth + 1);
            case Uuid::Preview:
                return container(box) && walk(payload + 24, box.end(), depth + 1);
            case Uuid::Xmp:
                readText(payload + 16, box.size);
                return true;
            case Uuid::Other:
                return true;
            }
            return true;
        }
        case kCmt1:
        case kCmt2:
        case kCmt3:
        case kCmt4:
            // Read by the box's whole size from behind its header.
            if (box.size > 8) {
                read(payload + box.size - 8);
                places.push_back({box.header != 8
                                      ? TiffPlace::Other
                                      : TiffPlace::Kind(TiffPlace::Cmt1 + int(box.type - kCmt1)),
                                  payload, box.size - 8});
            }
            return true;
        case kExif:
            places.push_back({TiffPlace::Other, payload, length});
            return true;
        default:
            return true;
        }
    }

    static bool container(const Box& box) { return box.size <= kMaxContainer; }

    void read(qint64 until)
    {
        reach = std::max(reach, until);
        onlyTextPast = onlyTextPast && until <= end;
    }

    // A text Exiv2 reads up to its first NUL: what lies past `end` matters only when
    // the text runs on to there.
    void readText(qint64 from, qint64 length)
    {
        reach = std::max(reach, from + length);
        if (from + length <= end)
            return;
        const qint64 stop = std::min(end + 1, size);
        onlyTextPast = onlyTextPast && from < end &&
                       std::memchr(data + from, 0, size_t(std::max<qint64>(0, stop - from)));
    }

    void readItemInfo(const uchar* p, qint64 length)
    {
        if (length < 8)
            return;
        const quint16 id = qFromBigEndian<quint16>(p + 4);
        const char* name = reinterpret_cast<const char*>(p + 8);
        const auto nameEnd = std::find(name, name + (length - 8), '\0');
        if (nameEnd == name + (length - 8))
            return;
        const std::string text(name, nameEnd);
        if (text.find("Exif") != std::string::npos)
            exifId = id;
        else if (text.find("mime") != std::string::npos)
            xmpId = id;
    }

    // False where Exiv2 fails on the box.
    bool readLocations(const uchar* p, qint64 payload, qint64 length, qint64 boxSize)
    {
        if (length < 6)
            return false;
        const int version = p[0];
        const int offsetSize = p[4] >> 4;
        const int lengthSize = p[4] & 0xF;
        qint64 skip = 6;
        // Exiv2 reads a 32-bit count from version 2 on, a 32-bit item ID only above it.
        const int countSize = version < 2 ? 2 : 4;
        if (length - skip < countSize)
            return false;
        const quint32 count =
            version < 2 ? qFromBigEndian<quint16>(p + skip) : qFromBigEndian<quint32>(p + skip);
        skip += countSize;
        // Only 4-byte offsets and lengths, in entries of 14, 16 or 18 bytes, have places it
        // knows; every entry is taken to have the same size.
        if (!count || count >= quint64(boxSize) / 14 || offsetSize != 4 || lengthSize != 4 ||
            (boxSize - 16) % count != 0)
            return true;
        const qint64 step = (boxSize - 16) / count;
        for (quint32 i = 0; i < count; ++i) {
            const qint64 at = skip + qint64(i) * step;
            if (length - at < step || length - at < (version > 2 ? 4 : 2))
                return false;
            const quint32 id =
                version > 2 ? qFromBigEndian<quint32>(p + at) : qFromBigEndian<quint16>(p + at);
            qint64 field = -1;
            if (step == 14 || step == 16)
                field = at + step - 8;
            else if (step == 18)
                field = at + 4;
            const quint32 offset = field < 0 ? 0 : qFromBigEndian<quint32>(p + field);
            const quint32 bytes = qFromBigEndian<quint32>(p + at + step - 4);
            if (offset && bytes && id != 0xffff)
                locations[id] = {payload + field, qint64(offset), qint64(bytes)};
        }
        return true;
    }

    const uchar* data;
    qint64 size;
    qint64 end;
    int boxes = 0;
    int visits = 0;
    quint32 exifId = 0xffff;
    quint32 xmpId = 0xffff;
    std::map<quint32, Item> locations; // by item ID, for the meta box being read
};

// The top-level boxes, from their headers alone.
struct TopBox
{
    Box box;
    bool read = false; // Exiv2 reads something from it
};

// A top-level preview uuid: Exiv2 goes through its boxes, and reads nothing from a
// preview but its size; so unless it holds other boxes Exiv2 reads, it is checked from
// the box headers as Exiv2 checks it and left out. False when Exiv2 fails on it.
bool checkPreviewBox(const Box& box, qint64 fileSize, const ReadAt& readAt, bool* read)
{
    int visits = 1;
    QByteArray head;
    for (qint64 at = box.payload() + 24; at < box.end();) {
        if (++visits > kMaxBoxes || !readAt(at, std::min(kHeaderRead, box.end() - at), &head))
            return false;
        Box child;
        if (!parseBox(reinterpret_cast<const uchar*>(head.constData()), head.size(), at, box.end(),
                      &child))
            return false;
        if (child.type == kPrvw) {
            // Its version (0 or 1), then the picture's width, height and size.
            if (child.size - child.header < 4)
                return false;
            if (quint8(head[child.header]) <= 1 && child.size - child.header < 16)
                return false;
        } else if (isReadBox(child.type)) {
            *read = true;
            return true;
        }
        at = child.end();
    }
    *read = false;
    return visits - 1 <= fileSize / 16;
}

} // namespace

bool isBmff(const char* head, std::size_t size)
{
    if (size < 12)
        return false;
    return (std::memcmp(head + 4, "ftyp", 4) == 0 && std::memcmp(head + 8, "qt  ", 4) != 0) ||
           std::memcmp(head + 4, "JXL ", 4) == 0;
}

bool isVideo(const char* head, std::size_t size)
{
    if (size < 12 || isBmff(head, size))
        return false;
    static const char* const atoms[] = {"PICT", "free", "ftyp", "junk", "mdat", "moov",
                                        "pdin", "pnot", "prfl", "skip", "uuid", "wide"};
    for (const char* atom : atoms) {
        if (std::memcmp(head + 4, atom, 4) == 0)
            return true;
    }
    return false;
}

bool metadataPrefix(qint64 fileSize, const ReadAt& readAt, QByteArray* prefix)
{
    return metadataPrefix(fileSize, readAt, prefix, nullptr);
}

bool metadataPrefix(qint64 fileSize, const ReadAt& readAt, QByteArray* prefix,
                    std::vector<TiffPlace>* places)
{
    if (fileSize < kSmallestFile)
        return false;
    std::vector<TopBox> top;
    qint64 needed = 0;
    QByteArray head;
    for (qint64 at = 0; at < fileSize;) {
        if (int(top.size()) >= kMaxBoxes ||
            !readAt(at, std::min(kHeaderRead, fileSize - at), &head))
            return false;
        TopBox entry;
        Box& box = entry.box;
        const auto* h = reinterpret_cast<const uchar*>(head.constData());
        if (!parseBox(h, head.size(), at, fileSize, &box))
            return false;
        entry.read = isReadBox(box.type);
        if (box.type == kUuid) {
            switch (uuidOf(h + box.header, head.size() - box.header)) {
            case Uuid::Preview:
                if (!checkPreviewBox(box, fileSize, readAt, &entry.read))
                    return false;
                break;
            case Uuid::Other:
                entry.read = false;
                break;
            default:
                break;
            }
        }
        // The first box too: without it Exiv2 would not know the file.
        if (entry.read || top.empty())
            needed = box.end();
        top.push_back(entry);
        at = box.end();
    }

    // The boxes up to `needed`, walked; where Exiv2 reads past them, the prefix takes the
    // next boxes too, or, for an XMP text that ends before, a filler box.
    QByteArray bytes;
    Walker walker(bytes, 0);
    for (int round = 0;; ++round) {
        // Metadata behind hundreds of megabytes of picture data is no camera's layout.
        if (needed > kMaxPrefix || round > 8)
            return false;
        const qint64 available = std::min(fileSize, needed + kOverrun);
        if (!readAt(0, available, &bytes) || bytes.size() != available)
            return false;
        walker = Walker(bytes, needed);
        if (!walker.walk(0, needed, 0))
            return false;
        if (walker.reach <= needed || walker.onlyTextPast)
            break;
        qint64 next = needed;
        for (const TopBox& entry : top) {
            if (entry.box.offset < walker.reach)
                next = entry.box.end();
        }
        if (next - needed > kMaxContainer)
            return false;
        needed = next;
    }
    // Exiv2 fails on a read past the end of the file, and on a top-level box holding
    // more boxes than a sixteenth of the file's size.
    if (walker.reach > fileSize || walker.maxVisits - 1 > fileSize / 16)
        return false;
    if (places)
        *places = walker.places;
    *prefix = bytes.left(needed);
    if (walker.reach > needed) {
        QByteArray filler(int(std::max<qint64>(8, walker.reach - needed)), '\0');
        qToBigEndian<quint32>(quint32(filler.size()), reinterpret_cast<uchar*>(filler.data()));
        qToBigEndian<quint32>(kFree, reinterpret_cast<uchar*>(filler.data()) + 4);
        prefix->append(filler);
    }

    // The items usually lie in the picture data, which is left out: they follow the boxes
    // kept, in an "mdat" box of their own, and their offsets are changed to match.
    QByteArray moved;
    std::vector<qint64> changed;
    for (const Walker::Item& item : walker.items) {
        const qint64 end = item.offset + item.length;
        // Past the end of the file Exiv2 fails.
        if (end > fileSize)
            return false;
        if (end <= needed)
            continue;
        if (item.length > kMaxContainer)
            return false;
        QByteArray data;
        if (!readAt(item.offset, item.length, &data) || data.size() != item.length)
            return false;
        const qint64 offset = prefix->size() + 8 + moved.size();
        if (offset > 0xffffffffLL - item.length)
            return false;
        qToBigEndian<quint32>(quint32(offset),
                              reinterpret_cast<uchar*>(prefix->data()) + item.offsetField);
        changed.push_back(item.offsetField);
        moved.append(data);
    }
    // An item kept in place that holds a changed offset would read otherwise.
    for (const Walker::Item& item : walker.items) {
        for (qint64 field : changed) {
            if (item.offset + item.length <= needed && field + 4 > item.offset &&
                field < item.offset + item.length)
                return false;
        }
    }
    // Enough bytes for Exiv2 to know the file, and for as many boxes as it visits below
    // one top-level box.
    const qint64 pad =
        std::max<qint64>(0, std::max(kSmallestFile, 16 * qint64(walker.maxVisits - 1)) -
                                (prefix->size() + 8 + moved.size()));
    if (!moved.isEmpty() || pad > 0) {
        moved.append(QByteArray(int(pad), '\0'));
        QByteArray header(8, '\0');
        qToBigEndian<quint32>(quint32(moved.size() + 8), reinterpret_cast<uchar*>(header.data()));
        std::memcpy(header.data() + 4, "mdat", 4);
        prefix->append(header);
        prefix->append(moved);
    }
    return true;
}

} // namespace bmff

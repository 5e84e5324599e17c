// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/bmffprefix.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace bmff {

namespace {

constexpr quint32 fourCC(const char (&t)[5])
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
constexpr quint32 kUuid = fourCC("uuid");
constexpr quint32 kExif = fourCC("Exif");
constexpr quint32 kXml = fourCC("xml ");

const char kCanonUuid[] = "\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48";
const char kXmpUuid[] = "\xbe\x7a\xcf\xcb\x97\xa9\x42\xe8\x9c\x71\x99\x94\x91\xe3\xaf\xac";

constexpr int kMaxDepth = 8;
constexpr qint64 kMaxContainer = 16 * 1024 * 1024;
constexpr int kMaxBoxes = 65536;
constexpr qint64 kMaxPrefix = 256 * 1024 * 1024;
constexpr qint64 kHeaderRead = 32; // a 64-bit size header and a uuid

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
bool parseBox(const uchar* head, qint64 available, qint64 offset, qint64 end, Box* box)
{
    if (available < 8 || end - offset < 8)
        return false;
    quint64 size = qFromBigEndian<quint32>(head);
    box->type = qFromBigEndian<quint32>(head + 4);
    box->offset = offset;
    box->header = 8;
    if (size == 1) {
        if (available < 16 || end - offset < 16)
            return false;
        size = qFromBigEndian<quint64>(head + 8);
        box->header = 16;
    }
    if (size < quint64(box->header) || size > quint64(end - offset))
        return false;
    box->size = qint64(size);
    return true;
}

// Top-level boxes Exiv2 reads something from; it copies the others (the picture data, a
// preview) and passes over them.
bool isMetadataBox(const Box& box, const QByteArray& head)
{
    switch (box.type) {
    case kFtyp:
    case kMoov:
    case kMeta:
    case kExif:
    case kXml:
        return true;
    case kUuid:
        return head.size() >= box.header + 16 &&
               (std::memcmp(head.constData() + box.header, kCanonUuid, 16) == 0 ||
                std::memcmp(head.constData() + box.header, kXmpUuid, 16) == 0);
    default:
        return false;
    }
}

bool isXmpBox(const Box& box, const QByteArray& head)
{
    return box.type == kUuid && head.size() >= box.header + 16 &&
           std::memcmp(head.constData() + box.header, kXmpUuid, 16) == 0;
}

// Walks boxes the way Exiv2 0.27 descends into them, checking every size, and notes the
// byte ranges of the Exif and XMP items it will read, found its way: the last "infe"
// whose name holds "Exif" (else "mime"), located by the 4-byte offsets of "iloc".
class Walker
{
public:
    explicit Walker(const QByteArray& bytes)
        : data(reinterpret_cast<const uchar*>(bytes.constData())), size(bytes.size())
    {
    }

    // The boxes in [begin, end): all of them, or the first count when count >= 0.
    bool walk(qint64 begin, qint64 end, int depth, qint64 count = -1)
    {
        if (depth > kMaxDepth)
            return false;
        qint64 at = begin;
        for (qint64 n = 0; count < 0 ? at < end : n < count; ++n) {
            Box box;
            if (++boxes > kMaxBoxes || !parseBox(data + at, size - at, at, end, &box))
                return false;
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
                if (found != locations.end())
                    items.push_back(found->second);
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
            readLocations(p, payload, length, box.size);
            return true;
        case kUuid:
            if (length >= 16 && std::memcmp(p, kCanonUuid, 16) == 0)
                return container(box) && walk(payload + 16, box.end(), depth + 1);
            return true;
        default:
            return true;
        }
    }

    static bool container(const Box& box) { return box.size <= kMaxContainer; }

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

    void readLocations(const uchar* p, qint64 payload, qint64 length, qint64 boxSize)
    {
        if (length < 6)
            return;
        // The version is the full box header's first byte; the flags do not change it.
        const int version = p[0];
        const int offsetSize = p[4] >> 4;
        const int lengthSize = p[4] & 0xF;
        qint64 skip = 6;
        const int countSize = version < 2 ? 2 : 4;
        if (length - skip < countSize)
            return;
        const quint32 count =
            version < 2 ? qFromBigEndian<quint16>(p + skip) : qFromBigEndian<quint32>(p + skip);
        skip += countSize;
        if (!count || count >= quint64(boxSize) / 14 || offsetSize != 4 || lengthSize != 4 ||
            (boxSize - 16) % count != 0)
            return;
        const qint64 step = (boxSize - 16) / count;
        for (quint32 i = 0; i < count; ++i) {
            const qint64 at = skip + qint64(i) * step;
            if (length - at < step || length - at < (version > 2 ? 4 : 2))
                return;
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
    }

    const uchar* data;
    qint64 size;
    int boxes = 0;
    quint32 exifId = 0xffff;
    quint32 xmpId = 0xffff;
    std::map<quint32, Item> locations; // by item ID, for the meta box being read
};

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
    // The top-level boxes, from their headers alone.
    int boxes = 0;
    qint64 needed = 0;
    int xmpOverread = 0; // bytes Exiv2 reads past the last box kept
    QByteArray head;
    for (qint64 at = 0; at < fileSize;) {
        if (++boxes > kMaxBoxes || !readAt(at, std::min(kHeaderRead, fileSize - at), &head))
            return false;
        Box box;
        if (!parseBox(reinterpret_cast<const uchar*>(head.constData()), head.size(), at, fileSize,
                      &box))
            return false;
        if (isMetadataBox(box, head)) {
            needed = box.end();
            // Exiv2 reads an XMP box's packet as long as the whole box: past its end by
            // the header and the uuid.
            xmpOverread = isXmpBox(box, head) ? box.header + 16 : 0;
        }
        at = box.end();
    }

    // Metadata behind hundreds of megabytes of picture data is no camera's layout.
    if (needed > kMaxPrefix || !readAt(0, needed, prefix) || prefix->size() != needed)
        return false;
    Walker walker(*prefix);
    if (!walker.walk(0, needed, 0))
        return false;

    // The items usually lie in the picture data, which is left out: they follow the boxes
    // kept, in an "mdat" box of their own, and their offsets are changed to match.
    QByteArray moved;
    for (const Walker::Item& item : walker.items) {
        const qint64 end = item.offset + item.length;
        // One past the end of the file fails in Exiv2 either way.
        if (end <= needed || end > fileSize)
            continue;
        if (item.length > kMaxContainer)
            return false;
        QByteArray bytes;
        if (!readAt(item.offset, item.length, &bytes) || bytes.size() != item.length)
            return false;
        const qint64 offset = needed + 8 + moved.size();
        if (offset > 0xffffffffLL - item.length)
            return false;
        qToBigEndian<quint32>(quint32(offset),
                              reinterpret_cast<uchar*>(prefix->data()) + item.offsetField);
        moved.append(bytes);
    }
    if (!moved.isEmpty()) {
        QByteArray header(8, '\0');
        qToBigEndian<quint32>(quint32(moved.size() + 8), reinterpret_cast<uchar*>(header.data()));
        std::memcpy(header.data() + 4, "mdat", 4);
        prefix->append(header);
        prefix->append(moved);
    }
    // Bytes must follow such a box where they follow it in the file; a filler box's size
    // begins with a NUL, which ends the packet as the next box's size would.
    if (fileSize - needed >= xmpOverread && prefix->size() - needed < xmpOverread) {
        QByteArray filler(xmpOverread, '\0');
        qToBigEndian<quint32>(quint32(xmpOverread), reinterpret_cast<uchar*>(filler.data()));
        std::memcpy(filler.data() + 4, "free", 4);
        prefix->append(filler);
    }
    return true;
}

} // namespace bmff

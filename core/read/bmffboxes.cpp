// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read/bmffboxes.h"

#include <QtEndian>

#include <cstring>

namespace bmff {

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

Uuid uuidOf(const uchar* name, qint64 available)
{
    if (available < 16)
        return Uuid::Other;
    if (std::memcmp(name, kCanonUuid, 16) == 0)
        return Uuid::Canon;
    if (std::memcmp(name, kPreviewUuid, 16) == 0)
        return Uuid::Preview;
    if (std::memcmp(name, kXmpUuid, 16) == 0)
        return Uuid::Xmp;
    return Uuid::Other;
}

bool isReadBox(quint32 type)
{
    switch (type) {
    case kFtyp:
    case kMoov:
    case kMeta:
    case kIprp:
    case kIpco:
    case kIinf:
    case kInfe:
    case kIloc:
    case kIspe:
    case kColr:
    case kUuid:
    case kExif:
    case kXml:
    case kCmt1:
    case kCmt2:
    case kCmt3:
    case kCmt4:
    case kThmb:
    case kPrvw:
        return true;
    default:
        return false;
    }
}

} // namespace bmff

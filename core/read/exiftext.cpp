// SPDX-License-Identifier: GPL-3.0-or-later
// The text of Exif tags, decoded apart from the Exiv2 calls: the fast reader decodes the
// same bytes the same way.
#include "core/read/exifaccess.h"

namespace exif {

QString decodeText(const char* bytes, std::size_t size)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    std::size_t n = 0;
    bool ascii = true;
    while (n < size && b[n] != 0) {
        ascii = ascii && b[n] < 0x80;
        ++n;
    }
    if (ascii)
        return QString::fromLatin1(bytes, qsizetype(n));
    // Strict UTF-8: shortest forms, no surrogates, nothing above U+10FFFF.
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = b[i];
        int extra;
        unsigned min;
        unsigned cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return QString::fromLatin1(bytes, qsizetype(n));
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + std::size_t(k) >= n || (b[i + std::size_t(k)] & 0xC0) != 0x80)
                return QString::fromLatin1(bytes, qsizetype(n));
            cp = (cp << 6) | (b[i + std::size_t(k)] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return QString::fromLatin1(bytes, qsizetype(n));
        i += std::size_t(extra) + 1;
    }
    return QString::fromUtf8(bytes, qsizetype(n));
}

} // namespace exif

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_TAGSOURCE_H
#define LENSTALLY_TAGSOURCE_H

// Where the reading rules take a picture's tags from: Exiv2's Exif data, or the fast
// reader's own IFD entries. One set of rules over both keeps the two readings the same.

#include "core/read/exifaccess.h"

#include <QString>

class TagSource
{
public:
    virtual ~TagSource() = default;
    // The tag's text up to its first NUL, decoded by exif::decodeText, untrimmed; "" when
    // absent. False, with text unchanged, when the tag cannot be read.
    virtual bool readText(const char* key, QString* text) = 0;
    // The tag's first component as a float; 0 when absent, unreadable or not sane.
    virtual float readNumber(const char* key) = 0;
    // As readNumber, but 0 without asking for a value unless the tag holds one.
    virtual float readNumberIfPresent(const char* key) = 0;
    // Up to count of the tag's first components as floats (each as readNumber reads
    // one); how many there were, 0 when absent or unreadable.
    virtual int readNumbers(const char* key, float* numbers, int count) = 0;
    // The lens named by the maker notes, trimmed; "" when none.
    virtual QString makerNoteLens() = 0;
    // What Exiv2's easy-access function for the value prints, "" when it finds none.
    virtual QString easyAccessPrint(exif::EasyValue value) = 0;
};

#endif

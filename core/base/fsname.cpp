// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/base/fsname.h"

#include <cstring>

namespace fsname {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // + a byte from 0x80 to 0xFF

bool isEscape(QChar c)
{
    return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF;
}

// The length of the strict UTF-8 sequence at b[i] (shortest form, no surrogates, at most
// U+10FFFF), or 0 when none starts there.
int sequenceAt(const unsigned char* b, qsizetype i, qsizetype n)
{
    const unsigned char c = b[i];
    int extra;
    unsigned min;
    unsigned cp;
    if (c < 0x80)
        return 1;
    if ((c & 0xE0) == 0xC0)
        extra = 1, min = 0x80, cp = c & 0x1F;
    else if ((c & 0xF0) == 0xE0)
        extra = 2, min = 0x800, cp = c & 0x0F;
    else if ((c & 0xF8) == 0xF0)
        extra = 3, min = 0x10000, cp = c & 0x07;
    else
        return 0;
    for (int k = 1; k <= extra; ++k) {
        if (i + k >= n || (b[i + k] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return extra + 1;
}

} // namespace

QString decode(const QByteArray& bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n && b[i] < 0x80)
        ++i;
    if (i == n)
        return QString::fromLatin1(bytes); // ASCII, nearly every name
    QString text = QString::fromLatin1(bytes.constData(), i);
    qsizetype run = i; // the start of valid UTF-8 not yet appended
    while (i < n) {
        const int length = sequenceAt(b, i, n);
        if (length > 0) {
            i += length;
            continue;
        }
        text += QString::fromUtf8(bytes.constData() + run, i - run);
        text += QChar(char16_t(kEscapeBase + b[i]));
        run = ++i;
    }
    text += QString::fromUtf8(bytes.constData() + run, n - run);
    return text;
}

QString decode(const char* bytes)
{
    return decode(QByteArray::fromRawData(bytes, qsizetype(std::strlen(bytes))));
}

QByteArray encode(const QString& name)
{
    qsizetype i = 0;
    while (i < name.size() && !isEscape(name[i]))
        ++i;
    if (i == name.size())
        return name.toUtf8();
    QByteArray bytes = QStringView(name).left(i).toUtf8();
    qsizetype run = i;
    for (; i < name.size(); ++i) {
        const QChar c = name[i];
        // An escape is a lone low surrogate: one after a high surrogate is half of a pair.
        if (!isEscape(c) || (i > 0 && name[i - 1].isHighSurrogate()))
            continue;
        bytes += QStringView(name).mid(run, i - run).toUtf8();
        bytes += char(c.unicode() - kEscapeBase);
        run = i + 1;
    }
    bytes += QStringView(name).mid(run).toUtf8();
    return bytes;
}

QString display(const QString& name)
{
    QString text = name;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isEscape(text[i]) && !(i > 0 && text[i - 1].isHighSurrogate()))
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

} // namespace fsname

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_FSNAME_H
#define LENSTALLY_FSNAME_H

// File names as the file system's bytes, carried in QString without loss: valid UTF-8
// is decoded, and each byte of an invalid sequence (a Latin-1 "é" from an old camera)
// becomes a lone surrogate U+DC80 + byte, which encode() turns back into that byte.
// QFile::encodeName/decodeName would replace such bytes for good.

#include <QByteArray>
#include <QString>

namespace fsname {

// The bytes as text: valid UTF-8 decoded, every other byte escaped as U+DC80 + byte.
QString decode(const QByteArray& bytes);
QString decode(const char* bytes);

// The bytes decode() made the text from: escapes back to their bytes, the rest as UTF-8.
QByteArray encode(const QString& name);

// The text to show or export: every escape replaced by U+FFFD.
QString display(const QString& name);

} // namespace fsname

#endif

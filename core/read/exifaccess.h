// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_EXIFACCESS_H
#define LENSTALLY_EXIFACCESS_H

// Every call into Exiv2 goes through these functions; none of them throws.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <memory>

namespace Exiv2 {
class ExifData;
class Image;
} // namespace Exiv2

namespace exif {

// Deletes an image; defined where Exiv2's headers are, so callers need not include them.
// It also keeps the bytes of an image read from memory for as long as the image lives.
struct ImageDeleter
{
    void operator()(Exiv2::Image* image) const;
    QByteArray bytes;
};
using ImagePtr = std::unique_ptr<Exiv2::Image, ImageDeleter>;

// Routes Exiv2's log messages: to the capture of the calling thread, if any, and to the
// "lenstally.exiv2" category (off unless enabled); safe to call often.
void installLogHandler();

// While it lives, the library's messages on this thread are appended to messages, each
// distinct text once. Captures do not nest.
class MessageCapture
{
public:
    explicit MessageCapture(QStringList* messages);
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;
};

// Text bytes as Exif stores them, up to the first NUL: UTF-8 where they are valid UTF-8,
// Latin-1 otherwise (pure ASCII reads the same either way).
QString decodeText(const char* bytes, std::size_t size);

// Makes Exiv2 ready for reading different pictures on several threads at once
// (its XMP parser must be initialised first); safe to call often.
void prepareForThreads();

// Calls read, which opens and reads one picture, so that what the library says about the
// picture's XMP depends on that picture alone: Exiv2 keeps the XMP namespaces it learns
// from pictures in one registry for the whole process, and a picture binding a prefix
// that an earlier one bound draws a message naming the other's namespace (on another
// thread at the same time it may even fail). When namespaces were learnt, the picture is
// read again with the registry to itself, empty as in a new process, and emptied after;
// read must start afresh each time.
void readAlone(const std::function<void()>& read);

// False for what cannot be a picture and must not reach Exiv2: a missing file, a FIFO,
// device, socket or folder (links followed), or a big file that is mostly holes.
bool mayBePicture(const QString& path);

// Opens a picture file and reads its metadata; null when that fails for any reason
// (mayBePicture refusing it included).
ImagePtr openFile(const QString& path);
// The same for a picture held in memory.
ImagePtr openBuffer(const unsigned char* data, std::size_t size);
// Opens a file by path and reads its metadata as plain Exiv2 does, without the guards, the
// in-memory reading and the box walker of openFile: the reference openFile is checked
// against. Null when Exiv2 fails.
ImagePtr openWholeFile(const QString& path);
// The same for bytes in memory, taken whole.
ImagePtr openWholeBuffer(const unsigned char* data, std::size_t size);
// Every Exif and XMP datum of an opened image as "key value" lines, in Exiv2's order; a
// value Exiv2 cannot print reads "?". Two images hold the same metadata when these agree.
QString metadataText(Exiv2::Image& image);
// The Exif data of an opened image.
Exiv2::ExifData& exifData(Exiv2::Image& image);

// The tag's text up to its first NUL, decoded by decodeText, untrimmed; "" when absent.
// False, with text unchanged, when Exiv2 fails to read it.
bool readText(Exiv2::ExifData& data, const char* key, QString* text);

// The tag's first component as a float; 0 when absent, unreadable, not finite or
// of magnitude 1e9 or more (a crafted file can store any number under any tag).
float readNumber(Exiv2::ExifData& data, const char* key);

// As readNumber, but 0 without asking for a value unless the tag holds one.
float readNumberIfPresent(Exiv2::ExifData& data, const char* key);

// The lens Exiv2 finds in the maker notes, as it prints it for this picture, trimmed;
// "" when it finds none or the print fails.
QString makerNoteLens(Exiv2::ExifData& data);

// The values Exiv2's easy-access functions look for in the maker notes too.
enum class EasyValue
{
    FocalLength,
    FNumber,
    IsoSpeed,
    ExposureTime,
};

// The printed text of the datum Exiv2's easy-access function finds for the value
// ("F5.6", "1/60 s"), untrimmed; "" when it finds none or the print fails.
QString easyAccessPrint(Exiv2::ExifData& data, EasyValue value);

// Reads up to count components of the tag as floats (each made sane as by saneNumber)
// into numbers; how many were read, 0 when the tag is absent or unreadable.
int readNumbers(Exiv2::ExifData& data, const char* key, float* numbers, int count);

// The version of the Exiv2 library in use, as it names itself ("0.27.6").
QString libraryVersion();

// A value read from a tag, or 0 when it is not finite or of magnitude 1e9 or more.
float saneNumber(float value);

} // namespace exif

#endif

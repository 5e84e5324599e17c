// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read/exifaccess.h"

#include "core/base/fsname.h"
#include "core/read/bmffprefix.h"
#include "core/read/exiv2compat.h"
#include "core/read/logging.h"

#include "core/read/picturefile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <mutex>
#include <shared_mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace exif {

namespace {

thread_local QStringList* capturedMessages = nullptr;

// Held shared while a picture is read, exclusively while one is read with Exiv2's XMP
// namespace registry to itself.
std::shared_mutex xmpRegistry;

void logToCategory(int level, const char* message)
{
    const QString text = QString::fromLocal8Bit(message).trimmed();
    if (capturedMessages && !capturedMessages->contains(text))
        capturedMessages->append(text);
    switch (level) {
    case Exiv2::LogMsg::debug:
        qCDebug(lcExiv2, "%s", qUtf8Printable(text));
        break;
    case Exiv2::LogMsg::info:
        qCInfo(lcExiv2, "%s", qUtf8Printable(text));
        break;
    case Exiv2::LogMsg::warn:
    default:
        // Errors too: the category's one switch for what it says about files.
        qCWarning(lcExiv2, "%s", qUtf8Printable(text));
        break;
    }
}

template <typename Open> ImagePtr openAndRead(Open open, const QByteArray& bytes = QByteArray())
{
    prepareForThreads();
    try {
        ImagePtr image(open().release(), ImageDeleter{bytes});
        if (!image)
            return nullptr;
        image->readMetadata();
        return image;
    } catch (...) {
        // Not a picture, damaged, unreadable, or out of memory: the caller skips it.
        return nullptr;
    }
}

} // namespace

MessageCapture::MessageCapture(QStringList* messages)
{
    installLogHandler();
    capturedMessages = messages;
}

MessageCapture::~MessageCapture()
{
    capturedMessages = nullptr;
}

void ImageDeleter::operator()(Exiv2::Image* image) const
{
    delete image;
}

void installLogHandler()
{
    static std::once_flag once;
    std::call_once(once, [] { Exiv2::LogMsg::setHandler(logToCategory); });
}

void prepareForThreads()
{
    installLogHandler();
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::XmpParser::initialize();
        exiv2compat::enableBmff();
    });
}

void readAlone(const std::function<void()>& read)
{
    prepareForThreads();
    {
        const std::shared_lock<std::shared_mutex> shared(xmpRegistry);
        read();
        // Namespaces learnt from this picture or one read beside it, which may have made
        // it say something; only the exclusive reading below forgets them.
        if (!exiv2compat::hasLearntXmpNamespaces())
            return;
    }
    const std::unique_lock<std::shared_mutex> alone(xmpRegistry);
    try {
        Exiv2::XmpProperties::unregisterNs();
        read();
        Exiv2::XmpProperties::unregisterNs();
    } catch (...) {
        // The reading itself never throws; unregistering only frees memory.
    }
}

namespace {

// Files up to this size are read in one go and parsed from memory: Exiv2 would otherwise
// open each three times and map it, and unmapping stalls every other reading thread.
constexpr long long kReadWholeUpTo = 1024 * 1024;

} // namespace

bool mayBePicture(const QString& path)
{
    long long size = 0;
    return picturefile::statPicture(fsname::encode(path), &size);
}

namespace {

// What Exiv2 opens for a picture: nothing, bytes held in memory, or the file by its name.
struct Source
{
    enum Kind
    {
        Refused,
        Memory,
        ByName,
    };
    Kind kind = Refused;
    QByteArray bytes;
};

// The one decision every picture goes through, read by readAt from its start: a video is
// refused; an ISO base media file reaches Exiv2 as its metadata prefix, or is refused when
// its boxes are damaged; anything else goes as it is, in memory when whole holds it, else
// by name.
Source chooseSource(qint64 size, const bmff::ReadAt& readAt, const QByteArray* whole)
{
    QByteArray head;
    if (!readAt(0, 16, &head) || bmff::isVideo(head.constData(), std::size_t(head.size())))
        return Source();
    Source source;
    if (exiv2compat::kBmffPrefix && bmff::isBmff(head.constData(), std::size_t(head.size()))) {
        if (bmff::metadataPrefix(size, readAt, &source.bytes))
            source.kind = Source::Memory;
        return source;
    }
    source.kind = whole ? Source::Memory : Source::ByName;
    if (whole)
        source.bytes = *whole;
    return source;
}

// Reads bytes held whole in memory by offset.
bmff::ReadAt memoryReader(const QByteArray& whole)
{
    return [&whole](qint64 offset, qint64 length, QByteArray* out) {
        *out = whole.mid(qsizetype(offset), qsizetype(length));
        return true;
    };
}

ImagePtr openSource(const Source& source, const QByteArray& nativePath)
{
    switch (source.kind) {
    case Source::Refused:
        break;
    case Source::Memory: {
        const auto* data = reinterpret_cast<const unsigned char*>(source.bytes.constData());
        const std::size_t size = std::size_t(source.bytes.size());
        return openAndRead([data, size] { return exiv2compat::openImage(data, size); },
                           source.bytes);
    }
    case Source::ByName: {
        const std::string name = nativePath.toStdString();
        return openAndRead([&name] { return exiv2compat::openImage(name); });
    }
    }
    return nullptr;
}

ImagePtr openFileUnguarded(const QString& path)
{
    // The file system's own bytes, whatever their encoding.
    const QByteArray native = fsname::encode(path);
    long long size = 0;
    if (!picturefile::statPicture(native, &size))
        return nullptr;
    if (size <= kReadWholeUpTo) {
        QByteArray whole;
        if (!picturefile::readWhole(native, size, &whole))
            return nullptr;
        return openSource(chooseSource(whole.size(), memoryReader(whole), &whole), native);
    }
    const picturefile::File file(native);
    if (!file.isOpen())
        return openSource(Source{Source::ByName, {}}, native); // Exiv2 says why not
    const auto readAt = [&file](qint64 offset, qint64 length, QByteArray* out) {
        return file.readAt(offset, length, out);
    };
    return openSource(chooseSource(size, readAt, nullptr), native);
}

} // namespace

ImagePtr openFile(const QString& path)
{
    try {
        return openFileUnguarded(path);
    } catch (...) {
        // Out of memory before Exiv2 was reached (the file's bytes, its name): skip it.
        return nullptr;
    }
}

ImagePtr openBuffer(const unsigned char* data, std::size_t size)
{
    try {
        const QByteArray whole =
            QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
        return openSource(chooseSource(whole.size(), memoryReader(whole), &whole), QByteArray());
    } catch (...) {
        return nullptr;
    }
}

ImagePtr openWholeFile(const QString& path)
{
    try {
        const std::string name = fsname::encode(path).toStdString();
        return openAndRead([&name] { return exiv2compat::openImage(name); });
    } catch (...) {
        return nullptr;
    }
}

ImagePtr openWholeBuffer(const unsigned char* data, std::size_t size)
{
    return openAndRead([data, size] { return exiv2compat::openImage(data, size); });
}

namespace {

template <typename Data> void appendData(const Data& data, QString* text)
{
    for (const auto& datum : data) {
        std::string value;
        try {
            value = datum.toString();
        } catch (...) {
            value = "?";
        }
        *text += QString::fromStdString(datum.key()) + QLatin1Char(' ') +
                 decodeText(value.data(), value.size()) + QLatin1Char('\n');
    }
}

} // namespace

QString metadataText(Exiv2::Image& image)
{
    QString text;
    try {
        appendData(image.exifData(), &text);
        appendData(image.xmpData(), &text);
    } catch (...) {
        text += QStringLiteral("?\n"); // out of memory: marked rather than cut short unseen
    }
    return text;
}

Exiv2::ExifData& exifData(Exiv2::Image& image)
{
    return image.exifData();
}

namespace {

// Exiv2 reports a bad tag with its own error, or with std::out_of_range when the
// tag's value lies outside the file (it keeps the tag, empty). Either spoils only
// that tag and gives fallback; anything else is left to the guard for the whole file.
template <typename T, typename Read> T readTag(T fallback, Read read)
{
    try {
        return read();
    } catch (const exiv2compat::Error&) {
    } catch (const std::out_of_range&) {
    }
    return fallback;
}

// Where a key's tags are stored: the IFD and the tag number.
struct TagId
{
    bool valid = false; // false for a key Exiv2 cannot parse
    int ifd = 0;
    std::uint16_t tag = 0;
};

// The key parsed once per thread: Exiv2 finds a tag's number by comparing its name with
// each name of the group.
TagId tagId(const char* key)
{
    struct Known
    {
        std::string key;
        TagId id;
    };
    thread_local std::vector<Known> known; // the few keys the analysis and filters read
    for (const Known& k : known) {
        if (k.key == key)
            return k.id;
    }
    TagId id;
    try {
        const Exiv2::ExifKey parsed(key);
        id = {true, int(parsed.ifdId()), parsed.tag()};
    } catch (...) {
    }
    known.push_back({key, id});
    return id;
}

struct Found
{
    bool keyValid = false;
    const Exiv2::Exifdatum* datum = nullptr; // null when the picture lacks the tag
};

// The first datum under the key, the one data[key] gives. Unlike data[key], it adds no
// empty datum for a missing tag and builds no key text for every datum it passes.
Found find(const Exiv2::ExifData& data, const char* key)
{
    const TagId id = tagId(key);
    Found found;
    found.keyValid = id.valid;
    if (!id.valid)
        return found;
    for (const Exiv2::Exifdatum& datum : data) {
        if (datum.tag() == id.tag && int(datum.ifdId()) == id.ifd) {
            found.datum = &datum;
            break;
        }
    }
    return found;
}

} // namespace

bool readText(Exiv2::ExifData& data, const char* key, QString* text)
{
    const Found found = find(data, key);
    if (!found.keyValid)
        return false;
    if (!found.datum) {
        *text = QString();
        return true;
    }
    return readTag(false, [&] {
        const std::string value = found.datum->toString();
        *text = decodeText(value.data(), value.size());
        return true;
    });
}

QString makerNoteLens(Exiv2::ExifData& data)
{
    // Exiv2's lookup parses a dozen key names on every call: ask it only where there are
    // maker notes to look in (parsed ones leave their offset, unknown ones their tag).
    if (!find(data, "Exif.MakerNote.Offset").datum && !find(data, "Exif.Photo.MakerNote").datum)
        return QString();
    try {
        const auto it = exiv2compat::lensDatum(data);
        if (it == data.end())
            return QString();
        const std::string printed = exiv2compat::printedLens(*it, data);
        return decodeText(printed.data(), printed.size()).trimmed();
    } catch (...) {
        return QString(); // a lens Exiv2 cannot print is one it does not know
    }
}

float saneNumber(float value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 1e9f)
        return 0.0f;
    return value;
}

float readNumber(Exiv2::ExifData& data, const char* key)
{
    const Found found = find(data, key);
    if (!found.datum)
        return 0.0f;
    return readTag(0.0f, [&] { return saneNumber(found.datum->toFloat(0)); });
}

float readNumberIfPresent(Exiv2::ExifData& data, const char* key)
{
    const Found found = find(data, key);
    if (!found.datum || found.datum->size() == 0)
        return 0.0f;
    return readTag(0.0f, [&] { return saneNumber(found.datum->toFloat(0)); });
}

QString easyAccessPrint(Exiv2::ExifData& data, EasyValue value)
{
    try {
        Exiv2::ExifData::const_iterator found = data.end();
        switch (value) {
        case EasyValue::FocalLength:
            found = Exiv2::focalLength(data);
            break;
        case EasyValue::FNumber:
            found = Exiv2::fNumber(data);
            break;
        case EasyValue::IsoSpeed:
            found = Exiv2::isoSpeed(data);
            break;
        case EasyValue::ExposureTime:
            found = Exiv2::exposureTime(data);
            break;
        }
        if (found == data.end())
            return QString();
        const std::string printed = found->print(&data);
        return decodeText(printed.data(), printed.size());
    } catch (...) {
        return QString(); // a value Exiv2 cannot print is one it does not have
    }
}

int readNumbers(Exiv2::ExifData& data, const char* key, float* numbers, int count)
{
    const Found found = find(data, key);
    if (!found.datum)
        return 0;
    return readTag(0, [&] {
        const int available = int(std::min<std::size_t>(found.datum->count(), std::size_t(count)));
        for (int i = 0; i < available; ++i)
            numbers[i] = saneNumber(found.datum->toFloat(i));
        return available;
    });
}

QString libraryVersion()
{
    try {
        return QString::fromStdString(Exiv2::versionString());
    } catch (...) {
        return QString();
    }
}

} // namespace exif

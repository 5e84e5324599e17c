#include "analysis/exifaccess.h"

#include "analysis/exiv2compat.h"
#include "analysis/logging.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <exception>
#include <mutex>
#include <stdexcept>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

namespace exif {

namespace {

void logToCategory(int level, const char* message)
{
    const QString text = QString::fromLocal8Bit(message).trimmed();
    switch (level) {
    case Exiv2::LogMsg::debug:
        qCDebug(lcExiv2, "%s", qUtf8Printable(text));
        break;
    case Exiv2::LogMsg::info:
        qCInfo(lcExiv2, "%s", qUtf8Printable(text));
        break;
    case Exiv2::LogMsg::warn:
        qCWarning(lcExiv2, "%s", qUtf8Printable(text));
        break;
    default:
        qCCritical(lcExiv2, "%s", qUtf8Printable(text));
        break;
    }
}

template <typename Open> ImagePtr openAndRead(Open open, const QByteArray& bytes = QByteArray())
{
    installLogHandler();
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
    std::call_once(once, [] { Exiv2::XmpParser::initialize(); });
}

bool mayBePicture(const QString& path)
{
#if defined(Q_OS_UNIX)
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    // Exiv2 would block for ever opening a FIFO, and a device or socket is no picture.
    if (!S_ISREG(info.st_mode))
        return false;
    // A big file that is mostly holes was never written as a picture; Exiv2 would spend
    // half a minute scanning 4 GiB of zeros behind a JPEG marker. Compressing file
    // systems store real pictures in far more than an eighth of their size.
    constexpr long long kSparseCheckFrom = 64LL * 1024 * 1024;
    const long long size = info.st_size;
    const long long allocated = static_cast<long long>(info.st_blocks) * 512;
    if (size > kSparseCheckFrom && allocated < size / 8)
        return false;
    return true;
#else
    return QFileInfo(path).isFile();
#endif
}

ImagePtr openFile(const QString& path)
{
    if (!mayBePicture(path))
        return nullptr;
    // A small file is read in one go and parsed from memory: Exiv2 would otherwise open
    // it three times and map it, and unmapping stalls every other reading thread.
    constexpr qint64 kReadWholeUpTo = 1024 * 1024;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    if (file.size() <= kReadWholeUpTo) {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return nullptr;
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
        const std::size_t size = std::size_t(bytes.size());
        return openAndRead([data, size] { return exiv2compat::openImage(data, size); }, bytes);
    }
    file.close();
    // The file system's own encoding: a Latin-1 path would miss non-Latin folder names.
    const std::string native = QFile::encodeName(path).toStdString();
    return openAndRead([&native] { return exiv2compat::openImage(native); });
}

ImagePtr openBuffer(const unsigned char* data, std::size_t size)
{
    return openAndRead([data, size] { return exiv2compat::openImage(data, size); });
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

} // namespace

bool readText(Exiv2::ExifData& data, const char* key, QString* text)
{
    return readTag(false, [&] {
        const std::string value = data[key].toString();
        *text = QString::fromLatin1(value.c_str()); // up to the first NUL
        return true;
    });
}

float saneNumber(float value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 1e9f)
        return 0.0f;
    return value;
}

float readNumber(Exiv2::ExifData& data, const char* key)
{
    return readTag(0.0f, [&] { return saneNumber(data[key].toFloat(0)); });
}

float readNumberIfPresent(Exiv2::ExifData& data, const char* key)
{
    return readTag(0.0f, [&] {
        Exiv2::Exifdatum& datum = data[key];
        return datum.size() > 0 ? saneNumber(datum.toFloat(0)) : 0.0f;
    });
}

} // namespace exif

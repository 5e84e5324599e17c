// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_EXIV2COMPAT_H
#define LENSTALLY_EXIV2COMPAT_H

// The one place that knows which Exiv2 version we build against (0.27 or 0.28).

#include <exiv2/exiv2.hpp>

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

namespace exiv2compat {

#if EXIV2_TEST_VERSION(0, 28, 0)
using Error = Exiv2::Error;
#else
using Error = Exiv2::AnyError;
#endif

// 0.27 hands images out as std::auto_ptr, 0.28 as std::unique_ptr; take either.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif

inline std::unique_ptr<Exiv2::Image> openImage(const std::string& path)
{
    return std::unique_ptr<Exiv2::Image>(Exiv2::ImageFactory::open(path).release());
}

inline std::unique_ptr<Exiv2::Image> openImage(const unsigned char* data, std::size_t size)
{
#if EXIV2_TEST_VERSION(0, 28, 0)
    return std::unique_ptr<Exiv2::Image>(Exiv2::ImageFactory::open(data, size).release());
#else
    return std::unique_ptr<Exiv2::Image>(
        Exiv2::ImageFactory::open(data, static_cast<long>(size)).release());
#endif
}

// A new, empty JPEG file at path (0.28 made the image type an enum class).
inline std::unique_ptr<Exiv2::Image> createJpeg(const std::string& path)
{
    return std::unique_ptr<Exiv2::Image>(
        Exiv2::ImageFactory::create(Exiv2::ImageType::jpeg, path).release());
}

// Lets Exiv2 read ISO base media files (HEIF, AVIF, CR3): off in 0.27 until asked for, on
// by default in 0.28. Call once before any reading thread starts.
inline void enableBmff()
{
#if !EXIV2_TEST_VERSION(0, 28, 0) && defined(EXV_ENABLE_BMFF)
    Exiv2::enableBMFF(true);
#endif
}

// True when Exiv2's process-wide registry holds XMP namespaces learnt from pictures.
inline bool hasLearntXmpNamespaces()
{
#if EXIV2_TEST_VERSION(0, 28, 0)
    const std::lock_guard<std::mutex> lock(Exiv2::XmpProperties::mutex_);
#else
    const Exiv2::ScopedReadLock lock(Exiv2::XmpProperties::rwLock_);
#endif
    return !Exiv2::XmpProperties::nsRegistry_.empty();
}

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

// Whether ISO base media files reach Exiv2 as the metadata prefix of bmff::metadataPrefix
// (walked the way 0.27's reader walks them) rather than whole. The real-file check and the
// fuzzer's differential check prove the prefix against this build's own reader.
constexpr bool kBmffPrefix = true;

// The datum Exiv2 names the picture's lens from, data.end() when none. 0.28 falls back
// on Exif.Photo.LensSpecification, which is no maker-note tag: left out, as in 0.27.
inline Exiv2::ExifData::const_iterator lensDatum(const Exiv2::ExifData& data)
{
    const auto found = Exiv2::lensName(data);
#if EXIV2_TEST_VERSION(0, 28, 0)
    if (found != data.end() && found->key() == "Exif.Photo.LensSpecification")
        return data.end();
#endif
    return found;
}

// The lens as Exiv2 prints it, "" when it names none: 0.28 prints a Canon lens number whose
// lenses do not match the picture's focal range and aperture as "Unknown Lens (N)".
inline std::string printedLens(const Exiv2::Exifdatum& lens, const Exiv2::ExifData& data)
{
    std::string printed = lens.print(&data);
#if EXIV2_TEST_VERSION(0, 28, 0)
    if (printed.rfind("Unknown Lens (", 0) == 0)
        printed.clear();
#endif
    return printed;
}

} // namespace exiv2compat

#endif

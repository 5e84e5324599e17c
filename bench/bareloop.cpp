// SPDX-License-Identifier: GPL-3.0-or-later
// The benchmark's floor: walk the tree, open each picture with Exiv2, read the seven keys
// the analysis reads, nothing else. bench-bareloop FOLDER prints the files read and a sum.

#include "core/read/exiv2compat.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

namespace {

const std::set<std::string> extensions = {
    "jpg", "jpeg", "tif", "tiff", "3rf", "ari", "arw", "srf", "sr2", "bay", "crw", "cr2", "cap",
    "iiq", "eip",  "dcs", "dcr",  "drf", "k25", "kdc", "dng", "erf", "fff", "mef", "mos", "mrw",
    "nef", "nrw",  "orf", "ptx",  "pef", "pxn", "r3d", "raf", "raw", "rw2", "rwl", "rwz", "x3f"};

const char* const textKeys[] = {"Exif.Image.Make", "Exif.Image.Model"};
const char* const numberKeys[] = {"Exif.Photo.FocalLength", "Exif.Photo.FocalLengthIn35mmFilm",
                                  "Exif.Photo.FNumber", "Exif.Photo.ISOSpeedRatings",
                                  "Exif.Photo.ExposureTime"};

bool isPicture(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    if (extension.size() < 2)
        return false;
    extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extensions.count(extension) > 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    long files = 0;
    double sum = 0; // printed, so the reads cannot be left out
    std::size_t textBytes = 0;
    namespace fs = std::filesystem;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(argv[1])) {
        if (!entry.is_regular_file() || !isPicture(entry.path()))
            continue;
        ++files;
        try {
            auto image = exiv2compat::openImage(entry.path().string());
            if (!image)
                continue;
            image->readMetadata();
            Exiv2::ExifData& data = image->exifData();
            for (const char* key : textKeys)
                textBytes += data[key].toString().size();
            for (const char* key : numberKeys)
                sum += data[key].toFloat(0);
        } catch (...) {
        }
    }
    std::printf("%ld files, sum %.1f, text %zu\n", files, sum, textBytes);
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The I/O floor of a first run: walk the tree and, for each picture, open it, read its
// first 64 KiB and close it. bench-ioloop FOLDER prints the files read and the bytes.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    static const std::set<std::string> extensions = {
        "jpg",  "jpeg", "tif", "tiff", "3fr", "arw", "cr2", "cr3", "crw", "dng", "erf", "heic",
        "heif", "avif", "iiq", "mrw",  "nef", "nrw", "orf", "pef", "raf", "raw", "rw2", "srw"};
    static char buffer[64 * 1024];
    long files = 0;
    long long bytes = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[1], error)) {
        if (!entry.is_regular_file(error))
            continue;
        std::string ext = entry.path().extension().string();
        if (ext.empty())
            continue;
        ext.erase(0, 1);
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if (!extensions.count(ext))
            continue;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
        ::close(fd);
        ++files;
        bytes += n > 0 ? n : 0;
    }
    std::printf("%ld files, %lld bytes\n", files, bytes);
    return 0;
}

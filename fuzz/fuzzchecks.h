// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_FUZZCHECKS_H
#define LENSTALLY_FUZZCHECKS_H

// What the fuzz targets and the regression test do with one input: run it through
// the program's own code and check what came out. Shared so that a committed
// input replays exactly as the fuzzer ran it.

#include <QString>

#include <cstddef>
#include <cstdint>

namespace fuzzchecks {

// Analyses the bytes as a picture (with and without filters), fills a table set,
// finishes, sorts and exports it in every format, and checks that Exiv2 reads the same
// from the box walker's prefix of an ISO base media file as from the whole, and that the
// fast reader, where it takes the bytes, reads what the Exiv2 path reads; "" when every
// result holds, else what went wrong.
QString checkPicture(const std::uint8_t* data, std::size_t size);

// Splits the bytes into make field, model field and a tag text, parses the fields
// into name lists and asks the filters about a known picture and the text; "" when
// every result holds, else what went wrong.
QString checkNames(const std::uint8_t* data, std::size_t size);

} // namespace fuzzchecks

#endif

#pragma once
// The Range header of a stream request. One range is served; a header naming several gets
// the whole file, so no request can make the reply longer than the file.

#include <cstdint>
#include <string_view>

namespace lumiqo::server {

struct ByteRange {
  enum class Kind {
    Whole,        // no usable single range: 200 with the whole file
    Part,         // 206 with bytes [first, first + length)
    Unsatisfiable // 416 with "Content-Range: bytes */size"
  };
  Kind kind = Kind::Whole;
  std::uint64_t first = 0;
  std::uint64_t length = 0;
};

// Reads "bytes=FIRST-LAST", "bytes=FIRST-" and "bytes=-SUFFIX" against a file of `size`
// bytes. A malformed header, another unit or a list of ranges gives Whole; a first byte at
// or past the end (or an empty suffix) gives Unsatisfiable; a last byte past the end is cut
// to the end.
ByteRange parseByteRange(std::string_view header, std::uint64_t size);

} // namespace lumiqo::server

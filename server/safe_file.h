#pragma once
// Opening the listener's files without trusting them. Only a regular file is opened: its
// kind is checked before the open (so a FIFO or a device is never opened at all), the open
// does not block, and the open descriptor is checked again (so a file swapped between the
// look and the open is caught). Reads are bounded, and a descriptor's own path can be checked
// against the imported folder.

#include "base/file_handle.h"

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumiqo::server {

using lumiqo::FileHandle;

struct OpenedFile {
  enum class Problem { None, Missing, NotRegular, Unreadable };
  FileHandle fd;
  struct stat info {};
  Problem problem = Problem::None;
  int error = 0; // errno of the failed step
};

// Opens `path` (links followed) for reading when it is a regular file.
OpenedFile openRegularFile(const std::string &path);

// At most `limit` bytes of an open file from its start; nullopt when it is longer (errno
// EFBIG) or cannot be read.
std::optional<std::string> readAtMost(int fd, std::uint64_t limit);

// The path the kernel holds for an open descriptor (all links resolved), or "".
std::string descriptorPath(int fd);

// True when `path` is `folder` or lies below it; both absolute and resolved.
bool isInside(std::string_view path, std::string_view folder);

// A file name made fit for a terminal line: control characters, bytes that are not UTF-8 and
// the backslash become \xHH (the backslash \\), so no name can move the cursor or forge a line.
std::string printableName(std::string_view name);

} // namespace lumiqo::server

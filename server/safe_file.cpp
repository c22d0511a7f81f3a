#include "safe_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace lumiqo::server {

OpenedFile openRegularFile(const std::string &path) {
  OpenedFile out;
  const auto fail = [&](OpenedFile::Problem problem) {
    out.problem = problem;
    out.error = errno;
    out.fd = FileHandle();
    return std::move(out);
  };
  struct stat before {};
  if (::stat(path.c_str(), &before) != 0)
    return fail(errno == ENOENT || errno == ENOTDIR ? OpenedFile::Problem::Missing
                                                    : OpenedFile::Problem::Unreadable);
  if (!S_ISREG(before.st_mode))
    return fail(OpenedFile::Problem::NotRegular);
  // O_NONBLOCK: should the file have become a FIFO since the look, the open returns at once.
  out.fd = FileHandle(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!out.fd)
    return fail(errno == ENOENT ? OpenedFile::Problem::Missing : OpenedFile::Problem::Unreadable);
  if (::fstat(out.fd.get(), &out.info) != 0)
    return fail(OpenedFile::Problem::Unreadable);
  if (!S_ISREG(out.info.st_mode) || out.info.st_dev != before.st_dev || out.info.st_ino != before.st_ino) {
    errno = 0;
    return fail(OpenedFile::Problem::NotRegular);
  }
  return out;
}

std::optional<std::string> readAtMost(int fd, std::uint64_t limit) {
  std::string out;
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(out.size()));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return std::nullopt;
    if (n == 0)
      return out;
    if (out.size() + static_cast<std::uint64_t>(n) > limit) {
      errno = EFBIG;
      return std::nullopt;
    }
    out.append(buffer, static_cast<size_t>(n));
  }
}

std::string descriptorPath(int fd) {
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  std::string path(4096, '\0');
  const ssize_t n = ::readlink(link, path.data(), path.size());
  if (n <= 0 || static_cast<size_t>(n) >= path.size())
    return {};
  path.resize(static_cast<size_t>(n));
  return path;
}

bool isInside(std::string_view path, std::string_view folder) {
  while (folder.size() > 1 && folder.back() == '/')
    folder.remove_suffix(1);
  if (!path.starts_with(folder))
    return false;
  return path.size() == folder.size() || folder == "/" || path[folder.size()] == '/';
}

namespace {

// The length of the UTF-8 sequence starting at s[i], or 0 when it is not one.
size_t utf8Sequence(std::string_view s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned lead = byte(i);
  size_t length = 0;
  unsigned code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > s.size())
    return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80)
      return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  const bool invalid = code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF);
  // C1 controls (U+0080 to U+009F) steer terminals as the C0 ones do.
  const bool control = code >= 0x80 && code <= 0x9F;
  return overlong || invalid || control ? 0 : length;
}

} // namespace

std::string printableName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size();) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte == '\\') {
      out += "\\\\";
      ++i;
    } else if (byte >= 0x20 && byte < 0x7F) {
      out += name[i++];
    } else if (const size_t length = byte >= 0x80 ? utf8Sequence(name, i) : 0) {
      out.append(name.substr(i, length));
      i += length;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
      ++i;
    }
  }
  return out;
}

} // namespace lumiqo::server

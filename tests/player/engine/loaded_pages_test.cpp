// Handing back the pages of loaded files: only what can be read back unchanged goes.

#include "player/engine/loaded_pages.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

using lumiqo::engine::loadedLibraries;
using lumiqo::engine::releaseCleanPages;

namespace {

constexpr std::size_t kSize = 64 * 4096;

// Resident kilobytes of the mapping that starts at `at`, from /proc/self/smaps.
long residentKb(const void *at) {
  std::ifstream smaps("/proc/self/smaps");
  std::string line;
  bool ours = false;
  while (std::getline(smaps, line)) {
    std::istringstream in(line);
    std::string first;
    in >> first;
    if (const std::size_t dash = first.find('-'); dash != std::string::npos && first.back() != ':')
      ours = std::stoull(first.substr(0, dash), nullptr, 16) == reinterpret_cast<std::uintptr_t>(at);
    else if (ours && first == "Rss:") {
      long kb = 0;
      in >> kb;
      return kb;
    }
  }
  return -1;
}

struct MappedFile {
  std::string path;
  int fd = -1;
  explicit MappedFile(const QTemporaryDir &dir) : path(dir.filePath("pages").toStdString()) {
    std::vector<unsigned char> bytes(kSize);
    for (std::size_t i = 0; i < kSize; ++i)
      bytes[i] = static_cast<unsigned char>(i * 7);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), kSize);
    fd = ::open(path.c_str(), O_RDONLY);
  }
  ~MappedFile() { ::close(fd); }
  unsigned char *map(int protection) const {
    void *p = ::mmap(nullptr, kSize, protection, MAP_PRIVATE, fd, 0);
    return p == MAP_FAILED ? nullptr : static_cast<unsigned char *>(p);
  }
};

void touch(const unsigned char *p) {
  for (std::size_t i = 0; i < kSize; i += 4096)
    (void)*static_cast<const volatile unsigned char *>(p + i);
}

bool holdsTheFile(const unsigned char *p) {
  for (std::size_t i = 0; i < kSize; ++i)
    if (p[i] != static_cast<unsigned char>(i * 7))
      return false;
  return true;
}

} // namespace

TEST(LoadedPages, ReadOnlyPagesGoAndComeBackFromTheFile) {
  QTemporaryDir dir;
  MappedFile file(dir);
  ASSERT_GE(file.fd, 0);
  unsigned char *p = file.map(PROT_READ);
  ASSERT_NE(p, nullptr);
  touch(p);
  ASSERT_GT(residentKb(p), 0);
  EXPECT_GT(releaseCleanPages({file.path}), 0);
  EXPECT_EQ(residentKb(p), 0);
  EXPECT_TRUE(holdsTheFile(p)) << "read back from the file";
  // Other files' mappings are left alone.
  touch(p);
  EXPECT_EQ(releaseCleanPages({file.path + ".other"}), 0);
  EXPECT_GT(residentKb(p), 0);
  ::munmap(p, kSize);
}

TEST(LoadedPages, WritableOrCopiedPagesStay) {
  QTemporaryDir dir;
  MappedFile file(dir);
  ASSERT_GE(file.fd, 0);
  // Written and still writable (a library's data).
  unsigned char *data = file.map(PROT_READ | PROT_WRITE);
  ASSERT_NE(data, nullptr);
  data[5] = 1;
  // Written, then made read-only (relocated tables): read-only, yet a private copy.
  unsigned char *relocated = file.map(PROT_READ | PROT_WRITE);
  ASSERT_NE(relocated, nullptr);
  relocated[4096 + 9] = 2;
  ASSERT_EQ(::mprotect(relocated, kSize, PROT_READ), 0);
  releaseCleanPages({file.path});
  EXPECT_EQ(data[5], 1);
  EXPECT_EQ(relocated[4096 + 9], 2);
  EXPECT_GT(residentKb(relocated), 0);
  ::munmap(data, kSize);
  ::munmap(relocated, kSize);
}

TEST(LoadedPages, LibrariesAreNamedAsTheMemoryMapNamesThem) {
  // The C library is loaded in every program, and named by its real file.
  bool libc = false;
  for (const std::string &name : loadedLibraries()) {
    char *real = ::realpath(name.c_str(), nullptr);
    ASSERT_NE(real, nullptr) << name;
    EXPECT_EQ(name, real);
    std::free(real);
    libc = libc || name.find("/libc.so") != std::string::npos;
  }
  EXPECT_TRUE(libc);
}

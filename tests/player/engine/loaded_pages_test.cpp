// Handing back the pages of loaded libraries: the code and constants go and come back on
// use; the tables relocated at loading stay as they were.

#include "player/engine/loaded_pages.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include <dlfcn.h>
#include <unistd.h>

using lumiqo::engine::loadedLibraries;
using lumiqo::engine::releaseCleanPages;

namespace {

// Resident kilobytes of the mappings of files whose path holds `name` and whose permissions
// are `perms` (as /proc/self/smaps lists them).
long residentKb(const std::string &name, const std::string &perms) {
  std::ifstream smaps("/proc/self/smaps");
  std::string line;
  bool ours = false;
  long total = 0;
  while (std::getline(smaps, line)) {
    std::istringstream in(line);
    std::string first, p, offset, device, inode, path;
    in >> first;
    if (first.back() != ':' && first.find('-') != std::string::npos) {
      in >> p >> offset >> device >> inode >> path;
      ours = p == perms && path.find(name) != std::string::npos;
    } else if (ours && first == "Rss:") {
      long kb = 0;
      in >> kb;
      total += kb;
    }
  }
  return total;
}

std::string decoderLibrary() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  std::string exe(path, n > 0 ? std::size_t(n) : 0);
  return exe.substr(0, exe.rfind('/') + 1) + "liblumiqo_decoder.so";
}

} // namespace

TEST(LoadedPages, CodeGoesAndComesBackWhileRelocatedTablesStay) {
  // FFmpeg's container library, as the decoder library brings it.
  ASSERT_NE(::dlopen(decoderLibrary().c_str(), RTLD_NOW | RTLD_LOCAL), nullptr) << ::dlerror();
  std::string avformat;
  for (const std::string &name : loadedLibraries())
    if (name.find("libavformat.so") != std::string::npos)
      avformat = name;
  ASSERT_FALSE(avformat.empty());
  void *library = ::dlopen(avformat.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr);
  using Version = unsigned (*)();
  using Find = const void *(*)(const char *);
  auto version = reinterpret_cast<Version>(::dlsym(library, "avformat_version"));
  auto findFormat = reinterpret_cast<Find>(::dlsym(library, "av_find_input_format"));
  ASSERT_TRUE(version && findFormat);
  const unsigned before = version();
  ASSERT_NE(findFormat("mp3"), nullptr);
  ASSERT_GT(residentKb("libavformat.so", "r-xp"), 0);

  EXPECT_GT(releaseCleanPages({avformat}), 0);
  EXPECT_LT(residentKb("libavformat.so", "r-xp"), 64) << "its code is handed back";
  // The code comes back from the file, and the relocated list of containers still points
  // where it should.
  EXPECT_EQ(version(), before);
  EXPECT_NE(findFormat("mp3"), nullptr);
  EXPECT_NE(findFormat("asf"), nullptr);
  EXPECT_EQ(findFormat("no such container"), nullptr);
  EXPECT_EQ(releaseCleanPages({avformat + ".other"}), 0) << "other names are left alone";
  ::dlclose(library);
}

#include "player/engine/loaded_pages.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <link.h>
#include <sys/mman.h>

namespace lumiqo::engine {

std::set<std::string> loadedLibraries() {
  std::set<std::string> names;
  dl_iterate_phdr(
      [](dl_phdr_info *info, std::size_t, void *out) {
        // The loader names a library as it found it (often through a link); the memory map
        // names the file itself.
        if (info->dlpi_name && *info->dlpi_name)
          if (char *real = ::realpath(info->dlpi_name, nullptr)) {
            static_cast<std::set<std::string> *>(out)->insert(real);
            std::free(real);
          }
        return 0;
      },
      &names);
  return names;
}

long releaseCleanPages(const std::set<std::string> &paths) {
  if (paths.empty())
    return 0;
  // One mapping of /proc/self/smaps: a header line, then its fields.
  struct Mapping {
    std::uintptr_t start = 0, end = 0;
    bool candidate = false; // a file of ours, not writable
    long rss = 0, anonymous = -1;
  };
  long dropped = 0;
  auto release = [&](const Mapping &m) {
    // A private copy (a relocated page) would be lost: only wholly clean mappings go.
    if (m.candidate && m.anonymous == 0 && m.rss > 0 &&
        ::madvise(reinterpret_cast<void *>(m.start), m.end - m.start, MADV_DONTNEED) == 0)
      dropped += m.rss;
  };
  std::ifstream smaps("/proc/self/smaps");
  Mapping current;
  std::string line;
  while (std::getline(smaps, line)) {
    std::istringstream in(line);
    std::string first;
    in >> first;
    if (!first.empty() && first.back() == ':') {
      long kb = 0;
      in >> kb;
      if (first == "Rss:")
        current.rss = kb;
      else if (first == "Anonymous:")
        current.anonymous = kb;
      continue;
    }
    const std::size_t dash = first.find('-');
    if (dash == std::string::npos)
      continue;
    release(current);
    current = Mapping{};
    std::string perms, offset, device, inode, path;
    in >> perms >> offset >> device >> inode;
    std::getline(in >> std::ws, path);
    current.start = std::stoull(first.substr(0, dash), nullptr, 16);
    current.end = std::stoull(first.substr(dash + 1), nullptr, 16);
    current.candidate = perms.size() >= 2 && perms[1] != 'w' && paths.count(path) > 0;
  }
  release(current);
  return dropped;
}

} // namespace lumiqo::engine

#include "player/engine/loaded_pages.h"

#include <cstdint>

#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

namespace lumiqo::engine {

std::set<std::string> loadedLibraries() {
  std::set<std::string> names;
  dl_iterate_phdr(
      [](dl_phdr_info *info, std::size_t, void *out) {
        if (info->dlpi_name && *info->dlpi_name)
          static_cast<std::set<std::string> *>(out)->insert(info->dlpi_name);
        return 0;
      },
      &names);
  return names;
}

long releaseCleanPages(const std::set<std::string> &paths) {
  struct Walk {
    const std::set<std::string> &paths;
    long dropped = 0;
  } walk{paths};
  if (paths.empty())
    return 0;
  dl_iterate_phdr(
      [](dl_phdr_info *info, std::size_t, void *data) {
        auto &w = *static_cast<Walk *>(data);
        if (!info->dlpi_name || !w.paths.count(info->dlpi_name))
          return 0;
        // A library whose code the loader had to patch holds private copies of it: it stays.
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          const ElfW(Phdr) &ph = info->dlpi_phdr[i];
          if (ph.p_type != PT_DYNAMIC)
            continue;
          for (auto *d = reinterpret_cast<const ElfW(Dyn) *>(info->dlpi_addr + ph.p_vaddr);
               d->d_tag != DT_NULL; ++d)
            if (d->d_tag == DT_TEXTREL || (d->d_tag == DT_FLAGS && (d->d_un.d_val & DF_TEXTREL)))
              return 0;
        }
        // Segments that are never written (code, constants) read back from the file as they
        // are; the writable ones, and the relocated tables made read-only after loading
        // (which lie in a writable segment), stay. Only whole pages inside a segment go.
        const std::uintptr_t page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          const ElfW(Phdr) &ph = info->dlpi_phdr[i];
          if (ph.p_type != PT_LOAD || (ph.p_flags & PF_W))
            continue;
          const std::uintptr_t from = (info->dlpi_addr + ph.p_vaddr + page - 1) & ~(page - 1);
          const std::uintptr_t to = (info->dlpi_addr + ph.p_vaddr + ph.p_memsz) & ~(page - 1);
          if (to > from && ::madvise(reinterpret_cast<void *>(from), to - from, MADV_DONTNEED) == 0)
            w.dropped += static_cast<long>((to - from) / 1024);
        }
        return 0;
      },
      &walk);
  return walk.dropped;
}

} // namespace lumiqo::engine

#pragma once
// Loading a library touches more of it than running it does: the loader reads its tables,
// applies relocations and runs constructors, and the kernel maps the neighbours of every page
// it reads. The decoder library brings about a hundred libraries (FFmpeg's codecs, filters,
// network and font libraries) of which playing uses a handful of pages; those touched only
// by the loading are handed back here, and whatever the decoding needs later comes back on
// first use, from the page cache.

#include <set>
#include <string>

namespace lumiqo::engine {

// The paths of the libraries loaded into this process.
std::set<std::string> loadedLibraries();

// Drops this process's pages of the given files' mappings that can be read back from the
// files unchanged: mappings that cannot be written and hold no private copies. Pages of
// writable mappings and relocated (copied) ones stay. Returns the kilobytes dropped.
long releaseCleanPages(const std::set<std::string> &paths);

} // namespace lumiqo::engine

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

// The libraries loaded into this process, named as the dynamic loader found them.
std::set<std::string> loadedLibraries();

// Drops this process's pages of the given loaded libraries (named as above) that read back
// from their files unchanged: the segments never written (code, constants). Writable data and
// the tables relocated at loading stay; a library whose code was patched at loading is left
// whole. (A debugger's breakpoint in such code is lost with its page.) Returns the kilobytes
// of address range handed back.
long releaseCleanPages(const std::set<std::string> &paths);

} // namespace lumiqo::engine

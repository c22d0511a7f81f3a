// Loads the decoder library (liblumiqo_decoder.so) from the program's own folder, once, and
// opens decoders through its one entry point. The library is never unloaded: decoders it made
// may outlive any caller.
#include "player/engine/decoder.h"

#include "player/engine/loaded_pages.h"

#include <climits>
#include <mutex>
#include <set>
#include <thread>

#include <dlfcn.h>
#include <unistd.h>

namespace lumiqo::engine {

namespace {

using OpenFunction = decltype(&lumiqo_decoder_open);

constexpr const char *kLibraryName = "liblumiqo_decoder.so";

struct Library {
  OpenFunction open = nullptr;
  std::string error;             // why it could not be loaded
  std::set<std::string> brought; // the libraries loading it brought in
};

// The folder of the running program, with its slash; empty when /proc does not say.
std::string programFolder() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0)
    return {};
  std::string folder(path, static_cast<std::size_t>(n));
  return folder.substr(0, folder.rfind('/') + 1);
}

Library load() {
  Library library;
  // Beside the program first (the build tree, the installed program folder), then wherever
  // the dynamic loader looks.
  void *handle = nullptr;
  const std::set<std::string> before = loadedLibraries();
  for (const std::string &path : {programFolder() + kLibraryName, std::string(kLibraryName)}) {
    handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle)
      break;
    if (const char *why = ::dlerror())
      library.error = why;
  }
  if (!handle)
    return library;
  for (const std::string &name : loadedLibraries())
    if (!before.count(name))
      library.brought.insert(name);
  library.open = reinterpret_cast<OpenFunction>(::dlsym(handle, "lumiqo_decoder_open"));
  if (!library.open)
    library.error = std::string(kLibraryName) + " has no entry point lumiqo_decoder_open";
  return library;
}

// Loaded by the first caller; the others wait for it.
const Library &library() {
  static const Library instance = load();
  return instance;
}

} // namespace

std::unique_ptr<Decoder> Decoder::open(const std::string &location, Interrupt interrupt, std::string *error) {
  const Library &lib = library();
  if (!lib.open) {
    if (error)
      *error = "the decoder library cannot be loaded: " + lib.error;
    return nullptr;
  }
  return std::unique_ptr<Decoder>(lib.open(location, std::move(interrupt), error));
}

void Decoder::streamSettled() {
  // Loading the libraries and every opening (which tries each container's probe and looks
  // through the codec tables) touch far more of them than decoding does. One stream at a time
  // looks; another that finishes opening meanwhile leaves it to that one.
  static std::mutex busy;
  std::unique_lock lock(busy, std::try_to_lock);
  if (lock.owns_lock())
    releaseCleanPages(library().brought);
}

void Decoder::prepare() {
  // The loading thread is joined when the program ends: a load cannot be cut short, and a
  // program must not end in the middle of one (the libraries' own start-up code would be
  // left half done).
  struct Loader {
    std::thread thread{[] { library(); }};
    ~Loader() { thread.join(); }
  };
  static Loader loader;
}

} // namespace lumiqo::engine

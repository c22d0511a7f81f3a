#pragma once
// The walk through a music folder that the import makes. The folder is a boundary: a link is
// followed only when its target, all links resolved, lies inside the folder; what resolves
// outside, a link that loops and a special file (FIFO, device, socket) that looks like a song
// or lyrics are reported and left alone. Nothing is opened here but directories.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lumiqo::server {

// Why something in the folder is not imported.
enum class Skip {
  Outside,    // a link resolving outside the folder
  NotRegular, // a FIFO, device or socket named like a song or lyrics
  LinkLoop,   // a link that leads back to where it stands, or to itself
  BrokenLink, // a link to nothing
  Unreadable, // no permission, or an error reading it
  NotAudio,   // a file FFmpeg cannot read as audio
  TooLarge,   // lyrics or catalogue.ini beyond their bounds
  Count
};
inline constexpr int kSkipKinds = static_cast<int>(Skip::Count);

// What the summary calls a reason: "outside the folder", "not a regular file", ...
const char *skipText(Skip reason);

struct FoundFile {
  std::string relPath;  // below the folder, '/'-separated, as the folder names it (links not resolved)
  std::string realPath; // absolute, every link resolved
  std::uint64_t size = 0;
  std::int64_t mtimeNs = 0;
};

struct FolderContents {
  std::string root;                  // the folder, resolved
  std::vector<FoundFile> songs;      // files with a song format's extension, by relPath
  std::vector<FoundFile> lyrics;     // .lrc files, by relPath
  std::optional<FoundFile> manifest; // catalogue.ini at the top
};

struct WalkCallbacks {
  // A name left out, and why; `name` is printable (see printableName).
  std::function<void(Skip, const std::string &message)> skipped;
  // Now and then: how many files of interest have been found so far.
  std::function<void(std::size_t found)> found;
};

// Throws std::runtime_error when `folder` is not a readable folder.
FolderContents walkFolder(const std::string &folder, const WalkCallbacks &callbacks);

} // namespace lumiqo::server

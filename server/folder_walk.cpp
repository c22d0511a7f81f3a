#include "folder_walk.h"

#include "base/song_formats.h"
#include "safe_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>

namespace lumiqo::server {

const char *skipText(Skip reason) {
  switch (reason) {
  case Skip::Outside: return "outside the folder";
  case Skip::NotRegular: return "not a regular file";
  case Skip::LinkLoop: return "link loops";
  case Skip::BrokenLink: return "links to nothing";
  case Skip::Unreadable: return "unreadable";
  case Skip::NotAudio: return "not audio FFmpeg can read";
  case Skip::TooLarge: return "too large";
  case Skip::Count: break;
  }
  return "?";
}

namespace {

enum class Interest { None, Song, Lyrics, Manifest };

Interest interestOf(std::string_view name, bool top) {
  if (top && name == "catalogue.ini")
    return Interest::Manifest;
  if (songFormatOf(name))
    return Interest::Song;
  if (name.size() > 4) {
    std::string ext(name.substr(name.size() - 4));
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".lrc")
      return Interest::Lyrics;
  }
  return Interest::None;
}

std::int64_t mtimeOf(const struct stat &st) {
  return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

std::string joined(const std::string &folder, const std::string &name) {
  return folder.empty() ? name : folder == "/" ? "/" + name : folder + "/" + name;
}

struct Dir {
  std::string rel;  // "" for the top
  std::string real; // resolved
  dev_t dev = 0;
  ino_t ino = 0;
};

struct DirCloser {
  void operator()(DIR *d) const { ::closedir(d); }
};

class Walk {
public:
  Walk(std::string root, const WalkCallbacks &callbacks) : callbacks_(callbacks) {
    out_.root = std::move(root);
  }

  FolderContents run(const struct stat &top) {
    visited_.insert({top.st_dev, top.st_ino});
    pending_.push_back({"", out_.root});
    // Real folders first, so that every folder is known by its own name; then the folders
    // that only a link leads to.
    for (;;) {
      while (!pending_.empty()) {
        const Dir dir = std::move(pending_.back());
        pending_.pop_back();
        read(dir);
      }
      if (linked_.empty())
        break;
      const Dir dir = std::move(linked_.front());
      linked_.erase(linked_.begin());
      if (visited_.insert({dir.dev, dir.ino}).second) {
        pending_.push_back(dir);
      } else if (isInside(parentOf(dir.rel), dir.real)) {
        skip(Skip::LinkLoop, "a link loop, skipped: " + printableName(dir.rel));
      }
    }
    const auto byPath = [](const FoundFile &a, const FoundFile &b) { return a.relPath < b.relPath; };
    std::sort(out_.songs.begin(), out_.songs.end(), byPath);
    std::sort(out_.lyrics.begin(), out_.lyrics.end(), byPath);
    return std::move(out_);
  }

private:
  // Where the folder holding `rel` really is.
  std::string parentOf(const std::string &rel) const {
    const auto slash = rel.rfind('/');
    return slash == std::string::npos ? out_.root : parents_.at(rel.substr(0, slash));
  }

  void read(const Dir &dir) {
    const int fd = ::open(dir.real.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const std::string shown = dir.rel.empty() ? "." : printableName(dir.rel);
    if (fd < 0) {
      skip(Skip::Unreadable, "cannot read the folder " + shown + ": " + std::strerror(errno));
      return;
    }
    std::unique_ptr<DIR, DirCloser> handle(::fdopendir(fd));
    if (!handle) {
      ::close(fd);
      skip(Skip::Unreadable, "cannot read the folder " + shown + ": " + std::strerror(errno));
      return;
    }
    // The folder as the kernel opened it: a folder swapped for a link since it was found
    // cannot lead the walk out.
    const std::string real = descriptorPath(fd);
    if (!isInside(real, out_.root)) {
      skip(Skip::Outside, "outside the folder, skipped: " + shown + " -> " + printableName(real));
      return;
    }
    if (!dir.rel.empty())
      parents_[dir.rel] = real;
    std::vector<std::pair<std::string, unsigned char>> entries;
    errno = 0;
    while (const dirent *e = ::readdir(handle.get())) {
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
        entries.emplace_back(e->d_name, e->d_type);
    }
    if (errno != 0)
      skip(Skip::Unreadable, "cannot read all of the folder " + shown + ": " + std::strerror(errno));
    std::sort(entries.begin(), entries.end());
    for (const auto &[name, type] : entries)
      entry(fd, Dir{dir.rel, real}, name, type);
  }

  void entry(int dirFd, const Dir &dir, const std::string &name, unsigned char type) {
    const std::string rel = joined(dir.rel, name);
    const std::string path = joined(dir.real, name);
    const Interest interest = interestOf(name, dir.rel.empty());
    struct stat st {};
    if (type == DT_UNKNOWN || type == DT_DIR || (type == DT_REG && interest != Interest::None)) {
      if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (interest != Interest::None || type == DT_DIR)
          skip(Skip::Unreadable, "cannot read " + printableName(rel) + ": " + std::strerror(errno));
        return;
      }
      type = S_ISDIR(st.st_mode)   ? DT_DIR
             : S_ISREG(st.st_mode) ? DT_REG
             : S_ISLNK(st.st_mode) ? DT_LNK
                                   : DT_FIFO;
    }
    switch (type) {
    case DT_DIR:
      if (visited_.insert({st.st_dev, st.st_ino}).second)
        pending_.push_back({rel, path, st.st_dev, st.st_ino});
      return;
    case DT_REG:
      if (interest != Interest::None)
        take(interest, {rel, path, static_cast<std::uint64_t>(st.st_size), mtimeOf(st)});
      return;
    case DT_LNK: link(dirFd, name, rel, path, interest); return;
    default:
      if (interest != Interest::None)
        skip(Skip::NotRegular, "not a regular file, skipped: " + printableName(rel));
      return;
    }
  }

  void link(int dirFd, const std::string &name, const std::string &rel, const std::string &path,
            Interest interest) {
    struct stat st {};
    if (::fstatat(dirFd, name.c_str(), &st, 0) != 0) {
      if (errno == ELOOP)
        skip(Skip::LinkLoop, "a link loop, skipped: " + printableName(rel));
      else if (interest != Interest::None)
        skip(Skip::BrokenLink, "a link to nothing, skipped: " + printableName(rel));
      return;
    }
    if (!S_ISDIR(st.st_mode) && interest == Interest::None)
      return;
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved) {
      skip(errno == ELOOP ? Skip::LinkLoop : Skip::BrokenLink,
           "cannot follow the link, skipped: " + printableName(rel) + ": " + std::strerror(errno));
      return;
    }
    const std::string target = resolved.get();
    const std::string shown = printableName(rel) + " -> " + printableName(target);
    if (!isInside(target, out_.root))
      skip(Skip::Outside, "outside the folder, skipped: " + shown);
    else if (S_ISDIR(st.st_mode))
      linked_.push_back({rel, target, st.st_dev, st.st_ino});
    else if (S_ISREG(st.st_mode))
      take(interest, {rel, target, static_cast<std::uint64_t>(st.st_size), mtimeOf(st)});
    else
      skip(Skip::NotRegular, "not a regular file, skipped: " + shown);
  }

  void take(Interest interest, FoundFile file) {
    switch (interest) {
    case Interest::Song: out_.songs.push_back(std::move(file)); break;
    case Interest::Lyrics: out_.lyrics.push_back(std::move(file)); break;
    case Interest::Manifest: out_.manifest = std::move(file); break;
    case Interest::None: return;
    }
    if (callbacks_.found && ++found_ % 256 == 0)
      callbacks_.found(found_);
  }

  void skip(Skip reason, const std::string &message) {
    if (callbacks_.skipped)
      callbacks_.skipped(reason, message);
  }

  const WalkCallbacks &callbacks_;
  FolderContents out_;
  std::set<std::pair<dev_t, ino_t>> visited_;
  std::vector<Dir> pending_;
  std::vector<Dir> linked_;
  std::map<std::string, std::string> parents_; // a folder's relPath -> where it really is
  std::size_t found_ = 0;
};

} // namespace

FolderContents walkFolder(const std::string &folder, const WalkCallbacks &callbacks) {
  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(folder.c_str(), nullptr), &std::free);
  struct stat top {};
  if (!resolved || ::stat(resolved.get(), &top) != 0)
    throw std::runtime_error("cannot read " + printableName(folder) + ": " + std::strerror(errno));
  if (!S_ISDIR(top.st_mode))
    throw std::runtime_error(printableName(folder) + " is not a folder");
  return Walk(resolved.get(), callbacks).run(top);
}

} // namespace lumiqo::server

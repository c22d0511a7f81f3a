#include "app/desktop/command_line.h"

#include <cstring>

namespace lumiqo {
namespace {

constexpr const char *kHelp = R"(Usage: lumiqo [LINK]
       lumiqo --help | --version

Lumiqo (Lumiqo音乐播放器) plays the songs of an online catalogue with their lyrics.

  LINK        a qorvex://zembrol=TITLE_ARTIST_SONG link (title and artist in hex-encoded
              GBK): the song is added to the play list and played. When the player already
              runs, the link is handed to it and this start ends.
  -h, --help  show this help and exit
  --version   show the version and exit

Environment:
  LUMIQO_SERVER=HOST:PORT   every service at one address (default 127.0.0.1:8764);
                            LUMIQO_CATALOGUE_HOST, LUMIQO_AUTH_HOST, LUMIQO_STREAM_HOST_W,
                            LUMIQO_STREAM_HOST_O, LUMIQO_LYRICS_HOST, LUMIQO_SITE_HOST and
                            LUMIQO_FORUM_HOST move one service each
  LUMIQO_AUDIO_DEVICE=0     play on the no-sound device

Favourites and lyrics are kept beside the program while its folder is writable, otherwise
in $XDG_DATA_HOME/lumiqo/ (~/.local/share/lumiqo/).
)";

} // namespace

std::optional<int> answerStandardOption(int argc, const char *const *argv, std::FILE *out) {
  if (argc < 2 || argv[1] == nullptr)
    return std::nullopt;
  const char *first = argv[1];
  if (std::strcmp(first, "--help") == 0 || std::strcmp(first, "-h") == 0) {
    std::fputs(kHelp, out);
    return 0;
  }
  if (std::strcmp(first, "--version") == 0) {
    std::fputs("lumiqo " LUMIQO_VERSION "\n", out);
    return 0;
  }
  return std::nullopt;
}

} // namespace lumiqo

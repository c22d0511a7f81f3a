#pragma once
// Where the program's remote services live. Compiled-in defaults point at a local
// lumiqo-server; each role can be moved with an environment variable holding "host" or
// "host:port" (LUMIQO_SERVER moves all roles at once; a role's own variable wins).

#include <QString>
#include <cstdint>

namespace lumiqo {

struct Endpoint {
  QString host;
  std::uint16_t port = 80;

  // "host" when the port is 80, else "host:port": the form that goes into URLs and the
  // Host header.
  QString authority() const;
  // "http://" + authority()
  QString httpBase() const;
};

enum class Role {
  Catalogue, // lists, translation pages, ip.asp
  Auth,      // stream authorisation
  StreamW,   // stream host for paths with "19z/" or "21z/"
  StreamO,   // the other stream host
  Lyrics,    // lyrics search service
  Site,      // the maker's web site
  Forum,     // the maker's forum
};

// The fixed value of the `uuauth` cookie the player presents to the authorisation host.
inline constexpr const char *kAuthCookieValue = "qv";

inline constexpr const char *kDefaultServerHost = "127.0.0.1";
inline constexpr std::uint16_t kDefaultServerPort = 8764;

// Reads the environment on every call, so tests can move a role at run time.
Endpoint endpoint(Role role);

// The maker's web pages: a page of the site ("/", "/qq/", "/aboutus/"), and the forum's home
// page (lumiqo-server keeps the forum under /bbs/).
QString siteAddress(const QString &path);
QString forumAddress();

// Parses "host" or "host:port" (a port-less value gets port 80); false when malformed.
bool parseEndpoint(const QString &text, Endpoint &out);

} // namespace lumiqo

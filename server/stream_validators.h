#pragma once
// The validators of a streamed file (Last-Modified and ETag) and the If-Range test that a
// resumed download makes with them: a range is served only of the file the client already
// holds part of.

#include <sys/stat.h>

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace lumiqo::server {

// "Sun, 06 Nov 1994 08:49:37 GMT", whatever the locale.
std::string httpDate(std::time_t time);
// That form only (the one this server sends); nullopt for anything else.
std::optional<std::time_t> parseHttpDate(std::string_view text);

// A strong entity tag of the file: changes whenever it is replaced, resized or modified.
std::string entityTag(const struct stat &file);

// True when a Range header may be served: no If-Range, or an If-Range naming the file as it
// is now (its entity tag, or its modification date when that is at least a second old).
bool ifRangeHolds(std::string_view ifRange, const struct stat &file, std::time_t now);

} // namespace lumiqo::server

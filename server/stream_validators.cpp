#include "stream_validators.h"

#include <cstdio>
#include <cstring>

namespace lumiqo::server {
namespace {

constexpr const char *kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char *kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

} // namespace

std::string httpDate(std::time_t time) {
  std::tm tm{};
  gmtime_r(&time, &tm);
  char text[40];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[tm.tm_wday], tm.tm_mday,
                kMonths[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return text;
}

std::optional<std::time_t> parseHttpDate(std::string_view text) {
  if (text.size() != 29)
    return std::nullopt;
  const std::string s(text);
  char day[4] = {}, month[4] = {};
  std::tm tm{};
  int used = 0;
  if (std::sscanf(s.c_str(), "%3c, %2d %3c %4d %2d:%2d:%2d GMT%n", day, &tm.tm_mday, month, &tm.tm_year,
                  &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &used) != 7 ||
      used != 29)
    return std::nullopt;
  tm.tm_mon = -1;
  for (int m = 0; m < 12; ++m) {
    if (std::strcmp(month, kMonths[m]) == 0)
      tm.tm_mon = m;
  }
  if (tm.tm_mon < 0 || tm.tm_mday < 1 || tm.tm_mday > 31 || tm.tm_hour > 23 || tm.tm_min > 59 ||
      tm.tm_sec > 60)
    return std::nullopt;
  tm.tm_year -= 1900;
  const std::time_t time = timegm(&tm);
  // Written back, the date must be the same text: no 31 February, no wrong weekday.
  if (httpDate(time) != text)
    return std::nullopt;
  return time;
}

std::string entityTag(const struct stat &file) {
  char tag[96];
  std::snprintf(tag, sizeof tag, "\"%llx-%llx-%llx\"", static_cast<unsigned long long>(file.st_ino),
                static_cast<unsigned long long>(file.st_size),
                static_cast<unsigned long long>(file.st_mtim.tv_sec) * 1'000'000'000ULL +
                    static_cast<unsigned long long>(file.st_mtim.tv_nsec));
  return tag;
}

bool ifRangeHolds(std::string_view ifRange, const struct stat &file, std::time_t now) {
  while (!ifRange.empty() && (ifRange.front() == ' ' || ifRange.front() == '\t'))
    ifRange.remove_prefix(1);
  while (!ifRange.empty() && (ifRange.back() == ' ' || ifRange.back() == '\t'))
    ifRange.remove_suffix(1);
  if (ifRange.empty())
    return true;
  if (ifRange.front() == '"')
    return ifRange == entityTag(file); // a weak tag (W/"...") never matches
  if (ifRange.starts_with("W/"))
    return false;
  // A date is a strong validator only when the file was not modified within its second.
  const auto date = parseHttpDate(ifRange);
  return date && *date == file.st_mtim.tv_sec && now - file.st_mtim.tv_sec >= 1;
}

} // namespace lumiqo::server

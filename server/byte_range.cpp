#include "byte_range.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace lumiqo::server {
namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

// Decimal digits only; a number too large for 64 bits counts as the largest.
bool number(std::string_view s, std::uint64_t &out) {
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), out);
  if (s.empty() || end != s.data() + s.size())
    return false;
  if (error == std::errc::result_out_of_range)
    out = UINT64_MAX;
  return true;
}

bool startsWithUnit(std::string_view s) {
  constexpr std::string_view unit = "bytes=";
  if (s.size() < unit.size())
    return false;
  for (size_t i = 0; i < unit.size(); ++i) {
    if ((s[i] | 0x20) != unit[i])
      return false;
  }
  return true;
}

} // namespace

ByteRange parseByteRange(std::string_view header, std::uint64_t size) {
  header = trimmed(header);
  if (!startsWithUnit(header))
    return {};
  const std::string_view set = trimmed(header.substr(6));
  const size_t dash = set.find('-');
  if (set.find(',') != std::string_view::npos || dash == std::string_view::npos)
    return {};
  const std::string_view firstText = trimmed(set.substr(0, dash));
  const std::string_view lastText = trimmed(set.substr(dash + 1));
  std::uint64_t first = 0, last = 0;
  if (firstText.empty()) {
    // The last SUFFIX bytes.
    if (!number(lastText, last))
      return {};
    if (last == 0 || size == 0)
      return {ByteRange::Kind::Unsatisfiable};
    const std::uint64_t length = std::min(last, size);
    return {ByteRange::Kind::Part, size - length, length};
  }
  if (!number(firstText, first))
    return {};
  if (lastText.empty())
    last = UINT64_MAX;
  else if (!number(lastText, last) || last < first)
    return {};
  if (first >= size)
    return {ByteRange::Kind::Unsatisfiable};
  last = std::min(last, size - 1);
  return {ByteRange::Kind::Part, first, last - first + 1};
}

} // namespace lumiqo::server

#pragma once
// The lyrics window's colours as its skin gives them: the text, and the current line.

#include <cstdint>

namespace lumiqo::test {

inline constexpr std::uint32_t kFore = 0x9B9B;
inline constexpr std::uint32_t kLrc = 0xFFFF;

} // namespace lumiqo::test

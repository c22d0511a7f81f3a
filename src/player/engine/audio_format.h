#pragma once
// The one format every stream is decoded to and every output plays: 44100 Hz, stereo,
// signed 16-bit little-endian samples.

#include <cstddef>
#include <cstdint>

namespace lumiqo::engine {

inline constexpr int kSampleRate = 44100;
inline constexpr int kChannels = 2;
inline constexpr std::size_t kBytesPerFrame = kChannels * sizeof(std::int16_t);
inline constexpr std::size_t kBytesPerSecond = kSampleRate * kBytesPerFrame;

} // namespace lumiqo::engine

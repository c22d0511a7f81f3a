#pragma once
// The audio engine's operations, as the rest of the program calls them. FFmpeg opens,
// demuxes, decodes and resamples (to 44100 Hz stereo 16-bit); PulseAudio plays, or ALSA.
// Device -1 is the sound server's default sink, or ALSA's default device when no server
// answers; device 0 is "no sound", a clocked sink that consumes samples in real time.
//
// Every call comes from the user-interface thread; only sync callbacks run on an engine
// thread. Handles are 32-bit; 0 means failure or none. Stream handles have the top bit set
// and count up: a freed handle is not handed out again in the same run, so a stale handle
// never reaches a newer stream, and every call on it fails harmlessly (0).
//
// Positions and lengths are bytes of the decoded format: 44100 Hz, stereo, 16-bit (176400
// bytes a second). The position is what the listener has heard so far.

#include <cstdint>

using DWORD = std::uint32_t;
using QWORD = std::uint64_t;
using HSTREAM = DWORD;
using HSYNC = DWORD;
using BOOL = int;

// Sync callback: runs on an engine thread. It must hand its work to the user-interface thread
// with a queued call and never wait for that thread (freeing a stream waits for its thread).
using SYNCPROC = void (*)(HSYNC handle, DWORD channel, DWORD data, void *user);
// Download callback of BASS_StreamCreateURL (unused by the program; pass nullptr).
using DOWNLOADPROC = void (*)(const void *buffer, DWORD length, void *user);

inline constexpr DWORD BASS_SYNC_END = 2;
inline constexpr DWORD BASS_POS_BYTE = 0;
inline constexpr DWORD BASS_ACTIVE_STOPPED = 0;
inline constexpr DWORD BASS_ACTIVE_PLAYING = 1;
inline constexpr DWORD BASS_ACTIVE_STALLED = 2;
inline constexpr DWORD BASS_ACTIVE_PAUSED = 3;

// High 16 bits are 0x0204.
DWORD BASS_GetVersion();
// device -1: the sound server's default sink, else ALSA's default device; 0: no sound. win is
// the main window (unused here). 0 when the device cannot be opened (for -1: neither), or
// the engine is already initialised.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void *win, const void *clsid);
// Stops and releases every stream; no sync runs after it returns.
BOOL BASS_Free();
// 0.0 to 1.0, for every stream at once; 0 when out of range or not initialised.
BOOL BASS_SetVolume(float volume);
// -1 when not initialised.
float BASS_GetVolume();

// Return once the address is connected and its format known, or 0 (unreachable host, HTTP
// error, a body that is not audio, no answer within 10 s). Text is in the system code page.
HSTREAM BASS_StreamCreateURL(const char *url, DWORD offset, DWORD flags, DOWNLOADPROC proc, void *user);
// file is a web address or a local path (mem must be false).
HSTREAM BASS_WMA_StreamCreateFile(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags);
// Silences the stream at once and releases it; 0 for 0 or an unknown handle.
BOOL BASS_StreamFree(HSTREAM handle);

// Only BASS_SYNC_END; it runs once, after the last sample has been heard.

HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC proc, void *user);
// Starts or resumes where the stream stood (restart is not offered); 0 once it has ended.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
BOOL BASS_ChannelPause(DWORD handle);
BOOL BASS_ChannelStop(DWORD handle);
DWORD BASS_ChannelIsActive(DWORD handle);
QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode);
QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode);
double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);

namespace lumiqo {
// The device the program initialises: 0 when LUMIQO_AUDIO_DEVICE=0, else -1.
int audioDeviceFromEnvironment();
} // namespace lumiqo

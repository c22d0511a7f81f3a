#pragma once
// Lyrics search: looks a song up on the lyrics search service, downloads the first linked
// file that looks like LRC lyrics and keeps it. Every call blocks until its downloads end.

#include <QString>

namespace lumiqo::downlrc {

// True when the download to file succeeded; a failed download leaves the file as it was.
bool DownFile(const QString &address, const QString &localPath);

// Searches for the song and keeps the lyrics in the lyrics scratch file (LyricsScratchFile).
bool DownLrc(const QString &songName);

// Searches for the song and downloads the first usable LRC file to `destination`.
bool FindLrc(const QString &songName, const QString &destination);

// True when the file looks like LRC lyrics (a "[ti:", "[ar:", "[al:" or "[by:" tag that
// does not stand at the very start); otherwise deletes it and gives false.
bool CheckLrc(const QString &path);

// The search request for a song name: the name travels as percent-encoded GBK bytes.
QString SearchAddress(const QString &songName);

// The lyrics scratch file ("lrc" in the data folder) and the search scratch file ("TEMP").
QString LyricsScratchFile();
QString SearchScratchFile();

} // namespace lumiqo::downlrc

#pragma once
// The catalogue database: songs with their lyrics, the numbered lists (0 the start list,
// 1 to 8 the charts), the lyrics files of the lyrics search, a trigram full-text index, and
// an index of one- and two-character pieces for the terms trigrams cannot find.

#include "sqlite.h"

namespace lumiqo::server {

inline constexpr int kChartCount = 8;

// Creates the tables when missing (write mode only) and turns on write-ahead logging, so
// a running server keeps reading while an import writes.
// Returns true when the search indexes are older than this program's and must be rebuilt
// (the caller rebuilds them, then calls markIndexesCurrent).
bool ensureSchema(Database &db);
void markIndexesCurrent(Database &db);

} // namespace lumiqo::server

#pragma once
// What every Linux program answers before it does anything else: `lumiqo --help` and
// `lumiqo --version`. Any other command line is the player's own (a link, or nothing).

#include <cstdio>
#include <optional>

namespace lumiqo {

// When the first argument is "--help", "-h" or "--version": prints the answer to `out` and
// gives the exit code (0). Otherwise nothing is printed and nothing is returned.
std::optional<int> answerStandardOption(int argc, const char *const *argv, std::FILE *out = stdout);

} // namespace lumiqo

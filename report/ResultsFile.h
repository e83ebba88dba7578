// Results document files: CP932 text, one document line per file line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace habitual {

constexpr std::size_t ResultsPieceLimit = 511;

// Splits the bytes of a results file into document lines: a line ends at LF,
// CR bytes are dropped, a byte 0x1A ends the data, and a line longer than
// 511 bytes is cut into pieces of at most 511 bytes, never between the two
// bytes of a double-byte character.
std::vector<std::string> SplitResultsText(std::string_view bytes);

// Reads a results file; false when it cannot be opened or read.
bool ReadResultsFile(const std::string& path, std::vector<std::string>& lines);

// The bytes a save writes: every line followed by CR LF.
std::string JoinResultsLines(const std::vector<std::string>& lines);

} // namespace habitual

// Opening a results file (SplitResultsText, ReadResultsFile) and saving the
// document again (JoinResultsLines) over arbitrary bytes.
#include <string>
#include <vector>

#include "engine/Encoding.h"
#include "fuzz/FuzzSupport.h"
#include "report/ResultsFile.h"

using namespace habitual;

namespace {

// The physical lines of the data in text mode: CR dropped, 0x1A ends the
// data, a line ends at LF; a last line without LF counts when not empty.
std::vector<std::string> PhysicalLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string line;
    bool open = false;
    for (char c : bytes) {
        if (c == '\x1A') break;
        if (c == '\r') continue;
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
            open = false;
        } else {
            line += c;
            open = true;
        }
    }
    if (open) lines.push_back(line);
    return lines;
}

// Length of the characters of text up to byte `at`, counted from its start:
// at itself when a character starts there, else at - 1.
std::size_t BoundaryAtOrBefore(std::string_view text, std::size_t at) {
    std::size_t i = 0;
    while (i < at) {
        const std::size_t width =
            IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        if (i + width > at) break;
        i += width;
    }
    return i;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::TScratchFile file("results");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = SplitResultsText(bytes);

    // Each physical line comes back as consecutive pieces that join up to it
    // exactly; each piece but the last of its line is as long as it can be
    // (511 bytes) without ending inside a double-byte character.
    std::size_t next = 0;
    for (const std::string& physical : PhysicalLines(bytes)) {
        std::size_t at = 0;
        do {
            FUZZ_CHECK(next < lines.size());
            const std::string& piece = lines[next++];
            FUZZ_CHECK(piece.size() <= ResultsPieceLimit);
            FUZZ_CHECK(physical.compare(at, piece.size(), piece) == 0);
            const std::size_t end = at + piece.size();
            if (end < physical.size()) {
                FUZZ_CHECK(!piece.empty());
                const std::string_view rest(physical.data() + at, physical.size() - at);
                FUZZ_CHECK(piece.size() == BoundaryAtOrBefore(rest, ResultsPieceLimit));
            }
            at = end;
        } while (at < physical.size());
    }
    FUZZ_CHECK(next == lines.size());

    // Saving writes CR LF after every line; opening the saved bytes gives the
    // same lines again.
    const std::string saved = JoinResultsLines(lines);
    FUZZ_CHECK(SplitResultsText(saved) == lines);

    // The file reader gives what the splitting gives.
    file.Write(data, size);
    std::vector<std::string> fromFile;
    FUZZ_CHECK(ReadResultsFile(file.Path, fromFile));
    FUZZ_CHECK(fromFile == lines);

    // The window shows each line converted; no byte sequence may make the
    // conversion drop a line's text.
    for (const std::string& line : lines) FUZZ_CHECK(line.empty() || !Cp932ToUtf8(line).empty());
    return 0;
}

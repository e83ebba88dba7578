// A notice about the data or the method that a run or a load tells its user
// beside the results, never inside the results document: rows skipped, fields
// read as 0, groups too small for the method, and the like.
#pragma once

#include <string>

namespace habitual {

struct TNotice {
    enum class TLevel {
        Info,    // worth knowing; the results are as asked
        Warning, // the results may not be reliable, or something was left out
    };
    TLevel Level = TLevel::Info;
    // The group it is about, as its heading shows it ("[性別=1][年齢階級=20]",
    // UTF-8); empty for the whole file or run.
    std::string Group;
    std::string Text; // UTF-8, a sentence or two in Japanese
};

} // namespace habitual

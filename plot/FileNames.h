// File names made from a group's classification texts, safe on every common
// file system (NTFS, FAT, ext4, APFS) and unique within one folder.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "engine/GroupHeading.h"

namespace habitual::plot {

// utf8 as a file name (UTF-8): the characters Windows forbids (< > : " / \ |
// ? *), control characters and invalid bytes become "_"; a leading dot
// (hidden on Unix, "." and "..") becomes "_"; trailing dots and spaces,
// which Windows drops, are removed; the name is cut to maxBytes at a
// character boundary; a name whose part before the first dot is a Windows
// device name (CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9, also with ¹ ² ³),
// in any case and followed by spaces, gets a leading "_"; an empty name
// becomes "_".
std::string SafeFileName(std::string_view utf8, std::size_t maxBytes = 100);

// The group's classification texts joined by "_" ("1_20-29"; an empty text
// is "空欄"), or "全体" without classification columns; with withColumn the
// analysis column's name before them ("エネルギー_1_20-29"); made safe.
std::string GroupFileBase(const TGroupHeading& heading, bool withColumn = false);

// Hands out names that no earlier one equals as the case-insensitive file
// systems of Windows and macOS compare them (ASCII, full-width Latin, Greek,
// Cyrillic and Roman numeral letters without case): a taken name gets "~2",
// "~3" ... before it is handed out.
class TFileNamer {
public:
    std::string Unique(const std::string& base);

private:
    std::set<std::string> Taken; // folded
};

// The name folded to one case as those file systems compare names.
std::string FoldedName(std::string_view utf8);

} // namespace habitual::plot

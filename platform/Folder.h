// Folders the program writes into.
#pragma once

#include <string>

namespace habitual {

// Makes the folder at path (native bytes: UTF-8 here) and any missing
// parents. True when a folder is there afterwards, made now or before.
bool MakeFolders(const std::string& path);

} // namespace habitual

// Saving a results file: one set of rules for the window and the batch tool.
//
// - A regular file is replaced atomically: the bytes go to a temporary file
//   beside it, which takes the old file's place only when it is complete and
//   on disk, with the old file's permissions. Whatever fails, the old file
//   keeps its bytes.
// - A symbolic link is followed, and a file with several hard links is
//   updated in place, so that the file the user named is updated and not
//   split from its other names. Such an update first reserves the room for
//   the new bytes and keeps the old ones to put back should writing fail.
// - Where the folder does not allow a temporary file but the file itself
//   can be written, the file is updated in place the same way.
// - A target that is not a regular file (a device, a named pipe) is written
//   to as it is, never replaced by a regular file; a folder is refused.
#pragma once

#include <string>
#include <string_view>

namespace habitual {

// Writes bytes to the file at path (native bytes: UTF-8 here). False on any
// failure, with a file that was there keeping its bytes.
bool SaveFile(const std::string& path, std::string_view bytes);

} // namespace habitual

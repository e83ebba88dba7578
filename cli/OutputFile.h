// Writing the results without ever leaving a half-written file behind.
#pragma once

#include <string>

namespace habitual {

// Writes bytes to path through a temporary file in the same folder that
// replaces the target only when everything is written. False on any failure,
// with the target as it was.
bool WriteFileReplacing(const std::string& path, const std::string& bytes);

} // namespace habitual

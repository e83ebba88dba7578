// The label under which a survey column is offered for choice: its number
// counted from 1, ".", and its header text ("3.性別"). CP932 bytes.
#pragma once

#include <string>
#include <string_view>

namespace habitual {

inline std::string ColumnLabel(int position, std::string_view headerText) {
    std::string label = std::to_string(position + 1);
    label += '.';
    label += headerText;
    return label;
}

} // namespace habitual

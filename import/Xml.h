// The XML of a workbook's parts, read with expat as it streams out of the
// container. A document type declaration refuses the part (a workbook never
// has one), so that no entity is ever declared, let alone expanded. Names
// come without their namespace prefix ("x:c" is "c").
#pragma once

#include <string_view>

#include "engine/SurveyInput.h"
#include "import/Zip.h"

namespace habitual {

class TXmlHandler {
public:
    virtual ~TXmlHandler() = default;
    // attributes: name, value, name, value, ..., nullptr (names without prefix
    // through AttributeName).
    virtual void Start(std::string_view name, const char** attributes) = 0;
    virtual void End(std::string_view name) = 0;
    virtual void Text(std::string_view text) = 0;
    // A handler that finds the part unusable sets Problem; parsing stops.
    TInputProblem Problem;
};

// The name without its namespace prefix.
std::string_view LocalName(const char* name);
// The value of the attribute with the given local name, or nullptr.
const char* Attribute(const char** attributes, std::string_view name);

// Parses a part of the archive into handler. False with problem set when the
// part is missing, too large (above limit bytes), not well-formed, or when
// the handler set a problem.
bool ParsePart(const TZipArchive& archive, std::string_view part, std::uint64_t limit,
               TXmlHandler& handler, TInputProblem& problem);

} // namespace habitual

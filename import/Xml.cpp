#include "import/Xml.h"

#include <cstring>
#include <expat.h>
#include <memory>
#include <new>

namespace habitual {
namespace {

constexpr int PieceSize = 1 << 18;

struct TParse {
    XML_Parser Parser;
    TXmlHandler* Handler;
    bool Doctype = false;
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto* parse = static_cast<TParse*>(data);
    parse->Handler->Start(LocalName(name), attributes);
    if (!parse->Handler->Problem.Ok()) XML_StopParser(parse->Parser, XML_FALSE);
}

void XMLCALL OnEnd(void* data, const XML_Char* name) {
    auto* parse = static_cast<TParse*>(data);
    parse->Handler->End(LocalName(name));
    if (!parse->Handler->Problem.Ok()) XML_StopParser(parse->Parser, XML_FALSE);
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
    auto* parse = static_cast<TParse*>(data);
    parse->Handler->Text(std::string_view(text, static_cast<std::size_t>(length)));
    if (!parse->Handler->Problem.Ok()) XML_StopParser(parse->Parser, XML_FALSE);
}

void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    auto* parse = static_cast<TParse*>(data);
    parse->Doctype = true;
    XML_StopParser(parse->Parser, XML_FALSE);
}

struct TParserFree {
    void operator()(XML_Parser p) const { XML_ParserFree(p); }
};

} // namespace

std::string_view LocalName(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

const char* Attribute(const char** attributes, std::string_view name) {
    for (const char** a = attributes; a && *a; a += 2)
        if (LocalName(a[0]) == name) return a[1];
    return nullptr;
}

bool ParsePart(const TZipArchive& archive, std::string_view part, std::uint64_t limit,
               TXmlHandler& handler, TInputProblem& problem) {
    std::unique_ptr<TZipArchive::TEntry> entry = archive.OpenPart(part, limit, problem);
    if (!entry) return false;
    std::unique_ptr<XML_ParserStruct, TParserFree> parser(XML_ParserCreate("UTF-8"));
    if (!parser) throw std::bad_alloc();
    TParse parse{parser.get(), &handler};
    XML_SetUserData(parser.get(), &parse);
    XML_SetElementHandler(parser.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser.get(), OnText);
    XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);
    XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
    auto damaged = [&] {
        problem = {};
        problem.Kind = TInputProblem::TKind::Damaged;
        problem.Part = std::string(part);
        return false;
    };
    for (;;) {
        void* buffer = XML_GetBuffer(parser.get(), PieceSize);
        if (!buffer) throw std::bad_alloc();
        const std::int64_t n = entry->Read(static_cast<char*>(buffer), PieceSize);
        if (n < 0) return damaged();
        const XML_Status status =
            XML_ParseBuffer(parser.get(), static_cast<int>(n), n == 0 ? XML_TRUE : XML_FALSE);
        if (!handler.Problem.Ok()) {
            problem = handler.Problem;
            return false;
        }
        if (status != XML_STATUS_OK || parse.Doctype) {
            if (XML_GetErrorCode(parser.get()) == XML_ERROR_NO_MEMORY) throw std::bad_alloc();
            return damaged();
        }
        if (n == 0) return true;
    }
}

} // namespace habitual

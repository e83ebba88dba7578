#include "import/Xml.h"

#include <condition_variable>
#include <cstring>
#include <deque>
#include <expat.h>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace habitual {
namespace {

constexpr std::size_t PieceSize = 1 << 20;
constexpr int Pieces = 4;

// Inflates a part on a thread of its own while the parser works on the
// pieces already inflated: the two take about as long as each other, and
// the machine has a core for each. A few pieces of fixed size are passed to
// and fro, so that memory stays bounded whatever the part's size.
class TInflater {
public:
    explicit TInflater(TZipArchive::TEntry& entry) : Entry(entry) {
        for (int i = 0; i < Pieces; ++i) Free.emplace_back(PieceSize);
        Worker = std::thread([this] { Work(); });
    }
    ~TInflater() {
        {
            std::lock_guard<std::mutex> lock(Lock);
            Stop = true;
        }
        Changed.notify_all();
        Worker.join();
    }
    // The next piece (its size in size), empty at the end; false when the
    // part is damaged.
    bool Next(std::vector<char>& piece, std::size_t& size) {
        std::unique_lock<std::mutex> lock(Lock);
        if (!piece.empty()) Free.push_back(std::move(piece));
        Changed.notify_all();
        Changed.wait(lock, [this] { return !Full.empty() || Ended; });
        piece.clear();
        size = 0;
        if (!Full.empty()) {
            piece = std::move(Full.front().first);
            size = Full.front().second;
            Full.pop_front();
            return true;
        }
        return !Damaged;
    }

private:
    void Work() {
        for (;;) {
            std::vector<char> piece;
            {
                std::unique_lock<std::mutex> lock(Lock);
                Changed.wait(lock, [this] { return !Free.empty() || Stop; });
                if (Stop) return;
                piece = std::move(Free.back());
                Free.pop_back();
            }
            std::size_t size = 0;
            bool damaged = false;
            while (size < piece.size()) {
                const std::int64_t n = Entry.Read(piece.data() + size, piece.size() - size);
                if (n <= 0) {
                    damaged = n < 0;
                    break;
                }
                size += static_cast<std::size_t>(n);
            }
            std::lock_guard<std::mutex> lock(Lock);
            if (size > 0 && !damaged) Full.emplace_back(std::move(piece), size);
            if (size < PieceSize || damaged) {
                Ended = true;
                Damaged = damaged;
                Changed.notify_all();
                return;
            }
            Changed.notify_all();
        }
    }

    TZipArchive::TEntry& Entry;
    std::mutex Lock;
    std::condition_variable Changed;
    std::vector<std::vector<char>> Free;
    std::deque<std::pair<std::vector<char>, std::size_t>> Full;
    bool Stop = false, Ended = false, Damaged = false;
    std::thread Worker;
};

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
    const char* start = name;
    const char* p = name;
    for (; *p; ++p)
        if (*p == ':') start = p + 1;
    return {start, static_cast<std::size_t>(p - start)};
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
    TInflater inflater(*entry);
    std::vector<char> piece;
    for (;;) {
        std::size_t n = 0;
        if (!inflater.Next(piece, n)) return damaged();
        const XML_Status status = XML_Parse(parser.get(), piece.data(), static_cast<int>(n),
                                            n == 0 ? XML_TRUE : XML_FALSE);
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

#include "import/Workbook.h"

#include <algorithm>
#include <cstdlib>

#include "engine/Encoding.h"
#include "import/Xml.h"

namespace habitual {
namespace {

// The parts that describe the workbook are small; more than this is forged.
constexpr std::uint64_t SmallPartLimit = std::uint64_t{64} << 20;
// A sheet may have this many rows and columns (the largest sheets that
// spreadsheet programs write); a reference beyond them is damage.
constexpr std::int64_t MaxSheetRows = std::int64_t{1} << 24;
constexpr std::int32_t MaxSheetColumns = 16384;

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A relationship's target, relative to the folder of the part that names it.
std::string ResolveTarget(std::string_view folder, std::string_view target) {
    std::string path = target.substr(0, 1) == "/" ? std::string(target.substr(1))
                                                  : std::string(folder) + std::string(target);
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        const std::string piece = path.substr(start, slash - start);
        if (piece == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!piece.empty() && piece != ".") {
            parts.push_back(piece);
        }
        start = slash + 1;
    }
    std::string joined;
    for (const std::string& p : parts) joined += (joined.empty() ? "" : "/") + p;
    return joined;
}

std::string FolderOf(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(part.substr(0, slash + 1));
}

std::string RelsOf(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    const std::size_t name = slash == std::string_view::npos ? 0 : slash + 1;
    return std::string(part.substr(0, name)) + "_rels/" + std::string(part.substr(name)) + ".rels";
}

struct TRelationship {
    std::string Id, Type, Target;
};

class TRelsHandler : public TXmlHandler {
public:
    std::vector<TRelationship> Found;
    void Start(std::string_view name, const char** a) override {
        if (name != "Relationship") return;
        const char* mode = Attribute(a, "TargetMode");
        if (mode && std::string_view(mode) == "External") return;
        const char* id = Attribute(a, "Id");
        const char* type = Attribute(a, "Type");
        const char* target = Attribute(a, "Target");
        if (id && type && target) Found.push_back({id, type, target});
    }
    void End(std::string_view) override {}
    void Text(std::string_view) override {}
};

class TSheetListHandler : public TXmlHandler {
public:
    std::vector<std::pair<std::string, std::string>> Sheets; // name, relationship id
    void Start(std::string_view name, const char** a) override {
        if (name != "sheet") return;
        const char* sheet = Attribute(a, "name");
        const char* id = Attribute(a, "id"); // r:id
        if (sheet && id) Sheets.emplace_back(sheet, id);
    }
    void End(std::string_view) override {}
    void Text(std::string_view) override {}
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A cell's text as the reader's line holds it: the spreadsheet's escapes
// for characters XML cannot hold ("_x000D_") decoded, and each line break
// (CR LF, CR or LF) and every other control character but the tab a space.
void CleanText(std::string_view text, bool escapes, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (escapes && c == '_' && i + 6 < text.size() && text[i + 1] == 'x' &&
            text[i + 6] == '_') {
            int code = 0;
            bool hex = true;
            for (std::size_t k = 2; k < 6; ++k) {
                const int d = HexDigit(text[i + k]);
                hex = hex && d >= 0;
                code = code * 16 + (d < 0 ? 0 : d);
            }
            if (hex && (code < 0xD800 || code > 0xDFFF)) {
                std::string decoded;
                AppendUtf8(decoded, static_cast<std::uint32_t>(code));
                i += 6;
                if (decoded.size() == 1) {
                    c = decoded[0];
                } else {
                    out += decoded;
                    continue;
                }
            }
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') c = ' ';
        out += c;
    }
}

// The field form of a cleaned text, CP932, appended to field.
TConversionStop AppendField(std::string_view text, std::string& field) {
    const bool quote = text.find_first_of(",\"") != std::string_view::npos;
    if (!quote) return Utf8ToCp932Exact(text, &field);
    std::string converted;
    const TConversionStop stop = Utf8ToCp932Exact(text, &converted);
    if (stop.Stopped()) return stop;
    field += '"';
    for (char c : converted) {
        if (c == '"') field += '"';
        field += c;
    }
    field += '"';
    return stop;
}

// The text of a string item (<si>, <is>): its <t> elements, directly or in
// rich-text runs, but not those of phonetic guides (<rPh>).
class TStringItem {
public:
    void Start(std::string_view name) {
        if (name == "rPh") ++Phonetic;
        if (name == "t" && Phonetic == 0) InText = true;
    }
    void End(std::string_view name) {
        if (name == "rPh" && Phonetic > 0) --Phonetic;
        if (name == "t") InText = false;
    }
    void Text(std::string_view text) {
        if (InText) Collected += text;
    }
    std::string Collected;
    void Clear() {
        Collected.clear();
        Phonetic = 0;
        InText = false;
    }

private:
    int Phonetic = 0;
    bool InText = false;
};

class TSharedTextsHandler : public TXmlHandler {
public:
    TSharedTextsHandler(std::string& bytes, std::vector<std::uint64_t>& ends,
                        std::unordered_map<std::uint64_t, std::string>& noForm, std::uint64_t limit)
        : Bytes(bytes), Ends(ends), NoForm(noForm), Limit(limit) {}
    void Start(std::string_view name, const char** a) override {
        if (name == "sst") {
            if (const char* count = Attribute(a, "uniqueCount")) {
                const std::uint64_t n = std::strtoull(count, nullptr, 10);
                if (n * sizeof(std::uint64_t) < Limit) Ends.reserve(static_cast<std::size_t>(n));
            }
        } else if (name == "si") {
            InItem = true;
            Item.Clear();
        } else if (InItem) {
            Item.Start(name);
        }
    }
    void End(std::string_view name) override {
        if (name != "si") {
            if (InItem) Item.End(name);
            return;
        }
        InItem = false;
        CleanText(Item.Collected, true, Clean);
        const std::size_t before = Bytes.size();
        const TConversionStop stop = AppendField(Clean, Bytes);
        if (stop.Stopped()) {
            Bytes.resize(before);
            NoForm[Ends.size()] = Clean.substr(stop.Offset, stop.Length);
            Ends.push_back(static_cast<std::uint64_t>(before) | TWorkbook::NoForm);
        } else {
            Ends.push_back(Bytes.size());
        }
        if (Bytes.size() + Ends.size() * sizeof(std::uint64_t) > Limit) {
            Problem.Kind = TInputProblem::TKind::TooLarge;
            Problem.Limit = Limit;
        }
    }
    void Text(std::string_view text) override {
        if (InItem) Item.Text(text);
    }

private:
    std::string& Bytes;
    std::vector<std::uint64_t>& Ends;
    std::unordered_map<std::uint64_t, std::string>& NoForm;
    std::uint64_t Limit;
    bool InItem = false;
    TStringItem Item;
    std::string Clean;
};

// A cell reference's column ("BC12" is 55), or 0 when it has none.
std::int32_t ReferenceColumn(const char* ref) {
    std::int32_t column = 0;
    for (const char* p = ref; *p; ++p) {
        char c = *p;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') break;
        column = column * 26 + (c - 'A' + 1);
        if (column > MaxSheetColumns) return MaxSheetColumns + 1;
    }
    return column;
}

} // namespace

// The rows of a sheet, written as the sheet's XML streams by.
class TSheetRows : public TXmlHandler {
public:
    TSheetRows(const TWorkbook& book, const std::string& sheet, std::uint64_t limit,
               std::string& rows)
        : Book(book), Sheet(sheet), Limit(limit), Rows(rows) {}

    void Start(std::string_view name, const char** a) override {
        if (name == "c" && InData) {
            StartCell(Attribute(a, "r"), Attribute(a, "t"));
        } else if (name == "sheetData") {
            InData = true;
        } else if (!InData) {
            return;
        } else if (name == "row") {
            StartRow(Attribute(a, "r"));
        } else if (InCell) {
            if (name == "v") InValue = true;
            if (name == "is") InInline = true;
            if (InInline) Inline.Start(name);
        }
    }
    void End(std::string_view name) override {
        if (!InData) return;
        if (name == "sheetData") {
            InData = false;
        } else if (name == "row") {
            Rows += '\n';
            ++LinesDone;
            if (Rows.size() + Book.SharedBytes.size() > Limit) {
                Problem.Kind = TInputProblem::TKind::TooLarge;
                Problem.Limit = Limit;
            }
        } else if (name == "c") {
            EndCell();
        } else if (InCell) {
            if (name == "v") InValue = false;
            if (InInline) Inline.End(name);
            if (name == "is") InInline = false;
        }
    }
    void Text(std::string_view text) override {
        if (InValue) Value += text;
        if (InInline) Inline.Text(text);
    }

private:
    void Fail(TInputProblem::TKind kind) {
        Problem.Kind = kind;
        Problem.Sheet = Sheet;
        Problem.Row = Row;
        Problem.Column = Column;
    }

    void StartRow(const char* ref) {
        Row = ref ? std::strtoll(ref, nullptr, 10) : LinesDone + 1;
        if (Row <= LinesDone || Row > MaxSheetRows) {
            Problem.Kind = TInputProblem::TKind::Damaged;
            Problem.Part = "sheetData";
            return;
        }
        Rows.append(static_cast<std::size_t>(Row - 1 - LinesDone), '\n');
        LinesDone = Row - 1;
        Column = 0;
        Written = 0;
    }

    void StartCell(const char* ref, const char* type) {
        const std::int32_t column = ref ? ReferenceColumn(ref) : Column + 1;
        if (column <= Column || column > MaxSheetColumns) {
            Problem.Kind = TInputProblem::TKind::Damaged;
            Problem.Part = "sheetData";
            return;
        }
        Column = column;
        // "s" shared, "inlineStr", "str" a formula's text, "b", "e", "d", "n".
        const std::string_view t = type ? type : "n";
        Type = t == "inlineStr" ? 'i' : t == "str" ? 't' : t.empty() ? 'n' : t[0];
        InCell = true;
        Value.clear();
        Inline.Clear();
    }

    void EndCell() {
        InCell = InValue = InInline = false;
        Field.clear();
        TConversionStop stop;
        if (Type == 's') {
            if (!SharedField()) return;
        } else {
            const bool text = Type == 'i' || Type == 't';
            CleanText(Type == 'i' ? Inline.Collected : Value, text, Clean);
            stop = AppendField(Clean, Field);
            if (stop.Stopped()) {
                Fail(stop.Reason == TConversionStop::TReason::Malformed
                         ? TInputProblem::TKind::Damaged
                         : TInputProblem::TKind::NoCp932Form);
                Problem.Character = Clean.substr(stop.Offset, stop.Length);
                return;
            }
        }
        if (Field.empty()) return;
        Rows.append(static_cast<std::size_t>(Column - (Written == 0 ? 1 : Written)), ',');
        Rows += Field;
        Written = Column;
    }

    bool SharedField() {
        std::uint64_t index = 0;
        bool digits = !Value.empty() && Value.size() <= 12;
        for (char c : Value) {
            digits = digits && c >= '0' && c <= '9';
            index = index * 10 + static_cast<std::uint64_t>(c - '0');
        }
        if (!digits || index >= Book.SharedEnds.size()) {
            Fail(TInputProblem::TKind::BadSharedText);
            return false;
        }
        const std::uint64_t end = Book.SharedEnds[index];
        if (end & TWorkbook::NoForm) {
            Fail(TInputProblem::TKind::NoCp932Form);
            Problem.Character = Book.NoFormCharacters.at(index);
            return false;
        }
        const std::uint64_t start =
            index == 0 ? 0 : Book.SharedEnds[index - 1] & ~TWorkbook::NoForm;
        Field.assign(Book.SharedBytes, static_cast<std::size_t>(start),
                     static_cast<std::size_t>(end - start));
        return true;
    }

    const TWorkbook& Book;
    const std::string& Sheet;
    std::uint64_t Limit;
    std::string& Rows;
    bool InData = false, InCell = false, InValue = false, InInline = false;
    std::int64_t Row = 0, LinesDone = 0;
    std::int32_t Column = 0, Written = 0;
    char Type = 'n';
    std::string Value, Clean, Field;
    TStringItem Inline;
};

std::unique_ptr<TWorkbook> TWorkbook::Open(const std::string& path, TInputProblem& problem) {
    std::unique_ptr<TZipArchive> archive = TZipArchive::Open(path, problem);
    if (!archive) return nullptr;
    std::unique_ptr<TWorkbook> book(new TWorkbook(std::move(archive)));

    // The package's relationships name the workbook part.
    std::string workbook = "xl/workbook.xml";
    TRelsHandler packageRels;
    if (!ParsePart(*book->Archive, "_rels/.rels", SmallPartLimit, packageRels, problem))
        return nullptr;
    for (const TRelationship& r : packageRels.Found)
        if (EndsWith(r.Type, "/officeDocument")) workbook = ResolveTarget("", r.Target);

    TSheetListHandler list;
    TRelsHandler rels;
    if (!ParsePart(*book->Archive, workbook, SmallPartLimit, list, problem) ||
        !ParsePart(*book->Archive, RelsOf(workbook), SmallPartLimit, rels, problem))
        return nullptr;
    const std::string folder = FolderOf(workbook);
    for (const TRelationship& r : rels.Found)
        if (EndsWith(r.Type, "/sharedStrings")) book->SharedPart = ResolveTarget(folder, r.Target);
    for (const auto& [name, id] : list.Sheets) {
        // clang 14, which the sanitizer build uses, cannot capture a
        // structured binding in a lambda.
        const std::string& sheetId = id;
        auto r = std::find_if(rels.Found.begin(), rels.Found.end(),
                              [&sheetId](const TRelationship& x) { return x.Id == sheetId; });
        // Chart sheets and the like hold no table.
        if (r != rels.Found.end() && EndsWith(r->Type, "/worksheet"))
            book->SheetList.push_back({name, ResolveTarget(folder, r->Target)});
    }
    if (book->SheetList.empty()) {
        problem = {};
        problem.Kind = TInputProblem::TKind::Damaged;
        problem.Part = workbook;
        return nullptr;
    }
    return book;
}

int TWorkbook::FindSheet(const std::string& text) const {
    if (text.empty()) return 0;
    for (std::size_t i = 0; i < SheetList.size(); ++i)
        if (SheetList[i].Name == text) return static_cast<int>(i);
    if (text.size() <= 6 && text.find_first_not_of("0123456789") == std::string::npos) {
        const int number = std::stoi(text);
        if (number >= 1 && number <= static_cast<int>(SheetList.size())) return number - 1;
    }
    return -1;
}

bool TWorkbook::ReadSharedTexts(std::uint64_t memoryLimit, TInputProblem& problem) {
    if (SharedRead || SharedPart.empty()) return true;
    TSharedTextsHandler handler(SharedBytes, SharedEnds, NoFormCharacters, memoryLimit);
    // The part itself streams by; only its texts are held.
    if (!ParsePart(*Archive, SharedPart, memoryLimit * 4, handler, problem)) return false;
    SharedRead = true;
    return true;
}

bool TWorkbook::ReadSheet(int index, std::uint64_t memoryLimit, std::string& rows,
                          TInputProblem& problem) {
    if (!ReadSharedTexts(memoryLimit, problem)) {
        if (problem.Kind == TInputProblem::TKind::TooLarge) problem.Limit = memoryLimit;
        return false;
    }
    const TSheetInfo& sheet = SheetList[static_cast<std::size_t>(index)];
    rows.clear();
    TSheetRows handler(*this, sheet.Name, memoryLimit, rows);
    if (!ParsePart(*Archive, sheet.Part, memoryLimit * 4, handler, problem)) {
        if (problem.Kind == TInputProblem::TKind::TooLarge) problem.Limit = memoryLimit;
        rows.clear();
        rows.shrink_to_fit();
        return false;
    }
    return true;
}

} // namespace habitual

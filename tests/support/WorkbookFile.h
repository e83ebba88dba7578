// Small workbooks (.xlsx) that the tests write with libzip: the parts a
// spreadsheet program writes, each of which a test may replace or break.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>
#include <zip.h>

namespace habitual::test {

using TParts = std::map<std::string, std::string>;

inline const char* const MainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// The parts of a workbook with the given sheets (name, the XML inside
// <sheetData>) and shared texts (the XML inside <sst>, "" for none).
inline TParts WorkbookParts(const std::vector<std::pair<std::string, std::string>>& sheets,
                            const std::string& sharedTexts = "") {
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    TParts parts;
    parts["[Content_Types].xml"] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>";
    parts["_rels/.rels"] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                           "<Relationship Id=\"rId1\" Type=\"" +
                           rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    std::string list, rels;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        list +=
            "<sheet name=\"" + sheets[i].first + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + rel +
                "/worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
        parts["xl/worksheets/sheet" + n + ".xml"] =
            std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet xmlns=\"") + MainNs +
            "\"><sheetData>" + sheets[i].second + "</sheetData></worksheet>";
    }
    if (!sharedTexts.empty()) {
        rels += "<Relationship Id=\"rIdS\" Type=\"" + rel +
                "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        parts["xl/sharedStrings.xml"] = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                                    "<sst xmlns=\"") +
                                        MainNs + "\">" + sharedTexts + "</sst>";
    }
    parts["xl/workbook.xml"] = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook "
                                           "xmlns=\"") +
                               MainNs + "\" xmlns:r=\"" + rel + "\"><sheets>" + list +
                               "</sheets></workbook>";
    parts["xl/_rels/workbook.xml.rels"] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
        rels + "</Relationships>";
    return parts;
}

// Writes the parts as a zip archive (deflated). False when libzip fails.
inline bool WriteZip(const std::string& path, const TParts& parts) {
    int error = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z) return false;
    for (const auto& [name, bytes] : parts) {
        zip_source_t* src = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
        if (!src || zip_file_add(z, name.c_str(), src, ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(src);
            zip_discard(z);
            return false;
        }
    }
    return zip_close(z) == 0;
}

// One sheet row: cells given as (reference, XML inside <c>, type or "").
inline std::string Row(int r, const std::vector<std::vector<std::string>>& cells) {
    std::string xml = "<row r=\"" + std::to_string(r) + "\">";
    for (const auto& c : cells) {
        xml += "<c r=\"" + c[0] + "\"";
        if (c.size() > 2 && !c[2].empty()) xml += " t=\"" + c[2] + "\"";
        xml += ">" + c[1] + "</c>";
    }
    return xml + "</row>";
}

} // namespace habitual::test

// A UTF-8 survey file as the reader takes it: every line turned into CP932
// before the reader's rules apply, so that a UTF-8 file reads exactly as its
// Shift-JIS form would. The byte-order mark is left out; a byte 0x1A ends
// the data, as it does for the reader.
#pragma once

#include <memory>
#include <string>

#include "engine/ByteSource.h"
#include "engine/Encoding.h"
#include "engine/SurveyInput.h"

namespace habitual {

// What a look at the whole file found.
struct TUtf8Scan {
    bool Bom = false;      // the file starts with a UTF-8 byte-order mark
    bool Valid = true;     // its data is UTF-8 throughout
    bool NonAscii = false; // it holds a character beyond ASCII
    // The first problem in the data, by file line and column.
    TInputProblem Problem;
};

// Reads the file's data (up to a 0x1A or the end) once and leaves the file
// at its start again. Stops at the first bytes that are not UTF-8.
TUtf8Scan ScanUtf8(TFileSource& file);

class TUtf8Source : public TByteSource {
public:
    TUtf8Source(std::unique_ptr<TFileSource> file, bool bom);

    std::size_t Read(unsigned char* buffer, std::size_t size) override;
    bool Rewind() override;
    bool Failed() const override { return Error || File->Failed(); }
    std::uint64_t SizeHint() const override { return File->SizeHint(); }

private:
    void Fill();

    std::unique_ptr<TFileSource> File;
    bool Bom;
    bool AtStart = true;
    bool Ended = false;
    bool Error = false;
    std::string Raw; // read, not yet converted: the start of a cut sequence
    std::string Out; // converted, not yet handed out from OutPos on
    std::size_t OutPos = 0;
};

} // namespace habitual

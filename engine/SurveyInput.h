// How a survey's bytes reach the reader: the user's choices about reading
// (encoding, sheet, what to do with fields that are not numbers), what kind
// of file was found, and why a file could not be taken.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/ByteSource.h"

namespace habitual {

enum class TInputEncoding {
    Auto,  // a byte-order mark, or valid UTF-8 with a character beyond ASCII: UTF-8; else CP932
    Cp932, // as the file is (the specified reading)
    Utf8,
};

// The reading options of a load and a run. Every default leaves the results
// exactly as the specified reading gives them.
struct TInputOptions {
    TInputEncoding Encoding = TInputEncoding::Auto;
    // The sheet of a workbook: a sheet's name, or failing that its number
    // from 1 (UTF-8); empty for the first sheet.
    std::string Sheet;
    // Leave analysis fields that are empty or not numbers out of the
    // analysis instead of reading them as 0.
    bool SkipMissing = false;
    // What a workbook may hold in memory while it is read (its sheet as rows
    // and its shared texts).
    std::uint64_t MemoryLimit = std::uint64_t{1} << 30;
};

enum class TSurveyFormat { Cp932, Utf8, Workbook };

// Why a survey file cannot be read.
struct TInputProblem {
    enum class TKind {
        None,
        CannotOpen,    // no regular file that can be read
        ReadFailed,    // reading stopped at an error of the device
        NoCp932Form,   // a character that Shift-JIS cannot hold (Row, Column, Character)
        Malformed,     // bytes that are not UTF-8 in a UTF-8 file (Row, Character: the bytes)
        Damaged,       // a workbook that cannot be read (Part: where)
        Encrypted,     // a workbook protected by a password
        OldWorkbook,   // an Excel 97-2003 workbook (.xls)
        NoSuchSheet,   // the sheet asked for is not in the workbook (Sheet)
        TooLarge,      // the workbook would need more memory than the limit
        BadSharedText, // a cell names a shared text the workbook does not have
        NoWorkbooks,   // a workbook, and a build made without the workbook reader
    };
    TKind Kind = TKind::None;
    std::int64_t Row = 0;    // file line or sheet row, from 1; 0 when unknown
    std::int32_t Column = 0; // from 1; 0 when unknown
    std::string Character;   // UTF-8
    std::string Sheet;       // UTF-8; set for problems inside a workbook sheet
    std::string Part;        // the workbook's part that is damaged
    std::uint64_t Limit = 0; // the memory limit, in bytes, for TooLarge
    bool Ok() const { return Kind == TKind::None; }
};

struct TOpenedSurvey {
    std::unique_ptr<TByteSource> Source; // CP932 bytes; nullptr when Problem says why
    TSurveyFormat Format = TSurveyFormat::Cp932;
    std::string SheetName; // UTF-8, for a workbook
    TInputProblem Problem;
};

// Opens the survey file at path (native bytes) for reading.
using TSurveyOpener =
    std::function<TOpenedSurvey(const std::string& path, const TInputOptions& options)>;

// A comma-separated survey file: CP932 as it is, or UTF-8 converted to CP932
// as it is read, as options.Encoding and the file's bytes decide. A UTF-8
// file is checked whole first: a character without a CP932 form, or bytes
// that are not UTF-8 in a file that must be UTF-8, refuse it.
TOpenedSurvey OpenCsvSurvey(const std::string& path, const TInputOptions& options);

} // namespace habitual

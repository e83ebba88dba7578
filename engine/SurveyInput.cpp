#include "engine/SurveyInput.h"

#include "engine/Utf8Source.h"

namespace habitual {

TOpenedSurvey OpenCsvSurvey(const std::string& path, const TInputOptions& options) {
    TOpenedSurvey opened;
    std::unique_ptr<TFileSource> file = TFileSource::Open(path.c_str());
    if (!file) {
        opened.Problem.Kind = TInputProblem::TKind::CannotOpen;
        return opened;
    }
    if (options.Encoding == TInputEncoding::Cp932) {
        opened.Source = std::move(file);
        return opened;
    }
    const TUtf8Scan scan = ScanUtf8(*file);
    if (file->Failed()) {
        opened.Problem.Kind = TInputProblem::TKind::ReadFailed;
        return opened;
    }
    const bool utf8 =
        options.Encoding == TInputEncoding::Utf8 || scan.Bom || (scan.Valid && scan.NonAscii);
    if (!utf8) {
        opened.Source = std::move(file);
        return opened;
    }
    if (!scan.Problem.Ok()) {
        opened.Problem = scan.Problem;
        return opened;
    }
    opened.Format = TSurveyFormat::Utf8;
    opened.Source = std::make_unique<TUtf8Source>(std::move(file), scan.Bom);
    return opened;
}

} // namespace habitual

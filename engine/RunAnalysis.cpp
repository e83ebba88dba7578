#include "engine/RunAnalysis.h"

#include <memory>
#include <new>

namespace habitual {
namespace {

TRunStatus Run(const TAnalysisSettings& settings, TResultLines& lines,
               const TGroupAnalysis& analyseGroup, const TRunOptions& options) {
    auto run = std::make_unique<TRunData>();
    if (const TRunStatus status = run->Read(settings); !status.Ok()) return status;

    // One workspace serves every group; it is as large as the largest.
    auto ctx = std::make_unique<TAnova1Way>();
    if (!ctx->Allocate(run->LargestGroup())) return {TRunError::OutOfMemory};
    TGroupHeading heading;
    for (const TGroupRange& group : run->Groups) {
        MakeHeading(*run, settings, group, heading);
        AppendHeading(lines, heading);
        if (group.Size() < 2) continue;
        run->FillGroup(group, *ctx);
        analyseGroup(*ctx, settings, lines);
        if (options.GroupDone)
            options.GroupDone(CaptureGroupResult(*ctx, settings, heading, options.WithValues));
    }
    return {};
}

} // namespace

TRunStatus RunAnalysis(const TAnalysisSettings& settings, TResultLines& lines,
                       const TGroupAnalysis& analyseGroup, const TRunOptions& options) {
    try {
        return Run(settings, lines, analyseGroup, options);
    } catch (const std::bad_alloc&) {
        return {TRunError::OutOfMemory};
    }
}

} // namespace habitual

#include "engine/RunAnalysis.h"

#include <algorithm>
#include <memory>
#include <new>

#include "engine/Encoding.h"
#include "engine/InputNotices.h"

namespace habitual {
namespace {

// What the reading of the survey has to tell: the file's lines first, then
// each group's analysis fields, in the order of the groups.
void TellInputNotices(const TRunData& run, const TAnalysisSettings& settings,
                      const TRunOptions& options) {
    if (!options.Notice) return;
    if (run.SkippedWithText.Count > 0)
        options.Notice(SkippedLinesNotice(run.SkippedWithText, run.Format));
    TGroupHeading heading;
    for (const TNotNumbers& missing : run.Missing) {
        MakeHeading(run, settings, missing.ClassKey, heading);
        options.Notice(NotNumbersNotice(missing.Rows, options.Input.SkipMissing,
                                        Cp932ToUtf8(heading.ClassPieces())));
    }
}

TRunStatus Run(const TAnalysisSettings& settings, TResultLines& lines,
               const TGroupAnalysis& analyseGroup, const TRunOptions& options) {
    auto run = std::make_unique<TRunData>();
    if (const TRunStatus status = run->Read(settings, options.Input, options.Open); !status.Ok())
        return status;
    TellInputNotices(*run, settings, options);

    // One workspace serves every group; it is as large as the largest.
    auto ctx = std::make_unique<TAnova1Way>();
    if (!ctx->Allocate(run->LargestGroup())) return {TRunError::OutOfMemory};
    const auto analysed =
        static_cast<double>(std::count_if(run->Groups.begin(), run->Groups.end(),
                                          [](const TGroupRange& g) { return g.Size() >= 2; }));
    std::int32_t before = 0; // groups analysed so far
    TGroupHeading heading;
    for (std::size_t g = 0; g < run->Groups.size(); ++g) {
        const TGroupRange& group = run->Groups[g];
        MakeHeading(*run, settings, group, heading);
        AppendHeading(lines, heading);
        if (group.Size() < 2) continue;
        run->FillGroup(group, *ctx);
        TGroupRun groupRun;
        groupRun.GroupIndex = static_cast<std::int32_t>(g);
        groupRun.Options = &options;
        if (options.Bootstrap.Progress)
            groupRun.Progress = [&options, before, analysed](double done) {
                return options.Bootstrap.Progress((before + done) / analysed);
            };
        analyseGroup(*ctx, settings, lines, groupRun);
        if (groupRun.Cancelled) return {TRunError::Cancelled};
        ++before;
        const std::string group8 = Cp932ToUtf8(heading.ClassPieces());
        for (TNotice& notice : groupRun.Notices) notice.Group = group8;
        if (options.Notice)
            for (const TNotice& notice : groupRun.Notices) options.Notice(notice);
        if (options.GroupDone) {
            TGroupResult result = CaptureGroupResult(*ctx, settings, heading, options.WithValues);
            result.Intervals = std::move(groupRun.Intervals);
            result.Notices = std::move(groupRun.Notices);
            options.GroupDone(std::move(result));
        }
    }
    return {};
}

} // namespace

TRunStatus RunAnalysis(const TAnalysisSettings& settings, TResultLines& lines,
                       const TGroupAnalysis& analyseGroup, const TRunOptions& options) {
    try {
        if (!options.Bootstrap.On() || !options.Bootstrap.Progress)
            return Run(settings, lines, analyseGroup, options);
        // A run that can be stopped gives its lines only when it is done.
        TDeferredResultLines deferred;
        const TRunStatus status = Run(settings, deferred, analyseGroup, options);
        if (status.Ok()) deferred.MoveTo(lines);
        return status;
    } catch (const std::bad_alloc&) {
        return {TRunError::OutOfMemory};
    }
}

} // namespace habitual

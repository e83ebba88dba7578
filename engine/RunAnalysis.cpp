#include "engine/RunAnalysis.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "engine/CutOffs.h"
#include "engine/Encoding.h"
#include "engine/InputNotices.h"
#include "engine/Workers.h"

namespace habitual {
namespace {

// One group in one analysis column, as the run reports it.
struct TJob {
    std::size_t Column = 0;   // among the run's analysis columns
    std::size_t Group = 0;    // among the run's groups
    std::int32_t Index = 0;   // among the column's groups (the bootstrap's streams)
    std::int32_t Records = 0; // the group's records in the column
    bool FirstOfColumn = false;
    bool FirstAnalysed = false;
    // The run's settings, or the job's own where its column or its cut-offs
    // differ from them.
    const TAnalysisSettings* Settings = nullptr;
    std::unique_ptr<TAnalysisSettings> Own;
};

// What a job hands back, kept until its turn to reach the caller.
struct TJobOutput {
    TRecordedLines Lines;
    std::vector<TNotice> Notices;
    std::optional<TGroupResult> Result;
    bool Cancelled = false;
};

// The name a notice gives its group: with several columns, the column too.
std::string NoticeGroup(const TRunData& run, const TGroupHeading& heading) {
    std::string group;
    if (run.K() > 1) group = "[" + heading.NutrientName + "]";
    return Cp932ToUtf8(group + heading.ClassPieces());
}

// What the reading of one column has to tell: its analysis fields that were
// not numbers, group by group.
void TellMissing(const TRunData& run, const TAnalysisSettings& settings, std::size_t k,
                 const TRunOptions& options) {
    if (!options.Notice) return;
    TGroupHeading heading;
    for (const TNotNumbers& missing : run.Columns[k].Missing) {
        MakeHeading(run, settings, missing.ClassKey, heading, k);
        options.Notice(
            NotNumbersNotice(missing.Rows, options.Input.SkipMissing, NoticeGroup(run, heading)));
    }
}

// The jobs of the run in the order of their reports: column by column, the
// groups that have records in the column. Each job's cut-off text is found
// here, so that a table that cannot decide stops the run before it writes.
TRunStatus MakeJobs(const TRunData& run, const TAnalysisSettings& settings,
                    const TRunOptions& options, std::vector<TJob>& jobs, int& mostCutOffs) {
    std::vector<int> positions;
    if (options.CutOffs) {
        TRunStatus status{TRunError::CutOffTable};
        if (!options.CutOffs->Bind(run.ClassNames, positions, status.CutOffs)) return status;
    }
    TGroupHeading heading;
    bool analysedBefore = false;
    mostCutOffs = 0;
    for (std::size_t k = 0; k < run.K(); ++k) {
        std::int32_t index = 0;
        for (std::size_t g = 0; g < run.Groups.size(); ++g) {
            const std::int32_t records = run.Columns[k].GroupSizes[g];
            if (records == 0) continue;
            TJob job;
            job.Column = k;
            job.Group = g;
            job.Index = index++;
            job.Records = records;
            job.FirstOfColumn = job.Index == 0;
            job.Settings = &settings;
            const std::string* cutOffs = &settings.CutOffText;
            if (options.CutOffs) {
                MakeHeading(run, settings, run.Groups[g], heading, k);
                TRunStatus status{TRunError::CutOffTable};
                const std::string* found = options.CutOffs->Find(
                    positions, heading.ClassTexts, heading.NutrientName, status.CutOffs);
                if (!status.CutOffs.Ok()) {
                    status.CutOffs.Text = NoticeGroup(run, heading);
                    return status;
                }
                if (found) cutOffs = found;
            }
            if (run.Columns[k].Column != settings.NutrientColumn ||
                cutOffs != &settings.CutOffText) {
                job.Own = std::make_unique<TAnalysisSettings>(settings);
                job.Own->NutrientColumn = run.Columns[k].Column;
                job.Own->CutOffText = *cutOffs;
                job.Settings = job.Own.get();
            }
            if (records >= 2) {
                job.FirstAnalysed = !analysedBefore;
                analysedBefore = true;
                mostCutOffs =
                    std::max(mostCutOffs, static_cast<int>(ParseCutOffs(*cutOffs).size()));
            }
            jobs.push_back(std::move(job));
        }
    }
    return {};
}

class TRunner {
public:
    TRunner(const TRunData& run, const TAnalysisSettings& settings,
            const TGroupAnalysis& analyseGroup, const TRunOptions& options,
            const std::vector<TJob>& jobs, int mostCutOffs)
        : Run(run), Settings(settings), AnalyseGroup(analyseGroup), Options(options), Jobs(jobs),
          MostCutOffs(mostCutOffs) {
        for (const TJob& job : jobs)
            if (job.Records >= 2) ++Analysed;
    }

    // Analyses every job and hands each one's output on in their order.
    TRunStatus Go(TResultLines& lines) {
        int threads = ThreadCount(Options.Threads);
        // A bootstrap resamples on threads of its own, one group after another.
        if (Options.Bootstrap.On()) threads = 1;
        threads = std::clamp(threads, 1, std::max(1, Analysed));
        auto first = std::make_unique<TAnova1Way>();
        if (!first->Allocate(Run.LargestGroup())) return {TRunError::OutOfMemory};
        first->Times = Options.Times;
        TStageTimer t(Options.Times, TStage::Groups);
        if (threads == 1) return OneByOne(*first, lines);
        return InParallel(std::move(first), threads, lines);
    }

private:
    TRunStatus OneByOne(TAnova1Way& ctx, TResultLines& lines) {
        TGroupHeading heading;
        TJobOutput out;
        std::int32_t before = 0;
        for (const TJob& job : Jobs) {
            Analyse(job, ctx, heading, out, before);
            if (out.Cancelled) return {TRunError::Cancelled};
            if (job.Records >= 2) ++before;
            Deliver(job, out, lines);
        }
        return {};
    }

    // Workers take the jobs in turn, each in a workspace of its own; this
    // thread hands their outputs on in the jobs' order as they are done.
    TRunStatus InParallel(std::unique_ptr<TAnova1Way> first, int threads, TResultLines& lines) {
        std::vector<std::unique_ptr<TAnova1Way>> spaces;
        spaces.push_back(std::move(first));
        for (int t = 1; t < threads; ++t) {
            auto ctx = std::make_unique<TAnova1Way>();
            // Where memory is short, fewer threads do the work.
            if (!ctx->Allocate(Run.LargestGroup())) break;
            ctx->Times = Options.Times;
            spaces.push_back(std::move(ctx));
        }
        std::vector<std::unique_ptr<TJobOutput>> outputs(Jobs.size());
        std::vector<std::uint8_t> done(Jobs.size(), 0);
        std::atomic<std::size_t> next{0};
        TWorkers workers;
        workers.Start(static_cast<int>(spaces.size()), [&](int t) {
            TAnova1Way& ctx = *spaces[static_cast<std::size_t>(t)];
            TGroupHeading heading;
            while (!workers.Stop) {
                const std::size_t j = next++;
                if (j >= Jobs.size()) break;
                auto out = std::make_unique<TJobOutput>();
                Analyse(Jobs[j], ctx, heading, *out, 0);
                std::lock_guard<std::mutex> hold(workers.Lock);
                outputs[j] = std::move(out);
                done[j] = 1;
                workers.Changed.notify_all();
            }
        });
        for (std::size_t j = 0; j < Jobs.size(); ++j) {
            std::unique_ptr<TJobOutput> out;
            {
                std::unique_lock<std::mutex> hold(workers.Lock);
                workers.Changed.wait(hold, [&] { return done[j] || workers.Failure; });
                if (workers.Failure) std::rethrow_exception(workers.Failure);
                out = std::move(outputs[j]);
            }
            Deliver(Jobs[j], *out, lines);
        }
        return {};
    }

    // The job's heading and report into out, with its notices and results.
    // before: the groups analysed before it (for the progress of a bootstrap).
    void Analyse(const TJob& job, TAnova1Way& ctx, TGroupHeading& heading, TJobOutput& out,
                 std::int32_t before) const {
        out.Notices.clear();
        out.Result.reset();
        out.Cancelled = false;
        const TAnalysisSettings& settings = *job.Settings;
        const TGroupRange& group = Run.Groups[job.Group];
        MakeHeading(Run, settings, group, heading, job.Column);
        if (Settings.OutType != OutForm::SummaryTable) AppendHeading(out.Lines, heading);
        if (job.Records < 2) return;
        {
            TStageTimer t(Options.Times, TStage::Fill);
            Run.FillGroup(group, ctx, job.Column);
        }
        TGroupRun groupRun;
        groupRun.GroupIndex = job.Index;
        groupRun.Options = &Options;
        groupRun.Heading = &heading;
        groupRun.FirstAnalysed = job.FirstAnalysed;
        groupRun.MostCutOffs = MostCutOffs;
        if (Options.Bootstrap.Progress) {
            const double analysed = Analysed;
            groupRun.Progress = [this, before, analysed](double done) {
                return Options.Bootstrap.Progress((before + done) / analysed);
            };
        }
        {
            TStageTimer t(Options.Times, TStage::Analysis);
            AnalyseGroup(ctx, settings, out.Lines, groupRun);
        }
        if (groupRun.Cancelled) {
            out.Cancelled = true;
            return;
        }
        const std::string name = NoticeGroup(Run, heading);
        for (TNotice& notice : groupRun.Notices) notice.Group = name;
        if (Options.GroupDone) {
            out.Result = CaptureGroupResult(ctx, settings, heading, Options.WithValues);
            out.Result->Intervals = std::move(groupRun.Intervals);
            out.Result->Notices = groupRun.Notices;
        }
        out.Notices = std::move(groupRun.Notices);
    }

    void Deliver(const TJob& job, TJobOutput& out, TResultLines& lines) const {
        if (job.FirstOfColumn) TellMissing(Run, Settings, job.Column, Options);
        out.Lines.ReplayTo(lines);
        if (Options.Notice)
            for (const TNotice& notice : out.Notices) Options.Notice(notice);
        if (out.Result && Options.GroupDone) Options.GroupDone(std::move(*out.Result));
        out.Result.reset();
    }

    const TRunData& Run;
    const TAnalysisSettings& Settings;
    const TGroupAnalysis& AnalyseGroup;
    const TRunOptions& Options;
    const std::vector<TJob>& Jobs;
    const int MostCutOffs;
    std::int32_t Analysed = 0;
};

TRunStatus Run(const TAnalysisSettings& settings, TResultLines& lines,
               const TGroupAnalysis& analyseGroup, const TRunOptions& options) {
    auto run = std::make_unique<TRunData>();
    run->Times = options.Times;
    run->Threads = options.Threads;
    if (const TRunStatus status = run->Read(settings, options.Input, options.Open, options.Columns);
        !status.Ok())
        return status;
    std::vector<TJob> jobs;
    int mostCutOffs = 0;
    if (const TRunStatus status = MakeJobs(*run, settings, options, jobs, mostCutOffs);
        !status.Ok())
        return status;
    // The file's own notice comes first; each column's come with it.
    if (options.Notice && run->SkippedWithText.Count > 0)
        options.Notice(SkippedLinesNotice(run->SkippedWithText, run->Format));
    TRunner runner(*run, settings, analyseGroup, options, jobs, mostCutOffs);
    return runner.Go(lines);
}

} // namespace

TRunStatus RunAnalysis(const TAnalysisSettings& settings, TResultLines& lines,
                       const TGroupAnalysis& analyseGroup, const TRunOptions& options) {
    try {
        if (!options.Bootstrap.On() || !options.Bootstrap.Progress)
            return Run(settings, lines, analyseGroup, options);
        // A run that can be stopped gives its lines only when it is done.
        TRecordedLines deferred;
        const TRunStatus status = Run(settings, deferred, analyseGroup, options);
        if (status.Ok()) deferred.ReplayTo(lines);
        return status;
    } catch (const std::bad_alloc&) {
        return {TRunError::OutOfMemory};
    }
}

} // namespace habitual

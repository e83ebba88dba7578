// Where a run's time goes: the wall time of each stage of reading the survey
// and of the group analyses as a whole, and the time the analyses spent in
// each step, summed over the threads that did them. Kept only when a caller
// asks (the batch tool's --stage-times, which the benchmarks print).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace habitual {

enum class TStage : int {
    Count,        // opening the survey and bounding its rows (its line feeds counted)
    Read,         // rows to records
    SortByClass,  // records in classification-key order
    SortByPerson, // each group's records in person order
    Arrange,      // the analysis columns in the records' order
    Groups,       // every group analysed (wall time)
    Fill,         // a group's records into a workspace
    Transform,    // the normalising transformation (the best-power search)
    Anova,        // variance components and person means
    Habitual,     // shrinking and transforming back
    Percentiles,  // the percentiles of both distributions
    Analysis,     // a group's whole analysis, report lines included
    Write,        // the document to its file
    N
};

struct TStageTimes {
    std::atomic<std::int64_t> Nanos[static_cast<int>(TStage::N)] = {};
    void Add(TStage stage, std::chrono::steady_clock::duration d) {
        Nanos[static_cast<int>(stage)] +=
            std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    }
    double Seconds(TStage stage) const { return Nanos[static_cast<int>(stage)] * 1e-9; }
};

// Adds the time from its making to its end to a stage; does nothing when
// there are no times to keep.
class TStageTimer {
public:
    TStageTimer(TStageTimes* times, TStage stage) : Times(times), Stage(stage) {
        if (Times) Start = std::chrono::steady_clock::now();
    }
    ~TStageTimer() {
        if (Times) Times->Add(Stage, std::chrono::steady_clock::now() - Start);
    }
    TStageTimer(const TStageTimer&) = delete;
    TStageTimer& operator=(const TStageTimer&) = delete;

private:
    TStageTimes* Times;
    TStage Stage;
    std::chrono::steady_clock::time_point Start;
};

} // namespace habitual

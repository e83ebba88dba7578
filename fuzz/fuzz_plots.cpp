// The plots of every group of a whole run over arbitrary survey bytes and
// settings (the input of fuzz_run): each group's three figures on both axis
// scales, laid out and written as SVG, and its file name.
#include <cmath>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "fuzz/RunInput.h"
#include "plot/FileNames.h"
#include "plot/GroupPlots.h"
#include "plot/Layout.h"
#include "plot/Svg.h"
#include "report/Report.h"

using namespace habitual;

namespace {

bool Finite(const plot::TPoint& p) {
    return std::isfinite(p.X) && std::isfinite(p.Y);
}

// Every position in the scene is a number, so that every renderer can draw it.
void CheckScene(const plot::TScene& scene) {
    for (const plot::TSceneGroup& group : scene.Groups) {
        for (const plot::TSceneItem& item : group.Items) {
            if (const auto* path = std::get_if<plot::TPath>(&item.Shape)) {
                for (const auto& part : path->Parts)
                    for (const plot::TPoint& p : part) FUZZ_CHECK(Finite(p));
            } else if (const auto* dots = std::get_if<plot::TDots>(&item.Shape)) {
                FUZZ_CHECK(dots->At.size() <= 3000);
                for (const plot::TPoint& p : dots->At) FUZZ_CHECK(Finite(p));
            } else if (const auto* text = std::get_if<plot::TText>(&item.Shape)) {
                FUZZ_CHECK(Finite(text->At));
            }
        }
    }
}

void CheckGroup(const TGroupResult& r) {
    for (bool logAxis : {false, true}) {
        plot::TPlotOptions options;
        options.LogAxis = logAxis;
        const plot::TGroupFigures figures = plot::GroupFigures(r, options);
        for (const plot::TFigure* f : {&figures.Histogram, &figures.Cumulative, &figures.Normal}) {
            FUZZ_CHECK(!f->Panels.empty());
            const plot::TScene scene = plot::LayOut(*f);
            CheckScene(scene);
            FUZZ_CHECK(plot::SvgDocument(scene).size() < 300 * 1024);
        }
    }
    const std::string name = plot::GroupFileBase(r.Heading);
    FUZZ_CHECK(!name.empty() && name.size() <= 100);
    FUZZ_CHECK(name.find_first_of("<>:\"/\\|?*") == std::string::npos);
    FUZZ_CHECK(name.back() != '.' && name.back() != ' ' && name.front() != '.');
    for (char c : name) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::TScratchFile file("plots");
    fuzz::TInput in(data, size);
    TAnalysisSettings settings = fuzz::ReadSettings(in);
    const std::string_view survey = in.Rest();
    file.Write(reinterpret_cast<const std::uint8_t*>(survey.data()), survey.size());
    settings.FileName = file.Path;

    TMemoryResultLines lines;
    TRunOptions options;
    options.WithValues = true;
    options.GroupDone = [](TGroupResult r) { CheckGroup(r); };
    RunReport(settings, lines, options);
    return 0;
}

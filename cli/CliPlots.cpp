#include "cli/CliPlots.h"

#include "engine/UserMessages.h"
#include "platform/Folder.h"
#include "plot/PlotFolder.h"
#ifdef HABITUAL_PLOT_PNG
#include "plotpng/CairoPng.h"
#endif

namespace habitual {

bool CliWritesPng() {
#ifdef HABITUAL_PLOT_PNG
    return true;
#else
    return false;
#endif
}

TCliPlots::TCliPlots(std::string folder, bool logAxis, bool columnInNames)
    : Folder(std::move(folder)), LogAxis(logAxis), ColumnInNames(columnInNames) {}

TCliPlots::~TCliPlots() = default;

bool TCliPlots::Prepare(std::string& error) {
    if (!MakeFolders(Folder)) {
        error = messages::PlotFolderNotMade(Folder);
        return false;
    }
    plot::TPngEncoder png;
#ifdef HABITUAL_PLOT_PNG
    png = [](const plot::TScene& scene, std::string& bytes) {
        return plot::CairoPng(scene, plot::PngScale, bytes);
    };
#endif
    plot::TPlotOptions options;
    options.LogAxis = LogAxis;
    options.ColumnInNames = ColumnInNames;
    Writer = std::make_unique<plot::TPlotFolder>(Folder, options, true, png);
    return true;
}

void TCliPlots::Attach(TRunOptions& options) {
    options.WithValues = true;
    options.GroupDone = [this](TGroupResult result) { Writer->Add(result); };
}

bool TCliPlots::Finish(std::string& error) {
    if (Writer->Finish()) return true;
    error = messages::PlotNotWritten(Writer->FailedPath());
    return false;
}

} // namespace habitual

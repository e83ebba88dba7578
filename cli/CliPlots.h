// The batch tool's --plots: the plots of every analysed group written into a
// folder as the run goes, then the index.
#pragma once

#include <memory>
#include <string>

#include "engine/RunAnalysis.h"

namespace habitual {

namespace plot {
class TPlotFolder;
}

class TCliPlots {
public:
    // columnInNames: the run has several analysis columns, so file names
    // begin with the column's name.
    TCliPlots(std::string folder, bool logAxis, bool columnInNames = false);
    ~TCliPlots();

    // Makes the folder; false with the message when it cannot be made.
    bool Prepare(std::string& error);
    // Asks the run for the groups' values and writes each group's plots.
    void Attach(TRunOptions& options);
    // Writes the index; false with the message when a file could not be
    // written (during the run or now).
    bool Finish(std::string& error);

private:
    std::string Folder;
    bool LogAxis, ColumnInNames;
    std::unique_ptr<plot::TPlotFolder> Writer;
};

// Whether this build writes PNG plots beside the SVG ones.
bool CliWritesPng();

} // namespace habitual

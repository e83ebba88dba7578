// The commands of the page 分布図: saving the figure shown, and the figures of
// every group of the last run.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>

#include "engine/UserMessages.h"
#include "platform/SaveFile.h"
#include "plot/FileNames.h"
#include "plot/Layout.h"
#include "plot/PlotFolder.h"
#include "ui/EnginePath.h"
#include "ui/Main.h"
#include "ui/PlotExport.h"
#include "ui/PlotPage.h"
#include "ui/WaitCursor.h"

namespace {

QString Extension(TPlotFormat format) {
    switch (format) {
    case TPlotFormat::Svg:
        return QStringLiteral("svg");
    case TPlotFormat::Pdf:
        return QStringLiteral("pdf");
    case TPlotFormat::Png:
    default:
        return QStringLiteral("png");
    }
}

void SetPlotFileType(TFileDialog& dialog, TPlotFormat format, const QString& name) {
    static const char* const filters[] = {"PNG 画像 (*.png)|*.png", "SVG 画像 (*.svg)|*.svg",
                                          "PDF 文書 (*.pdf)|*.pdf"};
    dialog.Filter = QString::fromUtf8(filters[static_cast<int>(format)]);
    dialog.DefaultExt = Extension(format);
    // A name for what is saved now, in the folder chosen last.
    const QString folder =
        dialog.FileName.isEmpty() ? QString() : QFileInfo(dialog.FileName).absolutePath();
    const QString file = name + QLatin1Char('.') + dialog.DefaultExt;
    dialog.FileName = folder.isEmpty() ? file : QDir(folder).filePath(file);
}

// A progress window for work over many groups, with a button that stops it.
class TPlotProgress {
public:
    TPlotProgress(QWidget* owner, std::size_t groups)
        : Dialog(QStringLiteral("分布図を書き出しています..."), QStringLiteral("中止"), 0,
                 static_cast<int>(groups), owner) {
        Dialog.setObjectName(QStringLiteral("FormPlotProgress"));
        Dialog.setWindowTitle(owner->windowTitle());
        Dialog.setWindowModality(Qt::WindowModal);
        Dialog.setMinimumDuration(500);
        Dialog.setAutoClose(false);
    }
    // Before group k; false once the user has stopped the work.
    bool Step(std::size_t k) {
        Dialog.setValue(static_cast<int>(k));
        return !Dialog.wasCanceled();
    }

private:
    QProgressDialog Dialog;
};

} // namespace

void TMainForm::ButtonHozonClick() {
    const habitual::plot::TFigure* figure = TabSheetBunpuzu->CurrentFigureShown();
    const int group = TabSheetBunpuzu->CurrentGroup();
    if (!figure || group < 0) return;
    const TPlotFormat chosen = TabSheetBunpuzu->Format();
    const habitual::TGroupResult& r = TabSheetBunpuzu->Results()[static_cast<std::size_t>(group)];
    SetPlotFileType(SavePlot, chosen,
                    QString::fromStdString(habitual::plot::GroupFileBase(
                                               r.Heading, TabSheetBunpuzu->SeveralColumns()) +
                                           "_" + figure->Id));
    if (!Dialogs->ExecuteSave(this, SavePlot)) return;
    const QString path = SavePlot.FileName;
    if (!ConfirmOverwrite(path)) return;

    TWaitCursor wait;
    std::string bytes;
    if (!FigureBytes(habitual::plot::LayOut(*figure), FormatOfName(path, chosen), bytes) ||
        !habitual::SaveFile(EnginePath(path), bytes))
        ShowError(QString::fromStdString(habitual::messages::PlotNotWritten(path.toStdString())));
}

void TMainForm::ButtonZenHozonClick() {
    const std::vector<habitual::TGroupResult>& groups = TabSheetBunpuzu->Results();
    if (groups.empty()) return;
    const TPlotFormat format = TabSheetBunpuzu->Format();
    const habitual::plot::TPlotOptions options = TabSheetBunpuzu->Options();

    if (format == TPlotFormat::Pdf) {
        // One file, a page per group.
        SetPlotFileType(SavePlot, format, QStringLiteral("分布図"));
        if (!Dialogs->ExecuteSave(this, SavePlot)) return;
        const QString path = SavePlot.FileName;
        if (!ConfirmOverwrite(path)) return;
        TWaitCursor wait;
        TPlotProgress progress(this, groups.size());
        std::string bytes;
        bool stopped = false;
        const bool made = GroupsPdf(groups, options, bytes, [&](std::size_t k) {
            stopped = !progress.Step(k);
            return !stopped;
        });
        // Stopped: nothing is saved, and whatever was there stays.
        if (stopped) return;
        if (!made || !habitual::SaveFile(EnginePath(path), bytes))
            ShowError(
                QString::fromStdString(habitual::messages::PlotNotWritten(path.toStdString())));
        return;
    }

    // A folder of files, as the batch tool's --plots writes it.
    if (!Dialogs->ExecuteFolder(this, PlotFolder)) return;
    const QString folder = PlotFolder.FileName;
    const QString index = QDir(folder).filePath(QStringLiteral("index.html"));
    if (QFileInfo::exists(index) &&
        !Dialogs->Confirm(this, QStringLiteral("フォルダ ") + folder +
                                    QStringLiteral(" には既に分布図があります。\n\n"
                                                   "同じ名前のファイルを重ね書きしますか？")))
        return;
    TWaitCursor wait;
    TPlotProgress progress(this, groups.size());
    habitual::plot::TPlotFolder writer(EnginePath(folder), options, format == TPlotFormat::Svg,
                                       format == TPlotFormat::Png
                                           ? habitual::plot::TPngEncoder(PngBytes)
                                           : habitual::plot::TPngEncoder());
    bool written = true;
    for (std::size_t k = 0; k < groups.size() && written; ++k) {
        if (!progress.Step(k)) break;
        written = writer.Add(groups[k]);
    }
    // The index lists what was written, also when the user stopped early.
    if (!written || !writer.Finish())
        ShowError(QString::fromStdString(habitual::messages::PlotNotWritten(
            QFile::decodeName(writer.FailedPath().c_str()).toStdString())));
}

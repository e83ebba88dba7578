#include "ui/ErrorReport.h"

#include <QApplication>
#include <QWidget>

#include <utility>

#include "engine/UserMessages.h"
#include "ui/Dialogs.h"

namespace {

void ShowErrorBox(const QString& message) {
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent) parent = QApplication::activeWindow();
    ShowErrorMessage(parent, message);
}

TErrorReporter& CurrentReporter() {
    static TErrorReporter reporter = ShowErrorBox;
    return reporter;
}

} // namespace

TErrorReporter SetErrorReporter(TErrorReporter reporter) {
    return std::exchange(CurrentReporter(), std::move(reporter));
}

void ReportError(const QString& message) {
    // A reporter that fails itself must not take the program down.
    try {
        if (CurrentReporter()) CurrentReporter()(message);
    } catch (...) {
    }
}

QString ErrorMessage(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return QString::fromUtf8(habitual::messages::MemoryShort());
    return QString::fromUtf8(error.what());
}

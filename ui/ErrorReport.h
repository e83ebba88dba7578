// Errors that escape a command: they are shown in an "エラー" box and the
// program goes on with the next event.
#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <new>

using TErrorReporter = std::function<void(const QString& message)>;

// Replaces the default reporter (an error box over the active window);
// returns the previous one. Tests install their own.
TErrorReporter SetErrorReporter(TErrorReporter reporter);
void ReportError(const QString& message);

// The message shown for an exception; an error that carries no message is
// shown with an empty one.
QString ErrorMessage(const std::exception& error);

// Runs a command, reporting what it throws instead of letting it reach Qt.
template <typename Command> void Guarded(Command&& command) noexcept {
    try {
        command();
    } catch (const std::exception& error) {
        ReportError(ErrorMessage(error));
    } catch (...) {
        ReportError(QString());
    }
}

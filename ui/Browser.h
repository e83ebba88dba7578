// Opening a web address in the user's browser, the way the About box does.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The program part of a browser command: the text between a leading double
// quote and the next one (or the end), else the text before the first space.
// What follows (the command's own arguments) is ignored.
QString BrowserPath(const QString& command);

// The command the system uses to open web addresses. On Windows the default
// value of HKEY_CLASSES_ROOT\http\shell\open\command; elsewhere the desktop's
// default handler (xdg-open, looked up on PATH once, as an absolute path).
QString BrowserCommand();

#ifdef _WIN32
// The default value of a key under HKEY_CLASSES_ROOT, empty when the key or
// the value does not exist. Throws for a value that is not text.
QString ReadClassesRootString(const QString& key);
#endif

struct TBrowserLauncher {
    std::function<QString()> Command = BrowserCommand;
    // Starts a program without waiting for it; the outcome is not used.
    std::function<bool(const QString& program, const QStringList& arguments)> Start;
};

TBrowserLauncher DefaultBrowserLauncher();

// Starts the browser named by the launcher's command with the address as its
// one argument. Only an absolute path is started: the path is never looked up
// on the command search path.
void OpenAddress(const TBrowserLauncher& launcher, const QString& address);

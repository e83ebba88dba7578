#include "ui/Browser.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifdef _WIN32
#include <windows.h>

#include <stdexcept>
#include <string>
#endif

QString BrowserPath(const QString& command) {
    if (command.startsWith(QLatin1Char('"'))) {
        const qsizetype close = command.indexOf(QLatin1Char('"'), 1);
        return close < 0 ? command.mid(1) : command.mid(1, close - 1);
    }
    const qsizetype space = command.indexOf(QLatin1Char(' '));
    return space < 0 ? command : command.left(space);
}

#ifdef _WIN32

QString ReadClassesRootString(const QString& key) {
    HKEY handle = nullptr;
    const std::wstring path = key.toStdWString();
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return QString();
    DWORD type = 0;
    DWORD size = 0;
    QString value;
    LONG status = RegQueryValueExW(handle, nullptr, nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) {
        RegCloseKey(handle);
        throw std::runtime_error("レジストリの値の型が文字列ではありません。");
    }
    if (status == ERROR_SUCCESS && size > 0) {
        std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
        status = RegQueryValueExW(handle, nullptr, nullptr, &type,
                                  reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (status == ERROR_SUCCESS) value = QString::fromWCharArray(buffer.c_str());
    }
    RegCloseKey(handle);
    return value;
}

QString BrowserCommand() {
    return ReadClassesRootString(QStringLiteral("http\\shell\\open\\command"));
}

#else

QString BrowserCommand() {
    static const QString command = [] {
        const QString path = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (path.isEmpty()) return QString();
        return QLatin1Char('"') + QDir::cleanPath(QFileInfo(path).absoluteFilePath()) +
               QLatin1String("\" \"%1\"");
    }();
    return command;
}

#endif

TBrowserLauncher DefaultBrowserLauncher() {
    TBrowserLauncher launcher;
    launcher.Start = [](const QString& program, const QStringList& arguments) {
        return QProcess::startDetached(program, arguments);
    };
    return launcher;
}

void OpenAddress(const TBrowserLauncher& launcher, const QString& address) {
    const QString path = BrowserPath(launcher.Command ? launcher.Command() : QString());
    if (path.isEmpty() || !QFileInfo(path).isAbsolute() || !launcher.Start) return;
    launcher.Start(path, {address});
}

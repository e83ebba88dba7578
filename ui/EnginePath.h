// A file name as the engine and the platform module take it: UTF-8 on
// Windows, where the platform module opens it with the wide calls (the ANSI
// code page of QFile::encodeName cannot hold every name), and the file
// system's own bytes elsewhere.
#pragma once

#include <QFile>
#include <QString>

#include <string>

inline std::string EnginePath(const QString& path) {
#ifdef _WIN32
    return path.toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

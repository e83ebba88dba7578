// Small survey and results files for the desktop tests, written in Shift-JIS
// from UTF-8 text, and helpers to reach a window's controls.
#pragma once

#include <QByteArray>
#include <QComboBox>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "engine/RunAnalysis.h"
#include "engine/Settings.h"

bool WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);
// UTF-8 text as Shift-JIS bytes.
QByteArray Sjis(const char* utf8);

// A survey of 12 persons surveyed on two days, of both sexes, with CR LF
// line ends: columns 地区, 番号, 性別, 年齢階級, エネルギー, カルシウム.
QByteArray SmallSurvey();

// The control of a window with the given object name (nullptr when none).
template <typename T> T* Control(const QWidget& window, const char* name) {
    return window.findChild<T*>(QString::fromUtf8(name));
}

// Pages of a PDF file as its page objects count them.
int PdfPageCount(const QByteArray& pdf);

// The items of a drop-down list.
QStringList Items(const QComboBox* list);

// The lines (as Unicode text) a run with these settings and options writes
// into an empty document; a warning when the run is rejected.
QStringList MemoryReport(const habitual::TAnalysisSettings& settings,
                         const habitual::TRunOptions& options = {});

// The About box: the system's title, version, credits, terms of use and the
// web address, which a double-click opens in the browser.
#pragma once

#include <QDialog>

#include "ui/Browser.h"

class QLabel;
class QPushButton;
class TDblClickLabel;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // Opens the address shown in Label4.
    void Label4DblClick();
    QString Address() const;
    // Replaces how the browser is found and started (tests).
    void SetLauncher(TBrowserLauncher launcher) { Launcher = std::move(launcher); }

private:
    TDblClickLabel* Label4;
    TBrowserLauncher Launcher = DefaultBrowserLauncher();
};

// The address the About box shows and opens: the build's HABITUAL_HOME_URL,
// or else the user guide installed with the program, as a file address.
QString HomeAddress();
// The installed user guide of a program in programDir: guide.html beside it,
// else share/doc/habitual/guide.html under its prefix (where it is installed
// when it is in neither place).
QString GuideAddress(const QString& programDir);
// The version line: version number and release date of this build.
QString VersionLine();

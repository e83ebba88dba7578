// The notices of the last load or run, in a panel below the pages of the main
// window (so that neither page changes its layout). Hidden while there is
// nothing to say.
#pragma once

#include <QDockWidget>

#include "engine/Notice.h"

class QListWidget;

class TNoticePanel : public QDockWidget {
    Q_OBJECT
public:
    explicit TNoticePanel(QWidget* parent = nullptr);

    // Removes every notice and hides the panel.
    void Clear();
    // Adds a notice at the end and shows the panel.
    void Add(const habitual::TNotice& notice);
    // The notices as shown, one text per line (tests).
    QStringList Texts() const;

private:
    QListWidget* List;
};

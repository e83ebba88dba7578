// The progress window: a small window with one bar, shown while a survey
// file loads. It has no close button, so it cannot be dismissed meanwhile.
#pragma once

#include <QWidget>

class QProgressBar;

class TFormProgress : public QWidget {
    Q_OBJECT
public:
    explicit TFormProgress(QWidget* owner = nullptr);

    QProgressBar* ProgressBar() const { return Bar; }
    // Shows the window centred over its owner and paints it at once, without
    // handling any other event.
    void ShowNow();

private:
    QProgressBar* Bar;
};

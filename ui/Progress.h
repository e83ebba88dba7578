// The progress window: a small window with one bar, shown while a survey
// file loads. It has no close button, so it cannot be dismissed meanwhile.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QProgressBar;

class TFormProgress : public QWidget {
    Q_OBJECT
public:
    explicit TFormProgress(QWidget* owner = nullptr);

    QProgressBar* ProgressBar() const { return Bar; }
    // Shows the window centred over its owner and paints it at once.
    void ShowNow();
    // Moves the bar and keeps the window painted on screen.
    void SetPosition(int position);

private:
    // Lets the window system map and paint the window. Only events that are
    // no user input are handled: nothing can be clicked or typed meanwhile,
    // so the settings cannot change while a file loads.
    void PaintOnScreen();

    QProgressBar* Bar;
    QElapsedTimer SincePainted;
};

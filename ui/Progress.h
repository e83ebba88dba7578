// The progress window: a small window with one bar, shown while a survey
// file loads and while a run computes confidence intervals. It has no close
// button, so it cannot be dismissed meanwhile; for a run it has a button
// 中止 that stops the run.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QProgressBar;
class QPushButton;

class TFormProgress : public QWidget {
    Q_OBJECT
public:
    explicit TFormProgress(QWidget* owner = nullptr);

    QProgressBar* ProgressBar() const { return Bar; }
    // Shows the window centred over its owner and paints it at once. With
    // cancel, the button 中止 is shown and the window is modal: the user can
    // press the button while the rest of the program takes no input.
    void ShowNow(bool cancel = false);
    // Moves the bar and keeps the window painted on screen.
    void SetPosition(int position);
    // Whether 中止 was pressed since the window was shown.
    bool CancelRequested() const { return Cancelled; }
    // The handler of the button.
    void ButtonCancelClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Lets the window system map and paint the window. Without the button
    // only events that are no user input are handled: nothing can be clicked
    // or typed meanwhile, so the settings cannot change while a file loads.
    void PaintOnScreen();

    QProgressBar* Bar;
    QPushButton* ButtonCancel;
    QElapsedTimer SincePainted;
    bool Cancellable = false;
    bool Cancelled = false;
};

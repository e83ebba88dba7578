// Shows one figure, laid out for the widget's size so that its texts keep
// their size on screen (down to a smallest canvas, below which the figure is
// scaled), or a short text while there is none.
#pragma once

#include <QWidget>

#include <optional>

#include "plot/Figure.h"
#include "plot/Scene.h"

class TPlotView : public QWidget {
    Q_OBJECT
public:
    explicit TPlotView(const char* name, QWidget* parent = nullptr);

    void SetFigure(habitual::plot::TFigure figure);
    // Shows text in place of a figure.
    void SetText(const QString& text);
    // The figure shown; nullptr while a text is shown.
    const habitual::plot::TFigure* Figure() const { return Shown ? &*Shown : nullptr; }
    // The scene as drawn now (laid out for the widget's size).
    const habitual::plot::TScene* Scene() const { return Shown ? &Drawn : nullptr; }
    QString Text() const { return Message; }

    QSize sizeHint() const override { return {640, 448}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayOutForSize();

    std::optional<habitual::plot::TFigure> Shown;
    habitual::plot::TScene Drawn;
    QString Message;
};

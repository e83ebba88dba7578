// The field that shows the loaded survey's path. Its text is the whole path
// (the run takes it from there); a path wider than the field is drawn with an
// ellipsis in its middle, so that the file name at its end stays in view, and
// the whole path is its tooltip.
#pragma once

#include <QLabel>

class TPathLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    // Sets the text and the tooltip.
    void SetPath(const QString& path);
    // The text as drawn in the given width.
    QString ShownText(int width) const;
    // However long the path, it asks for no more room than its minimum.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

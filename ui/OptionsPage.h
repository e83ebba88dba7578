// The page 詳細設定: the settings beyond those of the page 計算法の指定. Every
// one of them is off (or empty) at start, and a run with all of them off
// writes exactly what it would write without this page. Each feature adds
// its own group box, made by a helper of its own.
#pragma once

#include <QWidget>

class QGroupBox;
class QVBoxLayout;

class TOptionsPage : public QWidget {
    Q_OBJECT
public:
    explicit TOptionsPage(QWidget* parent = nullptr);

    // Adds a group box below those already there.
    void AddGroup(QGroupBox* group);

private:
    QVBoxLayout* Groups;
};

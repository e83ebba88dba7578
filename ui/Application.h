// The application object: an error thrown while an event is handled is
// reported in an "エラー" box instead of ending the program.
#pragma once

#include <QApplication>

class THabitualApplication : public QApplication {
    Q_OBJECT
public:
    THabitualApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

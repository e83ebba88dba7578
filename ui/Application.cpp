#include "Application.h"

#include "ErrorReport.h"

THabitualApplication::THabitualApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool THabitualApplication::notify(QObject* receiver, QEvent* event) {
    // The handlers guard themselves; this catches what escapes anything else.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportError(ErrorMessage(error));
    } catch (...) {
        ReportError(QString());
    }
    return false;
}

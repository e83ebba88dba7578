// Start-up: the main window with its About box and progress window, then the
// event loop until the main window closes.
#include <exception>

#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/ErrorReport.h"
#include "ui/Main.h"

int main(int argc, char** argv) {
    THabitualApplication app(argc, argv);
    try {
        TMainForm MainForm;
        MainForm.show();
        app.exec();
        return 0;
    } catch (const std::exception& error) {
        ShowErrorMessage(nullptr, ErrorMessage(error));
    } catch (...) {
        ShowErrorMessage(nullptr, QString());
    }
    return 1;
}

#include "ui/Application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "ui/ErrorReport.h"

THabitualApplication::THabitualApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The toolkit's own texts (file and print dialogs, context menus) in
    // Japanese like the rest of the program, whatever the desktop's language.
    auto* translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
}

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

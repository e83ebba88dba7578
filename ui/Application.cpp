#include "ui/Application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "ui/ErrorReport.h"

THabitualApplication::THabitualApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The toolkit's own texts (file and print dialogs, context menus) in
    // Japanese like the rest of the program, whatever the desktop's language.
    auto* translator = new QTranslator(this);
    // Qt's own Japanese texts: qtbase_ja.qm as a Qt installation has it, or
    // qt_ja.qm, the one catalogue windeployqt puts beside the program.
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"), folder) ||
        translator->load(japanese, QStringLiteral("qt"), QStringLiteral("_"), folder))
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

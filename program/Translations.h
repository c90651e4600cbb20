#pragma once

class QCoreApplication;
class QLocale;
class QTranslator;

namespace levyc {

// Installs the program's translation for the locale, if there is one (English
// is built in): returns it, owned by the application, or null.
QTranslator *InstallTranslations(QCoreApplication &app, const QLocale &locale);

// Installs Qt's own translation for the locale, for the texts of its dialogs
// such as the file dialog's buttons, where the system has it installed:
// returns it, owned by the application, or null.
QTranslator *InstallQtTranslations(QCoreApplication &app, const QLocale &locale);

} // namespace levyc

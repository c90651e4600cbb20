#include "Translations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace levyc {

QTranslator *InstallTranslations(QCoreApplication &app, const QLocale &locale)
{
    auto *translator = new QTranslator(&app);
    // Compiled in from translations/levyc_*.ts.
    if (!translator->load(locale, QStringLiteral("levyc"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

} // namespace levyc

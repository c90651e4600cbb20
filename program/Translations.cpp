#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace levyc {

namespace {

QTranslator *Install(QCoreApplication &app, const QLocale &locale, const QString &name, const QString &directory)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(locale, name, QStringLiteral("_"), directory)) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

} // namespace

QTranslator *InstallTranslations(QCoreApplication &app, const QLocale &locale)
{
    // Compiled in from translations/levyc_*.ts.
    return Install(app, locale, QStringLiteral("levyc"), QStringLiteral(":/i18n"));
}

QTranslator *InstallQtTranslations(QCoreApplication &app, const QLocale &locale)
{
    return Install(app, locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

} // namespace levyc

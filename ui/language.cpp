#include "language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {
const QString translationName = QStringLiteral("KVVIItr.qm");
}

QString Language::translationFile(const QString &currentFolder, const QString &installedFolder,
                                  const QStringList &uiLanguages)
{
    const QString here = QDir(currentFolder).filePath(translationName);
    if (QFileInfo::exists(here))
        return here;
    for (const QString &language : uiLanguages) {
        const QString code = language.left(2).toLower();
        if (code == QLatin1String("de"))
            return QString();
        if (code == QLatin1String("en")) {
            const QString installed = QDir(installedFolder).filePath(translationName);
            return QFileInfo::exists(installed) ? installed : QString();
        }
    }
    return QString();
}

QString Language::installedFolder()
{
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral(KALVOR2_TRANSLATIONS_FROM_BIN));
}

void Language::install(QCoreApplication &application, QTranslator &program, QTranslator &qt,
                       const QString &file)
{
    const bool english = !file.isEmpty() && program.load(file);
    application.installTranslator(&program);
    // An English system keeps its own English (dates, decimal point);
    // anywhere else the English window uses the generic English locale.
    const QLocale locale = !english ? QLocale(QLocale::German, QLocale::Germany)
        : QLocale::system().language() == QLocale::English ? QLocale::system()
                                                           : QLocale(QLocale::English);
    QLocale::setDefault(locale);
    // Qt's own texts are English at the source; German needs its translation.
    if (!english
        && qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        application.installTranslator(&qt);
}

QString Language::dateFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString Language::timeFormat(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("ss")))
        format.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
    return format;
}

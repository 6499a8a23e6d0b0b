#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;
class QLocale;
class QTranslator;

// The window's language: German, its source language, or English when the
// program's translation (KVVIItr.qm) is loaded. Qt's own texts (dialog
// buttons, the file dialog) and the locale of the date and number fields
// follow it; what goes to the device and into files does not.
namespace Language {

// The translation the program loads, or an empty string for German. A
// KVVIItr.qm in the current folder wins (it always did); without one there,
// the installed one is loaded when the first of the system's UI languages
// that the program has (German or English) is English. A locale that names
// no language (C, POSIX) keeps the German window.
QString translationFile(const QString &currentFolder, const QString &installedFolder,
                        const QStringList &uiLanguages);

// Where the installed program's translations are: found from the
// executable's folder, wherever the program was installed to.
QString installedFolder();

// Loads and installs the program's translation (`file`, empty: none) and
// Qt's own for the window's language, and makes that language's locale the
// default. The translators must live as long as the application.
void install(QCoreApplication &application, QTranslator &program, QTranslator &qt,
             const QString &file);

// How the window writes a date and a time of day in `locale`: its short
// forms, but the year in full and the time with its seconds.
QString dateFormat(const QLocale &locale);
QString timeFormat(const QLocale &locale);

} // namespace Language

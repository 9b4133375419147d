// The language of the desktop session, for the very first start, and the translations of
// Qt's own texts (standard buttons, file dialog, text field menus) for this run's language.
#pragma once

#include <QString>
#include <functional>

class reslang;

// The two-letter code of a registered language ("de", "en", "fr", "fi", "ru"); empty for
// an index outside the registry.
QString LanguageCode(const reslang& langs, int index);

// The language the desktop session asks for, from LC_ALL, then LC_MESSAGES, then LANG
// (the first one set and not empty wins, as the C library decides): the index of German,
// English or French when the locale names one of them, otherwise English's index.
// environment: a variable's value by name (qgetenv when not given; tests pass their own).
int DesktopLanguageIndex(const reslang& langs,
                         const std::function<QString(const char*)>& environment = {});

// Loads Qt's translations of its own texts for the language code ("de", "fr") from
// `folder` (Qt's translations folder when empty) and installs them in the application,
// replacing those of an earlier call. English, or a code without translations, removes
// them. True when translations are installed afterwards.
bool InstallQtTranslations(const QString& code, const QString& folder = QString());

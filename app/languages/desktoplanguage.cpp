#include "languages/desktoplanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

#include "languages/reslang.h"

QString LanguageCode(const reslang& langs, int index) {
  static const struct {
    const char* name;
    const char* code;
  } kCodes[] = {
      {"German", "de"}, {"English", "en"}, {"French", "fr"}, {"Finnish", "fi"}, {"Russian", "ru"}};
  const QString name = langs.GetLangName(index);
  if (index < 0 || name.isEmpty()) return {};
  for (const auto& c : kCodes)
    if (name == QLatin1String(c.name)) return QLatin1String(c.code);
  return {};
}

int DesktopLanguageIndex(const reslang& langs,
                         const std::function<QString(const char*)>& environment) {
  const auto value = [&environment](const char* name) {
    return environment ? environment(name) : QString::fromLocal8Bit(qgetenv(name));
  };
  QString locale;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = value(name).trimmed();
    if (!locale.isEmpty()) break;
  }
  // "de_AT.UTF-8@euro" -> "de"; "C" and "POSIX" name no language.
  const QString code = locale.section(QLatin1Char('_'), 0, 0)
                           .section(QLatin1Char('.'), 0, 0)
                           .section(QLatin1Char('@'), 0, 0)
                           .toLower();
  int english = -1;
  for (int i = 0; i < langs.size(); ++i) {
    const QString c = LanguageCode(langs, i);
    if (c == QLatin1String("en")) english = i;
    if (!code.isEmpty() && c == code &&
        (c == QLatin1String("de") || c == QLatin1String("en") || c == QLatin1String("fr")))
      return i;
  }
  return english;
}

bool InstallQtTranslations(const QString& code, const QString& folder) {
  static std::unique_ptr<QTranslator> installed;
  if (installed) {
    QCoreApplication::removeTranslator(installed.get());
    installed.reset();
  }
  if (code.isEmpty() || code == QLatin1String("en")) return false;
  const QString dir =
      folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QStringLiteral("qtbase_") + code, dir)) return false;
  if (!QCoreApplication::installTranslator(translator.get())) return false;
  installed = std::move(translator);
  return true;
}

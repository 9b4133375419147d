// The first start in the desktop's language, and Qt's own texts (standard buttons) in the
// language of the run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <map>
#include <string>

#include "document/appstate.h"
#include "languages/desktoplanguage.h"
#include "languages/reslang.h"
#include "mainwindow/ui/frmmain.h"
#include "melody/rvmelodyapi.h"

namespace {

QApplication* app() {
  static int argc = 1;
  static char name[] = "desktop_language_test";
  static char* argv[] = {name, nullptr};
  static QApplication* a = new QApplication(argc, argv);
  return a;
}

bool haveQtTranslations() {
  const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  return QFileInfo::exists(dir + QStringLiteral("/qtbase_de.qm")) &&
         QFileInfo::exists(dir + QStringLiteral("/qtbase_fr.qm"));
}

QString cancelText() {
  QDialogButtonBox box(QDialogButtonBox::Cancel);
  return box.button(QDialogButtonBox::Cancel)->text();
}

class DesktopLanguageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app();
    RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
  }
  void SetUp() override {
    AppLanguages() = reslang();
    RegisterLanguages(AppLanguages());
  }
  void TearDown() override {
    window_.reset();
    state_.reset();
    InstallQtTranslations(QStringLiteral("en"));
    qputenv("LC_ALL", "C.UTF-8");
    FreeResModule();
    AppLanguages() = reslang();
  }

  frmMain& start() {
    window_.reset();
    FreeResModule();
    AppLanguages() = reslang();
    state_ = std::make_unique<AppState>();
    StartUp(*state_, {},
            std::make_unique<pxsettings::SettingsStore>(
                pxsettings::SettingsStore::atPath(dir_.filePath(QStringLiteral("Pealix.conf")))));
    window_ = std::make_unique<frmMain>(*state_);
    return *window_;
  }

  QTemporaryDir dir_;
  std::unique_ptr<AppState> state_;
  std::unique_ptr<frmMain> window_;
};

TEST_F(DesktopLanguageTest, LocaleVariablesPickALanguageInTheCLibrarysOrder) {
  const reslang& langs = AppLanguages();
  ASSERT_EQ(LanguageCode(langs, 0), "de");
  ASSERT_EQ(LanguageCode(langs, 2), "fr");
  EXPECT_EQ(LanguageCode(langs, 7), QString());
  struct Case {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    int index;
  };
  const Case cases[] = {
      {"", "", "de_DE.UTF-8", 0},
      {"", "", "fr_CA.UTF-8", 2},
      {"", "", "en_GB.UTF-8", 1},
      {"", "", "de", 0},
      {"", "", "de_AT@euro", 0},
      {"", "", "es_ES.UTF-8", 1},  // not a language of the program
      {"", "", "C.UTF-8", 1},
      {"", "", "POSIX", 1},
      {"", "", "", 1},
      {"", "fr_FR.UTF-8", "de_DE.UTF-8", 2},             // messages before the general locale
      {"de_CH.UTF-8", "fr_FR.UTF-8", "en_US.UTF-8", 0},  // LC_ALL before everything
      {"C", "fr_FR.UTF-8", "de_DE.UTF-8", 1},
      {" ", "", "fr_FR", 2},  // blank counts as not set
  };
  for (const Case& c : cases) {
    const std::map<std::string, QString> env = {{"LC_ALL", QString::fromLatin1(c.lcAll)},
                                                {"LC_MESSAGES", QString::fromLatin1(c.lcMessages)},
                                                {"LANG", QString::fromLatin1(c.lang)}};
    EXPECT_EQ(DesktopLanguageIndex(langs, [&env](const char* n) { return env.at(n); }), c.index)
        << c.lcAll << " / " << c.lcMessages << " / " << c.lang;
  }
}

TEST_F(DesktopLanguageTest, QtsOwnButtonsFollowTheLanguage) {
  if (!haveQtTranslations()) GTEST_SKIP() << "Qt's translations are not installed";
  EXPECT_TRUE(InstallQtTranslations(QStringLiteral("de")));
  EXPECT_EQ(cancelText(), QStringLiteral("Abbrechen"));
  // A second language replaces the first instead of stacking on it.
  EXPECT_TRUE(InstallQtTranslations(QStringLiteral("fr")));
  EXPECT_EQ(cancelText(), QStringLiteral("Annuler"));
  EXPECT_FALSE(InstallQtTranslations(QStringLiteral("en")));
  EXPECT_EQ(cancelText(), QStringLiteral("Cancel"));
  // No translations where the folder lacks them: Qt's English stays.
  QTemporaryDir empty;
  EXPECT_FALSE(InstallQtTranslations(QStringLiteral("de"), empty.path()));
  EXPECT_EQ(cancelText(), QStringLiteral("Cancel"));
}

TEST_F(DesktopLanguageTest, FirstStartSpeaksTheDesktopsLanguageThenTheStoredOne) {
  qputenv("LC_ALL", "de_DE.UTF-8");
  frmMain& first = start();
  EXPECT_EQ(AppLanguages().GetLang(), 0);
  EXPECT_EQ(first.menuNamed("mnuFile")->title(), QStringLiteral("&Datei"));
  if (haveQtTranslations()) {
    EXPECT_EQ(cancelText(), QStringLiteral("Abbrechen"));
  }
  first.close();  // stores the language of this run
  window_.reset();

  // The stored choice wins over the desktop from now on.
  {
    auto store = pxsettings::SettingsStore::atPath(dir_.filePath(QStringLiteral("Pealix.conf")));
    EXPECT_EQ(store.newLang(3), 0);
    store.setInteger(pxsettings::Key::NewLang, 2);
    store.sync();
  }
  frmMain& later = start();
  EXPECT_EQ(AppLanguages().GetLang(), 2);
  EXPECT_EQ(later.menuNamed("mnuFile")->title(), QStringLiteral("&Fichier"));
  if (haveQtTranslations()) {
    EXPECT_EQ(cancelText(), QStringLiteral("Annuler"));
  }
}

TEST_F(DesktopLanguageTest, FirstStartInAnotherLanguageIsEnglish) {
  qputenv("LC_ALL", "es_ES.UTF-8");
  start();
  EXPECT_EQ(AppLanguages().GetLang(), 1);
  EXPECT_EQ(cancelText(), QStringLiteral("Cancel"));
}

}  // namespace

// The language registry, the string lookup with its fallbacks, and the language
// libraries and data files of the application directory.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <dlfcn.h>

#include "languages/pxlang.h"
#include "languages/reslang.h"
#include "phonelink/modpdu.h"
#include "rvresulttexts.h"

namespace {

const QString kBin = QStringLiteral(PEALIX_BIN_DIR);

// An application directory of its own for each test, filled with the named files.
class LangTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    FreeResModule();
    AppLanguages() = reslang();
  }
  void TearDown() override {
    FreeResModule();
    AppLanguages() = reslang();
    reslang::SetAppDirectory(QString());
  }
  void useBin() { reslang::SetAppDirectory(kBin); }
  void useOwnDir(const QStringList& copies, const QStringList& emptyFiles = {}) {
    for (const QString& f : copies) ASSERT_TRUE(QFile::copy(kBin + "/" + f, dir_.path() + "/" + f));
    for (const QString& f : emptyFiles) {
      QFile file(dir_.path() + "/" + f);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    reslang::SetAppDirectory(dir_.path());
  }
  QTemporaryDir dir_;
};

TEST_F(LangTest, BuiltInLanguagesRegisterWithNativeNamesAndIds) {
  useBin();
  reslang& langs = AppLanguages();
  RegisterLanguages(langs);
  ASSERT_EQ(langs.size(), 3);
  EXPECT_EQ(langs.GetLangName(0), "German");
  EXPECT_EQ(langs.GetLangName(1), "English");
  EXPECT_EQ(langs.GetLangName(2), "French");
  EXPECT_EQ(langs.GetLangOrgName(0), "Deutsch");
  EXPECT_EQ(langs.GetLangOrgName(2), QString::fromUtf8("Français"));
  EXPECT_EQ(langs.GetLangId(0), 1031);
  EXPECT_EQ(langs.GetLangId(1), 1033);
  EXPECT_EQ(langs.GetLangId(2), 1036);
  EXPECT_EQ(langs.GetLang(), 1);
  EXPECT_EQ(langs.GetSaveLang(), 1);
  EXPECT_EQ(langs.GetDefaultLang(), 1);
  EXPECT_EQ(langs.GetDllFile(), "pxen.so");
  EXPECT_EQ(langs.GetReadme(0), "Liesmich.txt");
  EXPECT_EQ(langs.GetMidiInstr(2), "midifr.txt");
  EXPECT_EQ(langs.GetReadme(3), "");
}

TEST_F(LangTest, OptionalLanguagesAppearOnlyWhenTheirLibraryIsThere) {
  useOwnDir({"pxde.so", "pxen.so", "pxfr.so"});
  ASSERT_TRUE(QFile::copy(kBin + "/pxen.so", dir_.path() + "/pxr.so"));
  RegisterLanguages(AppLanguages());
  ASSERT_EQ(AppLanguages().size(), 4);
  EXPECT_EQ(AppLanguages().GetLangName(3), "Russian");
}

TEST_F(LangTest, EmptyRegistryAndInvalidIndicesChangeNothing) {
  reslang langs;
  EXPECT_EQ(langs.size(), 0);
  EXPECT_EQ(langs.GetLang(), -1);
  EXPECT_EQ(langs.GetDefaultLang(), -1);
  EXPECT_EQ(langs.GetSaveLang(), -1);
  EXPECT_EQ(langs.GetLangId(), -1);
  EXPECT_EQ(langs.GetDllFile(), "");
  EXPECT_EQ(langs.AddLang("px", "Short", "r.txt", "m.txt"), -1);
  EXPECT_EQ(langs.size(), 0);
  useBin();
  RegisterLanguages(langs);
  langs.SetLang(3);
  langs.SetSaveLang(-1);
  langs.SetDefaultLang(99);
  EXPECT_EQ(langs.GetLang(), 1);
  EXPECT_EQ(langs.GetSaveLang(), 1);
  EXPECT_EQ(langs.GetDefaultLang(), 1);
  EXPECT_FALSE(langs.IsValidLang(3));
  EXPECT_TRUE(langs.IsValidLang(0));
}

TEST_F(LangTest, SingleStringComesFromAnotherLanguageOnly) {
  useBin();
  reslang& langs = AppLanguages();
  RegisterLanguages(langs);
  EXPECT_EQ(langs.GetSingle_DllString(829, 1, 1024), "");  // the current language
  EXPECT_EQ(langs.GetSingle_DllString(829, 0, 1024), "Pealix jetzt schließen?");
  EXPECT_EQ(langs.GetSingle_DllString(829, 5, 1024), "");
  EXPECT_EQ(langs.GetSingle_DllString(829, 0, 6), "Pealix");
  langs.SetSaveLang(2);
  EXPECT_EQ(langs.GetSingle_DllString(870), "Continuer ?");  // default index: the saved one
  EXPECT_EQ(langs.GetSingle_DllString(99999, 0), "");
}

TEST_F(LangTest, MissingOrEmptyLibraryIsListedUnderItsEnglishName) {
  useOwnDir({"pxen.so"}, {"pxde.so"});  // German is an empty file, French is missing
  reslang& langs = AppLanguages();
  RegisterLanguages(langs);
  ASSERT_EQ(langs.size(), 3);
  EXPECT_EQ(langs.GetLangOrgName(0), "German");
  EXPECT_EQ(langs.GetLangOrgName(2), "French");
  EXPECT_EQ(langs.GetLangId(0), -1);
  EXPECT_EQ(langs.GetLangOrgName(1), "English");
}

TEST_F(LangTest, StringsFallBackToPxresThenToTheProgramsOwnTable) {
  // The current language's library is an empty file: pxres.so answers.
  useOwnDir({"pxres.so"}, {"pxde.so"});
  RegisterLanguages(AppLanguages());
  AppLanguages().SetLang(0);
  EXPECT_EQ(GetResString(870), "Continue?");
  EXPECT_NE(GetResModule(), nullptr);
  // A number that no table holds.
  EXPECT_EQ(GetResString(54321), "Error in Resfile");
  FreeResModule();
  QFile::remove(dir_.path() + "/pxres.so");
  // No library at all: the program's own strings, then the fixed text.
  EXPECT_EQ(GetResModule(), nullptr);
  EXPECT_EQ(GetResString(817), "Readme.txt not found! This file must be distributed with Pealix!");
  EXPECT_EQ(GetResString(818), "Please download Pealix from the Pealix Website!");
  EXPECT_EQ(GetResString(101), "Error in ResFile/DLL");
  EXPECT_EQ(GetResString(870), "Error in Resfile");
}

TEST_F(LangTest, CurrentLanguageSuppliesTheStringsUntilReleased) {
  useBin();
  RegisterLanguages(AppLanguages());
  AppLanguages().SetLang(2);
  EXPECT_EQ(GetResString(1202), "Annuler");
  EXPECT_EQ(GetResString(1202, 3), "Ann");
  // The loaded library stays until it is released, even when the choice changes.
  AppLanguages().SetLang(0);
  EXPECT_EQ(GetResString(1202), "Annuler");
  FreeResModule();
  EXPECT_EQ(GetResString(1202), "Abbrechen");
}

TEST_F(LangTest, ReadmeAndInstrumentNamesComeFromTheApplicationDirectory) {
  useBin();
  RegisterLanguages(AppLanguages());
  EXPECT_TRUE(ReadmePath().endsWith("/Readmee.txt"));
  QStringList names = InstrumentNames();
  ASSERT_EQ(names.size(), 128);
  EXPECT_EQ(names[0], "Acoustic Grand Piano");
  EXPECT_EQ(names[127], "Gunshot");
  AppLanguages().SetLang(2);
  EXPECT_EQ(InstrumentNames()[0], "Piano acoustique");
  EXPECT_TRUE(ReadmePath().endsWith("/Lisezmoi.txt"));

  AppLanguages() = reslang();
  useOwnDir({});
  RegisterLanguages(AppLanguages());
  EXPECT_EQ(ReadmePath(), "");
  names = InstrumentNames();
  ASSERT_EQ(names.size(), 128);
  EXPECT_EQ(names[5], "Instrument 5");
}

// The C export of the libraries, called as any other program would.
TEST(LanguageLibrary, ExportChecksItsBufferAndCutsOnCharacterBoundaries) {
  void* h = dlopen((kBin + "/pxde.so").toUtf8().constData(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(h, nullptr);
  auto fn = reinterpret_cast<PxLoadStringFn>(dlsym(h, PXLANG_EXPORT_NAME));
  ASSERT_NE(fn, nullptr);
  char buf[64];
  EXPECT_EQ(fn(894, nullptr, 10), 0);
  EXPECT_EQ(fn(894, buf, 0), 0);
  buf[0] = 'x';
  EXPECT_EQ(fn(7777, buf, sizeof buf), 0);
  EXPECT_EQ(buf[0], '\0');
  ASSERT_EQ(fn(894, buf, sizeof buf), 7);
  EXPECT_STREQ(buf, "Deutsch");
  EXPECT_EQ(fn(894, buf, 1), 0);
  EXPECT_EQ(fn(1010, buf, sizeof buf), static_cast<int>(strlen("&Rückgängig")));
  // "&R" then the two bytes of "ü": a buffer of 4 holds "&R" and never half the letter.
  EXPECT_EQ(fn(1010, buf, 4), 2);
  EXPECT_STREQ(buf, "&R");
  EXPECT_EQ(fn(1010, buf, 5), 4);
  dlclose(h);
}

TEST(LanguageLibrary, EveryLanguageHoldsTheSameNumbers) {
  const char* libs[] = {"pxde.so", "pxen.so", "pxfr.so", "pxres.so"};
  const int named[] = {2,   4,   12,  14,  101, 103, 390, 401, 402, 450, 451, 452, 453,
                       454, 456, 457, 458, 459, 461, 462, 640, 658, 659, 800, 801, 807,
                       811, 817, 818, 821, 822, 825, 826, 827, 828, 829, 830, 831, 834,
                       836, 837, 838, 839, 840, 841, 842, 843, 844, 845, 846, 847, 848,
                       850, 851, 853, 854, 855, 856, 857, 858, 859, 860, 863, 864, 866,
                       869, 870, 894, 895, 967, 968, 976, 991, 992, 993, 994, 996};
  for (const char* lib : libs) {
    void* h = dlopen((kBin + "/" + lib).toUtf8().constData(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(h, nullptr) << lib;
    auto fn = reinterpret_cast<PxLoadStringFn>(dlsym(h, PXLANG_EXPORT_NAME));
    ASSERT_NE(fn, nullptr);
    char buf[512];
    for (int id : named) EXPECT_GT(fn(id, buf, sizeof buf), 0) << lib << " " << id;
    dlclose(h);
  }
}

// Every text the result tables give a code is there in every language.
TEST(LanguageLibrary, EveryResultCodeTextIsInEveryLanguage) {
  for (const char* lib : {"pxde.so", "pxen.so", "pxfr.so", "pxres.so"}) {
    void* h = dlopen((kBin + "/" + lib).toUtf8().constData(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(h, nullptr) << lib;
    auto fn = reinterpret_cast<PxLoadStringFn>(dlsym(h, PXLANG_EXPORT_NAME));
    ASSERT_NE(fn, nullptr);
    char buf[512];
    for (const rvresult::Row& row : rvresult::kRows)
      EXPECT_GT(fn(row.textRes, buf, sizeof buf), 0) << lib << " " << row.code;
    EXPECT_GT(fn(rvresult::kUnknownRes, buf, sizeof buf), 0) << lib;
    for (int sms = RVSMS_TEXT_LENGTH; sms <= RVSMS_PART_TABLE_SMALL; ++sms)
      EXPECT_GT(fn(modPDU::ResultTextRes(sms), buf, sizeof buf), 0) << lib << " sms " << sms;
    dlclose(h);
  }
}

// The range names of the move-into-range command and the warnings column name the format
// whose note limits they are, by the window's note names (key 60 is C5): 57-85 Sagem,
// 60-107 Nokia, 60-83 Alcatel, 72-107 composer.
TEST(LanguageLibrary, RangeNamesMatchTheirFormats) {
  void* h = dlopen((kBin + "/pxen.so").toUtf8().constData(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(h, nullptr);
  auto fn = reinterpret_cast<PxLoadStringFn>(dlsym(h, PXLANG_EXPORT_NAME));
  ASSERT_NE(fn, nullptr);
  const struct {
    int id;
    const char* name;
    const char* range;
  } ranges[] = {{863, "Sagem", "A4-C#7"},
                {830, "Nokia", "C5-B8"},
                {864, "Alcatel", "C5-B6"},
                {866, "composer", "C6-B8"}};
  for (const auto& r : ranges) {
    char buf[256];
    ASSERT_GT(fn(r.id, buf, sizeof buf), 0);
    const QString text = QString::fromUtf8(buf);
    EXPECT_TRUE(text.contains(QLatin1String(r.name))) << r.id << " " << buf;
    EXPECT_TRUE(text.contains(QLatin1String(r.range))) << r.id << " " << buf;
  }
  dlclose(h);
}

TEST(DataFiles, InstrumentFilesHave128Names) {
  for (const char* name : {"midi.txt", "midifr.txt"}) {
    QFile f(kBin + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text)) << name;
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 128) << name;
  }
  for (const char* name : {"Readmee.txt", "Liesmich.txt", "Lisezmoi.txt"})
    EXPECT_GT(QFile(kBin + "/" + name).size(), 500) << name;
}

}  // namespace

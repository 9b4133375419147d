#include "reslang.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QTextStream>

#include <map>
#include <vector>

#include "languages/pxlang.h"

namespace {

QString& appDirOverride() {
  static QString dir;
  return dir;
}

// The numeric value of a text's leading digits (after spaces and an optional sign), as the
// stored tags and string 895 are written; `ok` is false when there are no digits.
int leadingNumber(const QString& text, bool* ok) {
  const QString t = text.trimmed();
  int i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
    negative = t[i] == QLatin1Char('-');
    ++i;
  }
  long long value = 0;
  const int start = i;
  while (i < t.size() && t[i].isDigit() && i - start < 9) value = value * 10 + t[i++].digitValue();
  *ok = i > start;
  return static_cast<int>(negative ? -value : value);
}

// The module-level handle of the current language's library.
LangLibrary& currentLibrary() {
  static LangLibrary lib;
  return lib;
}

}  // namespace

// --- LangLibrary -------------------------------------------------------------------------

LangLibrary::LangLibrary() = default;
LangLibrary::~LangLibrary() {
  close();
}

bool LangLibrary::open(const QString& fileName, const QString& appDir) {
  close();
  if (fileName.isEmpty()) return false;
  const QString local = appDir + QLatin1Char('/') + fileName;
  lib_ = std::make_unique<QLibrary>(QFileInfo::exists(local) ? local : fileName);
  if (!lib_->load()) {
    lib_.reset();
    return false;
  }
  fn_ = reinterpret_cast<Fn>(lib_->resolve(PXLANG_EXPORT_NAME));
  if (!fn_) close();
  return fn_ != nullptr;
}

void LangLibrary::close() {
  fn_ = nullptr;
  if (lib_) {
    lib_->unload();
    lib_.reset();
  }
}

QString LangLibrary::string(int id, int maxChars) const {
  if (!fn_ || id < 0 || maxChars < 1) return {};
  // UTF-8 takes at most four bytes per character; the cut to maxChars follows.
  std::vector<char> buffer(static_cast<size_t>(maxChars) * 4 + 1, '\0');
  const int n = fn_(static_cast<unsigned>(id), buffer.data(), static_cast<int>(buffer.size()));
  if (n <= 0 || n >= static_cast<int>(buffer.size())) return {};
  return QString::fromUtf8(buffer.data(), n).left(maxChars);
}

// --- reslang -------------------------------------------------------------------------------

QString reslang::AppDirectory() {
  if (!appDirOverride().isEmpty()) return appDirOverride();
  return QCoreApplication::applicationDirPath();
}

void reslang::SetAppDirectory(const QString& dir) {
  appDirOverride() = dir;
}

int reslang::AddLang(const QString& sFileDll, const QString& sLangName, const QString& sReadme,
                     const QString& sMidiInstruments) {
  if (sFileDll.size() < 4) return -1;
  dll_ << sFileDll;
  name_ << sLangName;
  orgName_ << QString();
  readme_ << sReadme;
  instr_ << sMidiInstruments;
  langId_ << -1;
  const int index = count_++;
  // The first language is added while current is still -1, so its strings are fetched
  // from its own library like every other's.
  QString native = GetSingle_DllString(894, index, 255);
  if (native.isEmpty()) native = sLangName;
  orgName_[index] = native;
  bool ok = false;
  const int id = leadingNumber(GetSingle_DllString(895, index, 255).left(4), &ok);
  langId_[index] = ok ? id : -1;
  if (current_ < 0) current_ = 0;
  return index;
}

QString reslang::entry(const QStringList& list, int index) const {
  const int i = resolve(index);
  return IsValidLang(i) ? list[i] : QString();
}

QString reslang::GetDllFile(int index) const {
  return entry(dll_, index);
}
QString reslang::GetLangName(int index) const {
  return entry(name_, index);
}
QString reslang::GetLangOrgName(int index) const {
  return entry(orgName_, index);
}
QString reslang::GetReadme(int index) const {
  return entry(readme_, index);
}
QString reslang::GetMidiInstr(int index) const {
  return entry(instr_, index);
}

int reslang::GetLangId(int index) const {
  const int i = resolve(index);
  return IsValidLang(i) ? langId_[i] : -1;
}

void reslang::SetLang(int index) {
  if (IsValidLang(index)) current_ = index;
}
void reslang::SetDefaultLang(int index) {
  if (IsValidLang(index)) default_ = index;
}
void reslang::SetSaveLang(int index) {
  if (IsValidLang(index)) save_ = index;
}

QString reslang::GetSingle_DllString(int resId, int index, int maxChars) const {
  if (index == -1) index = GetSaveLang();
  // While the first language is added, current_ is still -1 and never equals an index.
  if (!IsValidLang(index) || index == current_) return {};
  LangLibrary lib;
  if (!lib.open(dll_[index], AppDirectory())) return {};
  return lib.string(resId, maxChars);
}

reslang& AppLanguages() {
  static reslang langs;
  return langs;
}

void RegisterLanguages(reslang& langs) {
  langs.AddLang(QStringLiteral("pxde.so"), QStringLiteral("German"), QStringLiteral("Liesmich.txt"),
                QStringLiteral("midi.txt"));
  langs.AddLang(QStringLiteral("pxen.so"), QStringLiteral("English"), QStringLiteral("Readmee.txt"),
                QStringLiteral("midi.txt"));
  langs.AddLang(QStringLiteral("pxfr.so"), QStringLiteral("French"), QStringLiteral("Lisezmoi.txt"),
                QStringLiteral("midifr.txt"));
  const QString dir = reslang::AppDirectory();
  if (QFileInfo::exists(dir + QStringLiteral("/pxsf.so")))
    langs.AddLang(QStringLiteral("pxsf.so"), QStringLiteral("Finnish"),
                  QStringLiteral("Readmee.txt"), QStringLiteral("midi.txt"));
  if (QFileInfo::exists(dir + QStringLiteral("/pxr.so")))
    langs.AddLang(QStringLiteral("pxr.so"), QStringLiteral("Russian"),
                  QStringLiteral("Readmee.txt"), QStringLiteral("midi.txt"));
  langs.SetSaveLang(1);
  langs.SetLang(1);
  langs.SetDefaultLang(1);
}

// --- the current language -----------------------------------------------------------------

const LangLibrary* GetResModule() {
  LangLibrary& lib = currentLibrary();
  if (lib.isLoaded()) return &lib;
  const QString dir = reslang::AppDirectory();
  const QString file = AppLanguages().GetDllFile();
  // A library that is there but does not load (empty, damaged, no export) is treated like
  // a missing one: the fallback library answers instead.
  if (!file.isEmpty() && QFileInfo::exists(dir + QLatin1Char('/') + file) && lib.open(file, dir))
    return &lib;
  if (lib.open(QStringLiteral("pxres.so"), dir)) return &lib;
  return nullptr;
}

void FreeResModule() {
  currentLibrary().close();
}

QString BuiltinString(int id) {
  static const std::map<int, const char*> kTable = {
      {2, "Error"},
      {101, "Error in ResFile/DLL"},
      {640, "If you see this, then Pealix couldn't load the language DLL (pxres.so) Update!"},
      {817, "Readme.txt not found! This file must be distributed with Pealix!"},
      {818, "Please download Pealix from the Pealix Website!"},
      {828, "The new language is used from the next start of Pealix."},
      {829, "Close Pealix now?"},
      {839, "unknown error"},
      {858, "The language you chose is used from the next start of Pealix."},
      {1000, "Pealix - Ringtone Editor"},
      {1001, "&File"},
      {1003, "&Open..."},
      {1008, "E&xit"},
      {1028, "&Language"},
      {1029, "&Help"},
      {1030, "&Read me"},
      {1201, "OK"},
      {1202, "Cancel"},
  };
  const auto it = kTable.find(id);
  return it == kTable.end() ? QString() : QString::fromUtf8(it->second);
}

QString GetResString(int id, int maxChars) {
  QString text;
  if (const LangLibrary* lib = GetResModule()) text = lib->string(id, maxChars);
  if (text.isEmpty()) text = BuiltinString(id).left(maxChars < 0 ? 0 : maxChars);
  if (text.isEmpty()) text = QStringLiteral("Error in Resfile");
  return text;
}

QString ReadmePath() {
  const reslang& langs = AppLanguages();
  QString file = langs.GetReadme();
  if (file.isEmpty()) file = langs.GetReadme(langs.GetDefaultLang());
  if (file.isEmpty()) return {};
  const QString path = reslang::AppDirectory() + QLatin1Char('/') + file;
  return QFileInfo(path).isFile() ? path : QString();
}

QStringList InstrumentNames() {
  const reslang& langs = AppLanguages();
  QString file = langs.GetMidiInstr();
  if (file.isEmpty()) file = langs.GetMidiInstr(langs.GetDefaultLang());
  QStringList names;
  QFile f(reslang::AppDirectory() + QLatin1Char('/') + file);
  if (!file.isEmpty() && f.open(QIODevice::ReadOnly | QIODevice::Text)) {
    QTextStream in(&f);
    while (names.size() < 128 && !in.atEnd()) names << in.readLine();
  }
  while (names.size() < 128) names << QStringLiteral("Instrument %1").arg(names.size());
  return names;
}

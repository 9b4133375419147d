// Languages: the registry of language resource libraries (reslang), the library of the
// current language (GetResModule / GetResString / FreeResModule) and the program's own
// small string table that answers when no library does.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class QLibrary;

// One language resource library, loaded for as long as the object lives.
class LangLibrary {
 public:
  LangLibrary();
  ~LangLibrary();
  LangLibrary(const LangLibrary&) = delete;
  LangLibrary& operator=(const LangLibrary&) = delete;

  // Loads `fileName` from `appDir` when the file is there, else by bare name through the
  // system's library search. False when it does not load or lacks the string export.
  bool open(const QString& fileName, const QString& appDir);
  void close();
  bool isLoaded() const { return fn_ != nullptr; }
  // String number id cut to maxChars characters; empty when the library has none.
  QString string(int id, int maxChars) const;

 private:
  std::unique_ptr<QLibrary> lib_;
  using Fn = int (*)(unsigned, char*, int);
  Fn fn_ = nullptr;
};

class reslang {
 public:
  // Library, English name, read-me and instrument file of one language; the native name
  // (string 894) and language id (string 895) are read from its library.
  int AddLang(const QString& sFileDll, const QString& sLangName, const QString& sReadme,
              const QString& sMidiInstruments);

  // Index -1 selects the current language. Empty text for an index outside 0..count-1.
  QString GetDllFile(int index = -1) const;
  QString GetLangName(int index = -1) const;
  QString GetLangOrgName(int index = -1) const;
  QString GetReadme(int index = -1) const;
  QString GetMidiInstr(int index = -1) const;
  // The id from string 895 (1031, 1033, 1036 ...); -1 when unknown or the index is invalid.
  int GetLangId(int index = -1) const;

  // The setters store an index only when it is valid; otherwise nothing changes.
  void SetLang(int index);
  void SetDefaultLang(int index);
  void SetSaveLang(int index);
  // -1 while no language is registered.
  int GetLang() const { return count_ < 1 ? -1 : current_; }
  int GetDefaultLang() const { return count_ < 1 ? -1 : default_; }
  int GetSaveLang() const { return count_ < 1 ? -1 : save_; }
  bool IsValidLang(int index) const { return index >= 0 && index < count_; }
  int size() const { return count_ < 0 ? 0 : count_; }

  // One string of ANOTHER language's library (index -1: the language saved for the next
  // start), loading that library for this call only. Empty for an invalid index and for
  // the current language, whose strings come from GetResString.
  QString GetSingle_DllString(int resId, int index = -1, int maxChars = 255) const;

  // The folder the libraries, read-me and instrument files are taken from; the
  // application directory unless a test or a portable setup set another.
  static QString AppDirectory();
  static void SetAppDirectory(const QString& dir);

 private:
  QString entry(const QStringList& list, int index) const;
  int resolve(int index) const { return index == -1 ? GetLang() : index; }

  QStringList dll_, name_, orgName_, readme_, instr_;
  QVector<int> langId_;
  int count_ = 0;
  int current_ = -1;
  int default_ = -1;
  int save_ = -1;
};

// The registry of this run.
reslang& AppLanguages();

// Registers German, English, French (and Finnish, Russian when their libraries exist in
// the application directory), then makes English current, default and saved.
void RegisterLanguages(reslang& langs);

// The current language's library, loaded on first use: its file from the application
// directory when it is there and loads, otherwise pxres.so. Null when neither loads.
const LangLibrary* GetResModule();
void FreeResModule();

// String number id of the current language: its library, else the program's own table,
// else "Error in Resfile".
QString GetResString(int id, int maxChars = 255);

// The program's own table (English); empty for a number it does not hold.
QString BuiltinString(int id);

// Full path of the current language's read-me (the default language's when the current
// one names none), or empty when the file is not in the application directory.
QString ReadmePath();

// The 128 instrument names of the current language's instrument file (the default
// language's when the current one names none); missing lines are "Instrument <n>".
QStringList InstrumentNames();

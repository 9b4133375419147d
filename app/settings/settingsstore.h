// The per-user settings store: application -> section -> key -> text value, kept as an INI
// file at $XDG_CONFIG_HOME/Pealix/Pealix.conf. Every known key, its default and the check
// applied on reading live once, in the key table of settingsstore.cpp; the typed accessors
// read and write through that table. A missing, unreadable or garbled file gives defaults.
#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace pxsettings {

// Every stored value of the program. The order follows the table in settingsstore.cpp.
enum class Key {
  // "Properties"
  Midiplay,
  NewLang,
  LDir,
  SOpti,
  SOptiLF,
  NokiaExport,
  NokiaUDH,
  NokiaOpti,
  MidExInstr,
  // "Style"
  MainGirdLines,
  MainFullSelect,
  NVFlatbar,
  // "RTTLImport"
  Stopatsb,
  MoreLines,
  NokCImp,
  NokCExp,
  // "RecentFiles"
  RecentCount,
  // "Comm"
  ComPort,
  Baud,
  DataBits,
  Parity,
  StopBits,
  Handshaking,
  LocalEcho,
  MaxLineSMSSize,
  SMSMemRead,
  SMSMemOut,
  SMSMemIn,
  CommSettings,
  ComDevice,  // a device path given instead of a port number
  SendSMS,
  IntNumbers,
  // "SMS"
  Flash,
  TpSrr,
  TInCP,
  TOutCP,
  TOutType,
  SMSCt,
  SMSC,
  UDHI,
  // "MidiSetup"
  OutDevice,
  OutDeviceName,
  IgnoreVol,
  Intrument,
  SoundFont,    // the built-in synthesizer's SoundFont file; empty: the system's
  AudioDriver,  // its audio output: "auto", "pipewire", "pulseaudio", "alsa" or "jack"
  // "Settings"
  NewEvLeft,
  NewEvTop,
};

// How a stored text is checked when it is read back.
enum class Check {
  Text,      // any text
  Integer,   // a decimal integer; anything else gives the default
  Flag01,    // 0 or 1; anything else gives the default
  MinValue,  // an integer of at least lo; anything else gives the default
  Range,     // an integer in lo..hi; anything else gives the default
  Bool,      // "True"/"False" (also a number, non-zero is true)
};

struct KeyInfo {
  Key key;
  const char* section;
  const char* name;
  Check check;
  const char* defaultValue;
  int lo;
  int hi;
};

// The table entry of a key.
const KeyInfo& info(Key key);

// Parses a decimal integer as the store writes it (surrounding spaces allowed); false for
// anything else.
bool parseInt(const QString& text, int* value);
// "True"/"False" in any case, or a number (non-zero is true); false for anything else.
bool parseBool(const QString& text, bool* value);

class SettingsStore {
 public:
  // Opens the store of `application` (the program's title) in the per-user config folder.
  explicit SettingsStore(const QString& application = QStringLiteral("Pealix"));
  // Opens the store kept in `filePath` (tests, a portable setup).
  static SettingsStore atPath(const QString& filePath);
  ~SettingsStore();
  SettingsStore(SettingsStore&&) noexcept;
  SettingsStore& operator=(SettingsStore&&) noexcept;

  // The INI file behind the store.
  QString filePath() const;
  // The per-user file of an application: $XDG_CONFIG_HOME/<application>/<application>.conf.
  static QString defaultFilePath(const QString& application);

  // The four operations of the store. read() gives `defaultValue` when the key or the
  // section is missing or the file cannot be read.
  QString read(const QString& section, const QString& key, const QString& defaultValue) const;
  void write(const QString& section, const QString& key, const QString& text);
  void deleteSection(const QString& section);
  // Writes pending changes to disk; false when the file cannot be written.
  bool sync();

  // True when the key has a stored value (whether or not it passes its check).
  bool contains(Key key) const;

  // Table-driven access: the value after the key's check (the default when it fails).
  QString text(Key key) const;
  int integer(Key key) const;
  bool flag(Key key) const;
  void setText(Key key, const QString& value);
  void setInteger(Key key, int value);
  void setFlag(Key key, bool value);  // "True"/"False" for Check::Bool, else "1"/"0"

  // "Properties"
  QString midiplay() const { return text(Key::Midiplay); }
  // The stored language index when it is below `languageCount`, else the default (1).
  int newLang(int languageCount) const;
  QString lastDir() const { return text(Key::LDir); }
  int sagemOpti() const { return integer(Key::SOpti); }
  int sagemOptiLF() const { return integer(Key::SOptiLF); }
  int nokiaExport() const { return integer(Key::NokiaExport); }
  int nokiaUDH() const { return integer(Key::NokiaUDH); }
  int nokiaOpti() const { return integer(Key::NokiaOpti); }
  int midExInstr() const { return integer(Key::MidExInstr); }
  // "Style"
  int mainGridLines() const { return integer(Key::MainGirdLines); }
  int mainFullSelect() const { return integer(Key::MainFullSelect); }
  int nvFlatbar() const { return integer(Key::NVFlatbar); }
  // "RTTLImport"
  int stopAtSb() const { return integer(Key::Stopatsb); }
  int moreLines() const { return integer(Key::MoreLines); }
  QString nokiaComposerImportDelimiter() const { return text(Key::NokCImp); }
  QString nokiaComposerExportDelimiter() const { return text(Key::NokCExp); }
  // "RecentFiles": entries are numbered from 1 by the recent-files list.
  int recentCount() const { return integer(Key::RecentCount); }
  QString recentFileName(int entry) const;
  int recentFileType(int entry) const;
  void setRecentFile(int entry, const QString& fileName, int formatId);
  // "Comm" and "SMS" are read and written by clCommProps and clSMSProps through text().
  bool sendSMS() const { return flag(Key::SendSMS); }
  bool intNumbers() const { return flag(Key::IntNumbers); }
  // "MidiSetup"
  int outDevice() const { return integer(Key::OutDevice); }
  QString outDeviceName() const { return text(Key::OutDeviceName); }
  int ignoreVol() const { return integer(Key::IgnoreVol); }
  int instrument() const { return integer(Key::Intrument); }
  // "Settings"
  int newEventLeft() const { return integer(Key::NewEvLeft); }
  int newEventTop() const { return integer(Key::NewEvTop); }

 private:
  explicit SettingsStore(std::unique_ptr<QSettings> settings);
  std::unique_ptr<QSettings> settings_;
};

}  // namespace pxsettings

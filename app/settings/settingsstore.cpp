#include "settingsstore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

#include <array>

namespace pxsettings {
namespace {

constexpr int kNoLimit = 0;

// Every stored key: section, name, check on reading, default, limits. Reading and writing
// both go through this table, so a key or a default is spelt once.
constexpr std::array<KeyInfo, 48> kKeys{{
    {Key::Midiplay, "Properties", "midiplay", Check::Text, "open", kNoLimit, kNoLimit},
    {Key::NewLang, "Properties", "newlang", Check::Integer, "1", kNoLimit, kNoLimit},
    {Key::LDir, "Properties", "LDir", Check::Text, "", kNoLimit, kNoLimit},
    {Key::SOpti, "Properties", "SOpti", Check::MinValue, "160", 35, kNoLimit},
    {Key::SOptiLF, "Properties", "SOptiLF", Check::Flag01, "1", 0, 1},
    {Key::NokiaExport, "Properties", "NokiaExport", Check::Flag01, "1", 0, 1},
    {Key::NokiaUDH, "Properties", "NokiaUDH", Check::Flag01, "1", 0, 1},
    {Key::NokiaOpti, "Properties", "NokiaOpti", Check::MinValue, "140", 20, kNoLimit},
    {Key::MidExInstr, "Properties", "MidExInstr", Check::Range, "0", 0, 127},
    {Key::MainGirdLines, "Style", "MainGirdLines", Check::Flag01, "0", 0, 1},
    {Key::MainFullSelect, "Style", "MainFullSelect", Check::Flag01, "0", 0, 1},
    {Key::NVFlatbar, "Style", "NVFlatbar", Check::Flag01, "0", 0, 1},
    {Key::Stopatsb, "RTTLImport", "Stopatsb", Check::Integer, "1", kNoLimit, kNoLimit},
    {Key::MoreLines, "RTTLImport", "MoreLines", Check::Integer, "0", kNoLimit, kNoLimit},
    {Key::NokCImp, "RTTLImport", "NokCImp", Check::Text, " ", kNoLimit, kNoLimit},
    {Key::NokCExp, "RTTLImport", "NokCExp", Check::Text, " ", kNoLimit, kNoLimit},
    {Key::RecentCount, "RecentFiles", "fcount", Check::Integer, "0", kNoLimit, kNoLimit},
    {Key::ComPort, "Comm", "ComPort", Check::Text, "1", kNoLimit, kNoLimit},
    {Key::Baud, "Comm", "Baud", Check::Text, "9600", kNoLimit, kNoLimit},
    {Key::DataBits, "Comm", "DataBits", Check::Text, "8", kNoLimit, kNoLimit},
    {Key::Parity, "Comm", "Parity", Check::Text, "none", kNoLimit, kNoLimit},
    {Key::StopBits, "Comm", "StopBits", Check::Text, "1", kNoLimit, kNoLimit},
    {Key::Handshaking, "Comm", "Handshaking", Check::Text, "2", kNoLimit, kNoLimit},
    {Key::LocalEcho, "Comm", "LocalEcho", Check::Text, "0", kNoLimit, kNoLimit},
    {Key::MaxLineSMSSize, "Comm", "MaxLineSMSSize", Check::Text, "0", kNoLimit, kNoLimit},
    {Key::SMSMemRead, "Comm", "SMSMemRead", Check::Text, "MT", kNoLimit, kNoLimit},
    {Key::SMSMemOut, "Comm", "SMSMemOut", Check::Text, "", kNoLimit, kNoLimit},
    {Key::SMSMemIn, "Comm", "SMSMemIn", Check::Text, "", kNoLimit, kNoLimit},
    {Key::CommSettings, "Comm", "Settings", Check::Text, "", kNoLimit, kNoLimit},
    {Key::ComDevice, "Comm", "ComDevice", Check::Text, "", kNoLimit, kNoLimit},
    {Key::SendSMS, "Comm", "SendSMS", Check::Bool, "False", kNoLimit, kNoLimit},
    {Key::IntNumbers, "Comm", "IntNumbers", Check::Bool, "False", kNoLimit, kNoLimit},
    {Key::Flash, "SMS", "Flash", Check::Text, "0", kNoLimit, kNoLimit},
    {Key::TpSrr, "SMS", "TP-SRR", Check::Text, "0", kNoLimit, kNoLimit},
    {Key::TInCP, "SMS", "TInCP", Check::Text, "0", kNoLimit, kNoLimit},
    {Key::TOutCP, "SMS", "TOutCP", Check::Text, "0", kNoLimit, kNoLimit},
    {Key::TOutType, "SMS", "TOutType", Check::Text, "0", kNoLimit, kNoLimit},
    {Key::SMSCt, "SMS", "SMSCt", Check::Text, "0", kNoLimit, kNoLimit},
    {Key::SMSC, "SMS", "SMSC", Check::Text, "", kNoLimit, kNoLimit},
    {Key::UDHI, "SMS", "UDHI", Check::Text, "0", kNoLimit, kNoLimit},
    {Key::OutDevice, "MidiSetup", "OutDevice", Check::Integer, "-1", kNoLimit, kNoLimit},
    {Key::OutDeviceName, "MidiSetup", "OutDeviceName", Check::Text, "", kNoLimit, kNoLimit},
    {Key::IgnoreVol, "MidiSetup", "IgnoreVol", Check::Flag01, "1", 0, 1},
    {Key::Intrument, "MidiSetup", "Intrument", Check::Range, "0", 0, 127},
    {Key::SoundFont, "MidiSetup", "SoundFont", Check::Text, "", kNoLimit, kNoLimit},
    {Key::AudioDriver, "MidiSetup", "AudioDriver", Check::Text, "auto", kNoLimit, kNoLimit},
    {Key::NewEvLeft, "Settings", "NewEvLeft", Check::Integer, "1000", kNoLimit, kNoLimit},
    {Key::NewEvTop, "Settings", "NewEvTop", Check::Integer, "1000", kNoLimit, kNoLimit},
}};

constexpr bool tableInKeyOrder() {
  for (size_t i = 0; i < kKeys.size(); ++i)
    if (static_cast<size_t>(kKeys[i].key) != i) return false;
  return true;
}
static_assert(tableInKeyOrder(), "the key table must list the keys in enum order");
static_assert(static_cast<size_t>(Key::NewEvTop) + 1 == kKeys.size());

QString defaultText(const KeyInfo& k) {
  return QString::fromLatin1(k.defaultValue);
}

// A stored value as text. A hand-edited "a,b" comes back from the INI reader as a list;
// it is joined again so that the checks see what the file holds.
QString variantText(const QVariant& v, bool* ok) {
  *ok = true;
  if (!v.isValid()) {
    *ok = false;
    return {};
  }
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QLatin1Char(','));
  if (v.canConvert<QString>()) return v.toString();
  *ok = false;
  return {};
}

}  // namespace

const KeyInfo& info(Key key) {
  return kKeys[static_cast<size_t>(key)];
}

bool parseInt(const QString& text, int* value) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok, 10);
  if (ok) *value = v;
  return ok;
}

bool parseBool(const QString& text, bool* value) {
  const QString t = text.trimmed();
  if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
    *value = true;
    return true;
  }
  if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
    *value = false;
    return true;
  }
  int n = 0;
  if (!parseInt(t, &n)) return false;
  *value = n != 0;
  return true;
}

SettingsStore::SettingsStore(const QString& application)
    : settings_(std::make_unique<QSettings>(defaultFilePath(application), QSettings::IniFormat)) {}

SettingsStore::SettingsStore(std::unique_ptr<QSettings> settings)
    : settings_(std::move(settings)) {}

SettingsStore SettingsStore::atPath(const QString& filePath) {
  return SettingsStore(std::make_unique<QSettings>(filePath, QSettings::IniFormat));
}

SettingsStore::~SettingsStore() = default;
SettingsStore::SettingsStore(SettingsStore&&) noexcept = default;
SettingsStore& SettingsStore::operator=(SettingsStore&&) noexcept = default;

QString SettingsStore::defaultFilePath(const QString& application) {
  // QStandardPaths reads XDG_CONFIG_HOME on every call, so a test can point it elsewhere.
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
  return base + QLatin1Char('/') + application + QLatin1Char('/') + application +
         QStringLiteral(".conf");
}

QString SettingsStore::filePath() const {
  return settings_->fileName();
}

QString SettingsStore::read(const QString& section, const QString& key,
                            const QString& defaultValue) const {
  if (section.isEmpty() || key.isEmpty()) return defaultValue;
  const QVariant v = settings_->value(section + QLatin1Char('/') + key);
  bool ok = false;
  const QString text = variantText(v, &ok);
  return ok ? text : defaultValue;
}

bool SettingsStore::contains(Key key) const {
  const KeyInfo& k = info(key);
  return settings_->contains(QString::fromLatin1(k.section) + QLatin1Char('/') +
                             QString::fromLatin1(k.name));
}

void SettingsStore::write(const QString& section, const QString& key, const QString& text) {
  if (section.isEmpty() || key.isEmpty()) return;
  settings_->setValue(section + QLatin1Char('/') + key, text);
}

void SettingsStore::deleteSection(const QString& section) {
  if (section.isEmpty()) return;  // an empty group would clear the whole store
  settings_->remove(section);
}

bool SettingsStore::sync() {
  settings_->sync();
  return settings_->status() == QSettings::NoError;
}

QString SettingsStore::text(Key key) const {
  const KeyInfo& k = info(key);
  const QString def = defaultText(k);
  const QString stored = read(QString::fromLatin1(k.section), QString::fromLatin1(k.name), def);
  int n = 0;
  bool b = false;
  switch (k.check) {
    case Check::Text:
      return stored;
    case Check::Integer:
      return parseInt(stored, &n) ? QString::number(n) : def;
    case Check::Flag01:
    case Check::Range:
      return parseInt(stored, &n) && n >= k.lo && n <= k.hi ? QString::number(n) : def;
    case Check::MinValue:
      return parseInt(stored, &n) && n >= k.lo ? QString::number(n) : def;
    case Check::Bool:
      return parseBool(stored, &b) ? QString::fromLatin1(b ? "True" : "False") : def;
  }
  return def;
}

int SettingsStore::integer(Key key) const {
  int n = 0;
  if (parseInt(text(key), &n)) return n;
  bool b = false;
  if (parseBool(text(key), &b)) return b ? 1 : 0;
  parseInt(defaultText(info(key)), &n);
  return n;
}

bool SettingsStore::flag(Key key) const {
  bool b = false;
  if (parseBool(text(key), &b)) return b;
  parseBool(defaultText(info(key)), &b);
  return b;
}

void SettingsStore::setText(Key key, const QString& value) {
  const KeyInfo& k = info(key);
  write(QString::fromLatin1(k.section), QString::fromLatin1(k.name), value);
}

void SettingsStore::setInteger(Key key, int value) {
  setText(key, QString::number(value));
}

void SettingsStore::setFlag(Key key, bool value) {
  if (info(key).check == Check::Bool)
    setText(key, QString::fromLatin1(value ? "True" : "False"));
  else
    setText(key, QString::fromLatin1(value ? "1" : "0"));
}

int SettingsStore::newLang(int languageCount) const {
  const int stored = integer(Key::NewLang);
  if (stored >= 0 && stored < languageCount) return stored;
  int def = 1;
  parseInt(defaultText(info(Key::NewLang)), &def);
  return def;
}

QString SettingsStore::recentFileName(int entry) const {
  return read(QStringLiteral("RecentFiles"), QStringLiteral("Filename") + QString::number(entry),
              QString());
}

int SettingsStore::recentFileType(int entry) const {
  int n = 0;
  const QString t = read(QStringLiteral("RecentFiles"),
                         QStringLiteral("Filetype") + QString::number(entry), QStringLiteral("0"));
  return parseInt(t, &n) ? n : 0;
}

void SettingsStore::setRecentFile(int entry, const QString& fileName, int formatId) {
  write(QStringLiteral("RecentFiles"), QStringLiteral("Filename") + QString::number(entry),
        fileName);
  write(QStringLiteral("RecentFiles"), QStringLiteral("Filetype") + QString::number(entry),
        QString::number(formatId));
}

}  // namespace pxsettings

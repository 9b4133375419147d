// The synthesizer's settings: the SoundFont search, the audio drivers tried, and what the
// settings store keeps of both.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "playback/synthsettings.h"
#include "settings/settingsstore.h"

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

class SoundFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = qgetenv("PEALIX_SOUNDFONT");
    qunsetenv("PEALIX_SOUNDFONT");
    font_ = dir_.filePath("gm.sf2");
    writeFile(font_, QByteArray("RIFF\x10\0\0\0sfbkLIST", 16));
    text_ = dir_.filePath("notes.sf2");
    writeFile(text_, QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16));
  }
  void TearDown() override {
    if (saved_.isNull())
      qunsetenv("PEALIX_SOUNDFONT");
    else
      qputenv("PEALIX_SOUNDFONT", saved_);
  }
  QTemporaryDir dir_;
  QByteArray saved_;
  QString font_, text_;
};

TEST_F(SoundFontTest, ChosenThenEnvironmentThenTheSystemsDefaults) {
  const QStringList path = pxmidi::soundFontSearchPath();
  ASSERT_GE(path.size(), 2);
  EXPECT_EQ(path[0], QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2"));
  EXPECT_EQ(path[1], QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2"));

  EXPECT_TRUE(pxmidi::isSoundFontFile(font_));
  EXPECT_FALSE(pxmidi::isSoundFontFile(text_));
  EXPECT_FALSE(pxmidi::isSoundFontFile(dir_.filePath("none.sf2")));

  QString error;
  EXPECT_EQ(pxmidi::findSoundFont(font_, &error), font_);
  // The variable serves when nothing is chosen; a choice beats it.
  qputenv("PEALIX_SOUNDFONT", text_.toLocal8Bit());
  EXPECT_EQ(pxmidi::findSoundFont(font_, &error), font_);
  EXPECT_TRUE(pxmidi::findSoundFont({}, &error).isEmpty());
  EXPECT_TRUE(error.contains("is not a SoundFont")) << error.toStdString();
  qputenv("PEALIX_SOUNDFONT", font_.toLocal8Bit());
  EXPECT_EQ(pxmidi::findSoundFont(QStringLiteral("  "), &error), font_);

  // A chosen file that is gone or no SoundFont is never passed over for another one.
  error.clear();
  EXPECT_TRUE(pxmidi::findSoundFont(dir_.filePath("gone.sf2"), &error).isEmpty());
  EXPECT_TRUE(error.contains("gone.sf2") && error.contains("does not exist"))
      << error.toStdString();
  EXPECT_TRUE(pxmidi::findSoundFont(text_, &error).isEmpty());
  EXPECT_TRUE(error.contains("notes.sf2"));

  // Nothing chosen or named: the first SoundFont of the search path, when there is one.
  qunsetenv("PEALIX_SOUNDFONT");
  QString found;
  for (const QString& p : path)
    if (found.isEmpty() && pxmidi::isSoundFontFile(p)) found = p;
  error.clear();
  EXPECT_EQ(pxmidi::findSoundFont({}, &error), found);
  EXPECT_EQ(error.isEmpty(), !found.isEmpty());
}

TEST(AudioDrivers, NamesAndTheOrderTried) {
  for (pxmidi::AudioDriver d : pxmidi::kAudioDrivers)
    EXPECT_EQ(pxmidi::audioDriverFromName(pxmidi::audioDriverName(d)), d);
  EXPECT_EQ(pxmidi::audioDriverFromName(QStringLiteral(" PipeWire ")),
            pxmidi::AudioDriver::PipeWire);
  EXPECT_FALSE(pxmidi::audioDriverFromName(QStringLiteral("oss")).has_value());
  EXPECT_FALSE(pxmidi::audioDriverFromName(QString()).has_value());

  QTemporaryDir runtime;
  const QStringList alsaOnly{QStringLiteral("alsa")};
  EXPECT_EQ(pxmidi::audioDriversToTry(pxmidi::AudioDriver::Automatic, QString()), alsaOnly);
  EXPECT_EQ(pxmidi::audioDriversToTry(pxmidi::AudioDriver::Automatic, runtime.path()), alsaOnly);
  writeFile(runtime.filePath("pulse/native"), "");
  EXPECT_EQ(pxmidi::audioDriversToTry(pxmidi::AudioDriver::Automatic, runtime.path()),
            (QStringList{"pulseaudio", "alsa"}));
  writeFile(runtime.filePath("pipewire-0"), "");
  EXPECT_EQ(pxmidi::audioDriversToTry(pxmidi::AudioDriver::Automatic, runtime.path()),
            (QStringList{"pipewire", "pulseaudio", "alsa"}));
  // A chosen driver is tried alone, whatever runs.
  EXPECT_EQ(pxmidi::audioDriversToTry(pxmidi::AudioDriver::Jack, runtime.path()),
            QStringList{"jack"});
}

TEST(SynthSettings, KeptInTheStore) {
  QTemporaryDir dir;
  auto store = pxsettings::SettingsStore::atPath(dir.filePath("Pealix.conf"));
  pxmidi::SynthSettings s = pxmidi::SynthSettings::load(store);
  EXPECT_TRUE(s.soundFont.isEmpty());
  EXPECT_EQ(s.driver, pxmidi::AudioDriver::Automatic);
  s.soundFont = QStringLiteral("/fonts/gm.sf2");
  s.driver = pxmidi::AudioDriver::Alsa;
  s.save(store);
  ASSERT_TRUE(store.sync());
  EXPECT_EQ(store.read("MidiSetup", "SoundFont", {}), QStringLiteral("/fonts/gm.sf2"));
  EXPECT_EQ(store.read("MidiSetup", "AudioDriver", {}), QStringLiteral("alsa"));
  auto again = pxsettings::SettingsStore::atPath(dir.filePath("Pealix.conf"));
  EXPECT_EQ(pxmidi::SynthSettings::load(again).driver, pxmidi::AudioDriver::Alsa);
  // A hand-edited driver name nobody knows reads as automatic.
  again.write("MidiSetup", "AudioDriver", "oss");
  EXPECT_EQ(pxmidi::SynthSettings::load(again).driver, pxmidi::AudioDriver::Automatic);
}

}  // namespace

// Everything the program holds from start to end: the melody document, the serial and SMS
// properties, the target formats, the program-wide settings and the settings store, and
// the file named on the command line. Start-up fills it; the main window receives it.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "files/recentfiles.h"
#include "document/melodydocument.h"
#include "document/meloformatprops.h"
#include "phonelink/clcommprops.h"
#include "phonelink/clsmsprops.h"
#include "settings/mainsettings.h"
#include "settings/settingsstore.h"

struct MidiPlayback;

// The melody file named on the command line.
struct CommandLineFile {
  QString path;
  int fileType = -1;  // 1 RTTTL, 2 MIDI, 3 Sagem, 4 Nokia ringtone, 5 iMelody, -1 none
  int formatId = -1;  // 7, 10, 2, 9, 14, -1
};

// The first argument is a melody file when its extension, in lower case, is rtx, mid,
// midi, srt, ota, ott, rng or imy; anything else, or no argument, names no file.
CommandLineFile ParseCommandLine(const QStringList& arguments);

struct AppState {
  static constexpr int kMaxEvents = 301;

  MelodyDocument document;
  clCommProps comm;
  clSMSProps sms;
  clMeloFormatProps formats;
  MainSettings settings;
  RecentFiles recent;
  CommandLineFile commandLine;
  std::unique_ptr<pxsettings::SettingsStore> store;
  // The MIDI output and player, made on first use (tests put in their own).
  std::shared_ptr<MidiPlayback> midi;
};

// The start-up steps before the main window loads: program-wide defaults (play action
// "open", at most 301 events, no status text), the melodies, the serial properties, the
// languages (English current, default and saved), the SMS properties, the eight target
// formats; then the command line. store: the settings store to use (the per-user one when
// null). arguments: the command line without the program name.
void StartUp(AppState& state, const QStringList& arguments,
             std::unique_ptr<pxsettings::SettingsStore> store = nullptr);

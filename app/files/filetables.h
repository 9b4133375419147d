// The open and save dialogs' format tables and the file types of the recent-files list.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

#include "melody/pxvbmelody.h"

namespace filetables {

// File types of the recent-files list and the command line.
enum FileType : int {
  kTypeNone = -1,
  kTypeRtttl = 1,
  kTypeMidi = 2,
  kTypeSagem = 3,
  kTypeNokia = 4,    // read from memory by the library (files/memoryread.h)
  kTypeImelody = 5,  // read from memory by the library (files/memoryread.h)
  kTypeFlipper = 6,
};

// A reader for a format whose file read the melody library does not offer (memoryread.h): replaces
// the melody's events, tempo and name, or returns false with the melody unchanged and *error saying
// why (res gives the window's texts; empty: the command line's words).
using AppReader = bool (*)(int formatId, const QByteArray& data, pxvbMelody& melody, QString* error,
                           const std::function<QString(int)>& res);

struct OpenFilter {
  int index;           // 1-based filter index of the dialog
  QString filterText;  // e.g. "Midi (*.mid;*.midi)"
  QString pattern;     // e.g. "*.mid;*.midi"
  int fileType;
  int formatId;              // the library's id of the format
  AppReader read = nullptr;  // set: the file is read by this instead of the library
  int nameRes = 0;           // the name the dialog shows (resource string); 0: filterText's
};

// A format option: a fixed value, or the stored setting of that name.
struct Option {
  QString settingKey;  // empty: use value
  int value = 0;
};

struct SaveFilter {
  int index;
  QString filterText;
  QString pattern;
  QString extension;  // appended when the name does not end with it, e.g. ".rtx"
  int formatId;
  bool hasOptions;        // false: MIDI, written like the play command
  QList<Option> options;  // elements 5, 6, 7 of the request
  int recentType;         // kTypeNone when the file does not go to the recent files
  int nameRes = 0;        // the name the dialog shows (resource string); 0: filterText's
};

// The open dialog's filters in order (from the format catalogue): the library's readable
// formats, the Nokia ringtone and iMelody (whose bytes the program hands to the library),
// and the formats added since.
const QList<OpenFilter>& OpenFilters();
// The first open filter whose pattern lists the file name's extension (case-insensitive),
// or nullptr: ".txt" is RTTTL.
const OpenFilter* OpenFilterForFile(const QString& fileName);
const QList<SaveFilter>& SaveFilters();

// The first save filter whose pattern lists the file name's extension (case-insensitive,
// the last "." only), or nullptr: ".txt" is RTTTL, ".srt" the optimised Sagem SMS.
const SaveFilter* SaveFilterForFile(const QString& fileName);
// The save filter by format id (the first one with that id), or nullptr.
const SaveFilter* SaveFilterForFormat(int formatId);
// File type from a path's extension (the command line, dropped files): the type of the
// one open filter that lists it (rtx 1, mid or midi 2, srt 3, ota, ott or rng 4, imy 5,
// ...); -1 for an extension of no filter or of several (txt).
int FileTypeFromPath(const QString& path);
// Format id of a file type; -1 for none. Nokia ringtones and iMelody are read by the
// filter's AppReader, not by the library's file read.
int FormatIdForFileType(int fileType);
// Appends extension unless the name already ends with it (case-insensitive).
QString WithExtension(const QString& fileName, const QString& extension);

}  // namespace filetables

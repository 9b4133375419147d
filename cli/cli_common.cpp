#include "cli_common.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <sstream>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "document/eventlistmodel.h"
#include "files/filedetect.h"
#include "files/filetables.h"
#include "files/writechanges.h"
#include "languages/reslang.h"
#include "melody/rvmelodyapi.h"
#include "melody/titletext.h"
#include "phonelink/cablemessage.h"
#include "rvresulttexts.h"

namespace cli {
namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

// The clipboard hooks carry standard input (or one tune of a collection) in and a
// rendering out. Each thread has its own, so a batch converts on all cores at once.
struct HookState {
  std::string clipboardIn;
  bool hasClipboardIn = false;
  std::string clipboardOut;
  std::string libraryMessage;  // the last message the library showed, not yet reported
};

HookState& hookState() {
  thread_local HookState state;
  return state;
}

void installHooks() {
  static RvHostHooks hooks{nullptr,
                           [](void*) -> const char* {
                             const HookState& s = hookState();
                             return s.hasClipboardIn ? s.clipboardIn.c_str() : nullptr;
                           },
                           [](void*, const char* text) -> int32_t {
                             hookState().clipboardOut = text ? text : "";
                             return 1;
                           },
                           // The library's message box: its text joins the CLI's
                           // own line about the failure; the caption is for windows.
                           [](void*, const char*, const char* text) {
                             std::string& kept = hookState().libraryMessage;
                             if (text && *text) kept = text;
                           }};
  RvMelodyApi::instance().rvSetHostHooks(&hooks);
}

std::string toHex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

}  // namespace

std::ostream& statusStream(const std::string& outputPath) {
  return outputPath == "-" ? std::cerr : std::cout;
}

std::string takeLibraryMessage() {
  std::string text = std::move(hookState().libraryMessage);
  hookState().libraryMessage.clear();
  return text;
}

std::string failureText(int32_t code) {
  const std::string message = takeLibraryMessage();
  return message.empty() ? resultText(code) + " (" + std::to_string(code) + ")" : message;
}

void reportLibraryNote() {
  const std::string message = takeLibraryMessage();
  if (!message.empty()) std::cerr << "pealix-cli: note: " << message << "\n";
}

const std::vector<CliFormat>& formats() {
  static const std::vector<CliFormat> table = [] {
    std::vector<CliFormat> out;
    for (const formatcatalogue::Format& f : formatcatalogue::Formats())
      out.push_back({f.cliName,
                     f.id,
                     {f.cliDefaults[0], f.cliDefaults[1], f.cliDefaults[2]},
                     f.description,
                     &f});
    return out;
  }();
  return table;
}

const CliFormat* formatByName(const std::string& name) {
  const std::string n = lower(name);
  for (const CliFormat& f : formats())
    if (n == f.name) return &f;
  return nullptr;
}

const CliFormat* formatById(int32_t id) {
  for (const CliFormat& f : formats())
    if (f.id == id && id != 0) return &f;
  return nullptr;
}

const CliFormat* formatForRead(const std::string& path, std::string* problem) {
  const QString fileName = QFileInfo(QString::fromStdString(path)).fileName();
  const filetables::OpenFilter* byName = nullptr;
  for (const filetables::OpenFilter& f : filetables::OpenFilters())
    if (!byName && QDir::match(f.pattern, fileName)) byName = &f;
  QFile file(QString::fromStdString(path));
  if (path == "-" || !QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
    return byName ? formatById(byName->formatId) : nullptr;
  const filedetect::Detected d = filedetect::DetectFileType(
      file.read(512), file.size(), byName ? byName->fileType : filetables::kTypeNone);
  if (d.problemRes != 0 && problem) *problem = GetResString(d.problemRes).toStdString();
  const int formatId =
      d.problemRes != 0 && byName ? byName->formatId : filetables::FormatIdForFileType(d.fileType);
  return formatById(formatId);
}

const CliFormat* formatForWrite(const std::string& path) {
  const filetables::SaveFilter* f =
      filetables::SaveFilterForFile(QFileInfo(QString::fromStdString(path)).fileName());
  return f ? formatById(f->formatId) : nullptr;
}

std::string extensionsOf(const CliFormat& format) {
  QStringList extensions;
  for (const filetables::OpenFilter& f : filetables::OpenFilters())
    if (f.formatId == format.id) extensions << f.pattern.split(';');
  if (const filetables::SaveFilter* f = filetables::SaveFilterForFormat(format.id))
    if (format.id != 0) extensions << "*" + f->extension;
  extensions.removeDuplicates();
  // Only the extensions that pick this format (".txt" is RTTTL's, not Sagem's).
  std::string out;
  for (const QString& pattern : extensions) {
    const std::string file = "x" + pattern.mid(1).toStdString();
    if (formatForRead(file) != &format && formatForWrite(file) != &format) continue;
    out += (out.empty() ? "" : " ") + pattern.mid(1).toStdString();
  }
  return out;
}

const CliFormat* chooseFormat(const char* command, const std::optional<std::string>& named,
                              const std::string& path, bool reading) {
  const CliFormat* format =
      named ? formatByName(*named) : (reading ? formatForRead(path) : formatForWrite(path));
  if (!format)
    std::cerr << "pealix-cli " << command << ": "
              << (named ? "unknown format '" + *named + "'"
                        : "cannot tell the format of " + path + "; name it with " +
                              (reading ? "--from" : "--to"))
              << "\n";
  return format;
}

std::vector<int32_t> composeOptions(const CliFormat& format,
                                    const std::optional<int32_t> (&given)[3]) {
  int last = -1;
  for (int i = 0; i < 3; ++i)
    if (given[i]) last = i;
  std::vector<int32_t> options;
  for (int i = 0; i <= last; ++i)
    options.push_back(given[i] ? *given[i] : format.defaultOptions[i]);
  return options;
}

Args::Args(int argc, char** argv, int first) {
  for (int i = first; i < argc; ++i) items_.emplace_back(argv[i]);
  used_.assign(items_.size(), false);
  // "--" ends the options: everything after it is positional, even "--name".
  const auto dashes = std::find(items_.begin(), items_.end(), std::string("--"));
  optionsEnd_ = static_cast<size_t>(dashes - items_.begin());
  if (optionsEnd_ < items_.size()) used_[optionsEnd_] = true;
  collectPositional();
}

void Args::collectPositional() {
  // Positional arguments are the items that are neither options nor the values of options
  // asked for so far: anything not starting with "--" (or a lone "-") before the end of
  // the options, and everything after it.
  positional_.clear();
  for (size_t i = 0; i < items_.size(); ++i) {
    if (i == optionsEnd_) continue;
    const bool option = i < optionsEnd_ && items_[i] != "-" && items_[i].rfind("--", 0) == 0;
    const bool optionValue = i < optionsEnd_ && valueTaken_.count(i);
    if (!option && !optionValue) positional_.push_back(items_[i]);
  }
}

bool Args::flag(const std::string& name) {
  for (size_t i = 0; i < optionsEnd_ && i < items_.size(); ++i)
    if (items_[i] == name) {
      used_[i] = true;
      return true;
    }
  return false;
}

std::optional<std::string> Args::value(const std::string& name) {
  for (size_t i = 0; i < optionsEnd_ && i < items_.size(); ++i) {
    if (items_[i].rfind(name + "=", 0) == 0) {
      used_[i] = true;
      return items_[i].substr(name.size() + 1);
    }
    if (items_[i] == name && i + 1 < items_.size() && i + 1 != optionsEnd_) {
      used_[i] = used_[i + 1] = true;
      // The value is not positional.
      valueTaken_.insert(i + 1);
      collectPositional();
      return items_[i + 1];
    }
  }
  return std::nullopt;
}

std::optional<int32_t> Args::intValue(const std::string& name, bool& bad) {
  auto v = value(name);
  if (!v) return std::nullopt;
  try {
    size_t used = 0;
    const long long n = std::stoll(*v, &used);
    if (used != v->size() || n < INT32_MIN || n > INT32_MAX) throw std::invalid_argument(*v);
    return static_cast<int32_t>(n);
  } catch (const std::exception&) {
    std::cerr << "pealix-cli: " << name << " needs a whole number, not '" << *v << "'\n";
    bad = true;
    return std::nullopt;
  }
}

std::vector<std::string> Args::unknown() const {
  std::vector<std::string> out;
  for (size_t i = 0; i < optionsEnd_ && i < items_.size(); ++i)
    if (!used_[i] && items_[i].rfind("--", 0) == 0) out.push_back(items_[i]);
  return out;
}

bool loadLibrary() {
  RvMelodyApi& api = RvMelodyApi::instance();
  if (!api.load()) {
    std::cerr << "pealix-cli: " << api.errorText().toStdString() << "\n";
    return false;
  }
  installHooks();
  return true;
}

namespace {

// Reads through rvmReadMelo, growing the records until the whole melody fits.
bool readThroughLibrary(const std::string& path, int32_t source, const CliFormat& format,
                        int32_t channel, Document& doc, std::string& error) {
  RvMelodyApi& api = RvMelodyApi::instance();
  for (int32_t capacity = 512;; capacity *= 4) {
    doc.records.assign(static_cast<size_t>(capacity), EventRecord{});
    int32_t count = capacity;
    char title[256] = {};
    uint32_t titleLength = sizeof(title) - 1;
    int32_t control[7] = {7, source, format.id, 0, channel, 0, 0};
    const int32_t rc = api.rvmReadMelo(doc.records.data(), &count, title, &titleLength, control,
                                       path.c_str(), nullptr, nullptr);
    if (rc == RV_READ_TRUNCATED && capacity < (1 << 22)) continue;
    if (rc != RV_OK && rc != RV_READ_TRUNCATED) {
      error = "cannot read as " + std::string(format.name) + ": " + failureText(rc);
      return false;
    }
    doc.records.resize(static_cast<size_t>(std::clamp(count, 0, capacity)));
    // Track names of older MIDI files are Windows-1252; the document holds UTF-8.
    doc.title = titletext::DecodeTitle(QByteArray(title, static_cast<qsizetype>(std::min<size_t>(
                                                             titleLength, sizeof(title) - 1))))
                    .toStdString();
    doc.bpm = control[RV_CONTROL_BPM];
    doc.channelUsed = control[RV_CONTROL_CHANNEL];
    doc.channelMask = control[RV_CONTROL_CHANNEL_MASK];
    doc.roundedEvents = format.row->readsRounded ? std::max(control[RV_CONTROL_CHANNEL], 0) : 0;
    return true;
  }
}

}  // namespace

bool readMelody(const std::string& path, const CliFormat& format, int32_t channel, Document& doc) {
  int32_t source = RV_WHERE_FILE;
  if (path == "-") {
    // Standard input goes in as clipboard text (MIDI bytes in their clipboard hex form).
    std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    if (format.id == RV_FORMAT_MIDI) text = "//RVPXPX" + toHex(text);
    hookState().clipboardIn = text;
    hookState().hasClipboardIn = true;
    source = RV_WHERE_CLIPBOARD;
  }
  std::string error;
  if (readThroughLibrary(path, source, format, channel, doc, error)) return true;
  std::cerr << "pealix-cli: " << path << ": " << error << "\n";
  return false;
}

bool readRtttlText(const std::string& text, Document& doc, std::string& error) {
  HookState& state = hookState();
  state.clipboardIn = text;
  state.hasClipboardIn = true;
  const bool ok = readThroughLibrary("", RV_WHERE_CLIPBOARD, *formatByName("rtttl"),
                                     RV_CHANNEL_FIRST_SEEN, doc, error);
  state.hasClipboardIn = false;
  state.clipboardIn.clear();
  return ok;
}

bool readInput(const std::string& path, const CliFormat& format, int32_t channel,
               const std::string& delimiter, Document& doc, std::string* error) {
  std::string why;
  bool ok = false;
  if (isAppFormat(format) || appReaderFor(format))
    ok = readAppInput(path, format, delimiter, doc, why);
  else if (path == "-")
    return readMelody(path, format, channel, doc);
  else
    ok = readThroughLibrary(path, RV_WHERE_FILE, format, channel, doc, why);
  // The library's text readers take the first 65,536 characters of a file.
  if (ok && (format.id == RV_FORMAT_RTTTL || format.id == RV_FORMAT_SAGEM) &&
      QFileInfo(QString::fromStdString(path)).size() > 65536)
    std::cerr << "pealix-cli: note: " << path << " is longer than the 65,536 characters the "
              << format.name << " reader takes: it holds more than the " << doc.records.size()
              << " events read\n";
  if (!ok) {
    if (error)
      *error = why;
    else
      std::cerr << "pealix-cli: " << path << ": " << why << "\n";
  }
  return ok;
}

namespace {

// The library's string rendering; a buffer that turns out too small (217 with the needed
// length) is grown once and the call repeated.
// The title as the writer of a format takes it: ASCII for the phone text formats.
QByteArray writerTitle(const Document& doc, int32_t formatId) {
  return titletext::TitleForWriter(QString::fromStdString(doc.title), formatId);
}

int32_t melo2String(const Document& doc, std::vector<int32_t>& control, std::string& out) {
  const QByteArray title = writerTitle(doc, control[RV_CONTROL_FORMAT]);
  std::vector<char> buffer(1 << 16);
  const int32_t count = static_cast<int32_t>(doc.records.size());
  for (;;) {
    uint32_t length = static_cast<uint32_t>(buffer.size());
    const int32_t rc =
        RvMelodyApi::instance().rvmMelo2String(doc.records.data(), count, buffer.data(), &length,
                                               title.constData(), nullptr, control.data());
    if (rc == 217 && length > buffer.size()) {
      buffer.resize(length);
      continue;
    }
    if (rc == 1) out.assign(buffer.data(), std::min<size_t>(length, buffer.size()));
    return rc;
  }
}

}  // namespace

std::string notesLeftOut(const Document& doc, const CliFormat& format,
                         const std::vector<int32_t>& options, const std::string& bytes) {
  // Elements left out are the format's defaults, as the writer takes them.
  auto option = [&](size_t i) {
    return i < options.size() ? options[i] : format.defaultOptions[i];
  };
  int all = 0;
  for (const EventRecord& r : doc.records)
    all += r.nEvent == RV_EVENT_NOTE || r.nEvent == RV_EVENT_PAUSE ? 1 : 0;
  const QByteArray text(bytes.data(), static_cast<qsizetype>(bytes.size()));
  int kept = -1;
  switch (format.row->noteCount) {
    case formatcatalogue::NoteCount::NokiaRingtone:
      // Always sized (a limit of 0 is 140 bytes); header (element 6) and hex text (element
      // 7) as the options asked for them.
      kept = cableMessage::NokiaNoteCount(option(1) == 1 ? QByteArray::fromHex(text) : text,
                                          option(0) == 1);
      break;
    case formatcatalogue::NoteCount::SagemCodes: {
      if (option(0) <= 0) break;  // no size limit: the whole melody
      // One code a note or pause, counted against the text without a limit.
      std::vector<int32_t> control = {0, RV_WHERE_STRING, format.id, doc.bpm, 0, 0,
                                      0, option(1),       0};
      control[0] = static_cast<int32_t>(control.size());
      std::string whole;
      if (melo2String(doc, control, whole) != 1) return {};
      all = cableMessage::SagemCodeCount(
          QByteArray(whole.data(), static_cast<qsizetype>(whole.size())));
      kept = cableMessage::SagemCodeCount(text);
      break;
    }
    case formatcatalogue::NoteCount::IMelody:
      kept = cableMessage::ImelodyNoteCount(text);
      break;
    case formatcatalogue::NoteCount::None:
      break;
  }
  if (kept < 0 || kept >= all) return {};
  return "holds " + std::to_string(kept) + " of the melody's " + std::to_string(all) +
         " notes and pauses";
}

std::string pitchNote(const Document& doc, const CliFormat& format) {
  QList<int> given;
  for (const EventRecord& r : doc.records)
    if (r.nEvent == 1) given << r.EventVal1;
  const std::string name = format.id == 2    ? "Sagem"
                           : format.id == 3  ? "The key-press writer"
                           : format.id == 7  ? "RTTTL"
                           : format.id == 8  ? "Alcatel"
                           : format.id == 9  ? "Nokia"
                           : format.id == 12 ? "Motorola"
                                             : std::string(format.name);
  if (const int outside = writechanges::NotesOutsideWriterRange(format.id, given))
    return name + " moved the notes into its range: " + std::to_string(outside) +
           " of them lay outside it";
  // The Nokia writer fits the pitches as the RTTTL writer does: its RTTTL text tells.
  if (format.id != 2 && format.id != 7 && format.id != 9) return {};
  const CliFormat& readAs = *formatById(format.id == 2 ? 2 : 7);
  std::vector<int32_t> control = {9, 0, readAs.id, doc.bpm, 0, 0, 0, 0, 0};
  std::string text;
  if (melo2String(doc, control, text) != 1) return {};
  HookState& state = hookState();
  state.clipboardIn = text;
  state.hasClipboardIn = true;
  Document back;
  std::string error;
  const bool read = readThroughLibrary("", 2, readAs, 255, back, error);
  state.hasClipboardIn = false;
  state.clipboardIn.clear();
  if (!read) return {};
  QList<int> written;
  for (const EventRecord& r : back.records)
    if (r.nEvent == 1) written << r.EventVal1;
  const writechanges::PitchChange c = writechanges::ComparePitches(given, written);
  if (c.changed == 0) return {};
  if (c.shift == 0) return name + " moved " + std::to_string(c.changed) + " notes into its range";
  const int n = std::abs(c.shift);
  return name + " moved the melody " + (c.shift > 0 ? "up " : "down ") + std::to_string(n) +
         (n == 1 ? " semitone" : " semitones") + " into its range";
}

bool renderMelody(const Document& doc, const CliFormat& format, const std::vector<int32_t>& options,
                  std::string& bytes, std::string& error) {
  RvMelodyApi& api = RvMelodyApi::instance();
  if (doc.records.empty()) {
    error = "the melody has no events to write";
    return false;
  }
  std::vector<int32_t> control = {0, RV_WHERE_STRING, format.id, doc.bpm, 0, 0};
  control.insert(control.end(), options.begin(), options.end());
  control[0] = static_cast<int32_t>(control.size());
  const int32_t count = static_cast<int32_t>(doc.records.size());
  int32_t rc = 0;
  // The string rendering is the file's for most formats; iMelody's string is fitted and
  // cut for a text message, Motorola and the test XML have none. Those go through the
  // (per-thread) clipboard, which receives the file's text.
  if (!format.row->stringIsFile) {
    control[RV_CONTROL_WHERE] = RV_WHERE_CLIPBOARD;
    hookState().clipboardOut.clear();
    rc = api.rvmMeloExport(doc.records.data(), count, writerTitle(doc, format.id).constData(), "",
                           nullptr, control.data());
    bytes = std::move(hookState().clipboardOut);
    hookState().clipboardOut.clear();
  } else {
    rc = melo2String(doc, control, bytes);
  }
  if (rc != 1) {
    error = "cannot write " + std::string(format.name) + ": " + failureText(rc);
    return false;
  }
  const int32_t writerValue = control[RV_CONTROL_WRITER_VALUE];
  if (format.id == RV_FORMAT_SAGEM &&
      (writerValue == RV_SAGEM_LIMIT_TOO_SMALL || writerValue == RV_SAGEM_NO_CODES)) {
    error = writerValue == RV_SAGEM_LIMIT_TOO_SMALL
                ? "cannot write sagem: the size limit leaves no room for a note (160)"
                : "cannot write sagem: no note or pause to write (4)";
    return false;
  }
  return true;
}

bool writeMelody(const Document& doc, const std::string& path, const CliFormat& format,
                 const std::vector<int32_t>& options, bool stringForm) {
  RvMelodyApi& api = RvMelodyApi::instance();
  if (doc.records.empty()) {
    std::cerr << "pealix-cli: the melody has no events to write\n";
    return false;
  }
  const bool toStdout = path == "-";
  std::vector<int32_t> control = {0, RV_WHERE_FILE, format.id, doc.bpm, 0, 0};
  control.insert(control.end(), options.begin(), options.end());
  control[0] = static_cast<int32_t>(control.size());
  const int32_t count = static_cast<int32_t>(doc.records.size());
  int32_t rc = 0;
  std::string output;
  // Standard output gets the file's rendering: the string form where it is the same (it
  // keeps binary bytes whole), else the clipboard text (iMelody, Motorola, test XML).
  const bool sameAsFile = format.row->stringIsFile;
  if (stringForm || (toStdout && sameAsFile)) {
    control[RV_CONTROL_WHERE] = RV_WHERE_STRING;
    rc = melo2String(doc, control, output);
  } else if (toStdout) {
    control[RV_CONTROL_WHERE] =
        RV_WHERE_CLIPBOARD;  // rendered onto the clipboard hook, which keeps the text
    hookState().clipboardOut.clear();
    rc = api.rvmMeloExport(doc.records.data(), count, writerTitle(doc, format.id).constData(), "",
                           nullptr, control.data());
    output = hookState().clipboardOut;
  } else {
    rc = api.rvmMeloExport(doc.records.data(), count, writerTitle(doc, format.id).constData(),
                           path.c_str(), nullptr, control.data());
  }
  if (rc != 1) {
    std::cerr << "pealix-cli: cannot write " << format.name << " to "
              << (toStdout ? std::string("standard output") : path) << ": " << failureText(rc)
              << "\n";
    return false;
  }
  reportLibraryNote();
  // The Sagem export succeeds with an empty text when the size limit leaves no room for a
  // code (160) or no event gives one (4): that is a failure for the user.
  const int32_t writerValue = control[RV_CONTROL_WRITER_VALUE];
  if (format.id == RV_FORMAT_SAGEM &&
      (writerValue == RV_SAGEM_LIMIT_TOO_SMALL || writerValue == RV_SAGEM_NO_CODES)) {
    std::cerr << "pealix-cli: cannot write sagem: "
              << (writerValue == RV_SAGEM_LIMIT_TOO_SMALL
                      ? "the size limit (--size-limit) leaves no room for a note"
                      : "no note or pause to write")
              << " (" << writerValue << ")\n";
    return false;
  }
  // A format sized for one message says what it left out.
  std::string written = output;
  if (written.empty() && format.row->noteCount != formatcatalogue::NoteCount::None &&
      format.row->stringIsFile) {
    std::vector<int32_t> again = control;
    again[RV_CONTROL_WHERE] = RV_WHERE_STRING;
    melo2String(doc, again, written);
  }
  const std::string cut = notesLeftOut(doc, format, options, written);
  if (!cut.empty())
    std::cerr << "pealix-cli: note: " << (toStdout ? std::string("the output") : path) << " " << cut
              << ": the " << format.name << " size limit left the rest out\n";
  const std::string moved = pitchNote(doc, format);
  if (!moved.empty()) std::cerr << "pealix-cli: note: " << moved << "\n";
  if (format.row->reportsTokens)
    std::cerr << "pealix-cli: " << writerValue << " tokens written\n";
  else if (writerValue != 0 && writerValue != 1 && !format.row->countsEntries)
    std::cerr << "pealix-cli: note: the " << format.name << " writer reported " << writerValue
              << "\n";
  if (toStdout || stringForm) {
    if (toStdout) {
      std::fwrite(output.data(), 1, output.size(), stdout);
      if (format.id != RV_FORMAT_MIDI && (output.empty() || output.back() != '\n'))
        std::fputc('\n', stdout);
    } else {
      std::FILE* f = std::fopen(path.c_str(), "wb");
      const bool ok = f && std::fwrite(output.data(), 1, output.size(), f) == output.size();
      if (f && std::fclose(f) != 0) return false;
      if (!ok) {
        std::cerr << "pealix-cli: cannot write " << path << "\n";
        return false;
      }
    }
  }
  return true;
}

std::string resultText(int32_t code) {
  return rvresult::text(code);
}

std::string lengthWords(int32_t simpleLen, int32_t dotLen) {
  static const char* names[] = {"whole", "half", "quarter", "eighth",
                                "16th",  "32nd", "64th",    "128th"};
  std::string base;
  for (int i = 0; i < 8; ++i)
    if (simpleLen == (1 << i)) base = names[i];
  if (base.empty()) return simpleLen == 0 ? "-" : "1/" + std::to_string(simpleLen);
  static const char* dots[] = {"", "dotted ", "double-dotted ", "5/3 "};
  return (dotLen >= 0 && dotLen <= 3 ? dots[dotLen] : "") + base;
}

std::string eventWords(const EventRecord& r) {
  switch (r.nEvent) {
    case RV_EVENT_NOTE: {
      // The window's note names: key 60 is C5.
      const int key = r.EventVal1;
      std::string name = key >= 0 && key <= 127 ? eventrows::NoteName(key).toStdString() : "?";
      return "note " + name + " (key " + std::to_string(key) + ", velocity " +
             std::to_string(r.EventVal2) + ")";
    }
    case RV_EVENT_STYLE: {
      static const char* styles[] = {"natural", "continuous", "staccato"};
      return std::string("style ") +
             (r.EventVal1 >= 0 && r.EventVal1 <= 2 ? styles[r.EventVal1] : "?");
    }
    case RV_EVENT_TEMPO:
      return "tempo " + std::to_string(r.EventVal1) + " bpm";
    case RV_EVENT_VOLUME:
      return r.EventVal1 == 0 ? "volume " + std::to_string(r.EventVal2)
                              : std::string("volume ") + (r.EventVal2 == 1 ? "up" : "down");
    case RV_EVENT_LOOP:
      return "loop " + std::to_string(r.EventVal1) + " repeat " + std::to_string(r.EventVal2);
    case RV_EVENT_PAUSE:
      return "pause";
    default:
      return "event kind " + std::to_string(r.nEvent);
  }
}

}  // namespace cli

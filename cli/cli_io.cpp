// Reading melodies from files and standard input, rendering and writing them.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <iterator>

#include <QFileInfo>

#include "cli_library.h"
#include "melody/rvmelodyapi.h"

namespace cli {
namespace {

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
  else if (format.row->writesRounded && writerValue < 0)
    std::cerr << "pealix-cli: note: the " << format.name
              << " writer wrote notes and pauses to the nearest length the format holds, or an "
                 "octave up: "
              << -writerValue << " of them\n";
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

}  // namespace cli

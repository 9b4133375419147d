// pealix-cli and the melody library: loading it, its host hooks (clipboard text in and
// out, its messages) and the reads and string renderings through its exports.
#include "cli_library.h"

#include <algorithm>
#include <iostream>

#include <QByteArray>
#include <QString>

#include "melody/rvmelodyapi.h"
#include "melody/titletext.h"

namespace cli {
namespace {

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

}  // namespace

HookState& hookState() {
  thread_local HookState state;
  return state;
}

std::string takeLibraryMessage() {
  std::string text = std::move(hookState().libraryMessage);
  hookState().libraryMessage.clear();
  return text;
}

void reportLibraryNote() {
  const std::string message = takeLibraryMessage();
  if (!message.empty()) std::cerr << "pealix-cli: note: " << message << "\n";
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

}  // namespace cli

// The ALSA sequencer's output ports through RtMidi. RtMidi may neither print to the
// terminal nor end the program: its complaints are caught and handed back as error texts.
#include <alsa/asoundlib.h>
#include <rtmidi/RtMidi.h>
#include <unistd.h>

#include <mutex>

#include "devices.h"

namespace pxplugin {

namespace {

void alsaSilent(const char*, int, const char*, int, const char*, ...) {}

bool sequencerPresent(QString* error) {
  quietAlsa();
  if (::access("/dev/snd/seq", R_OK | W_OK) == 0) return true;
  if (error) *error = QStringLiteral("The ALSA sequencer is not available (/dev/snd/seq).");
  return false;
}

class PortOutput : public pxmidi::MidiOutput {
 public:
  explicit PortOutput(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {
    out_->setErrorCallback(&PortOutput::onError, this);
  }
  ~PortOutput() override {
    out_->setErrorCallback(nullptr, nullptr);
    try {
      out_->closePort();
    } catch (const RtMidiError&) {
    }
  }
  bool open(unsigned index, QString* error) {
    lastError_.clear();
    try {
      out_->openPort(index, "Pealix");
    } catch (const RtMidiError& e) {
      lastError_ = QString::fromStdString(e.getMessage());
    }
    if (lastError_.isEmpty() && out_->isPortOpen()) return true;
    if (error)
      *error = lastError_.isEmpty() ? QStringLiteral("The MIDI port did not open.") : lastError_;
    return false;
  }
  bool send(uint32_t packed, QString* error) override {
    const int status = packed & 0xFF;
    // Program change and channel pressure carry one data byte, the others two.
    const size_t size = (status & 0xE0) == 0xC0 ? 2 : 3;
    const unsigned char bytes[3] = {static_cast<unsigned char>(status),
                                    static_cast<unsigned char>(packed >> 8 & 0x7F),
                                    static_cast<unsigned char>(packed >> 16 & 0x7F)};
    std::lock_guard lock(mutex_);
    lastError_.clear();
    try {
      out_->sendMessage(bytes, size);
    } catch (const RtMidiError& e) {
      lastError_ = QString::fromStdString(e.getMessage());
    }
    if (lastError_.isEmpty()) return true;
    if (error) *error = lastError_;
    return false;
  }
  void reset() override {
    for (int ch = 0; ch < 16; ++ch) send(pxmidi::packShortMsg(0xB0 + ch, 123, 0), nullptr);
  }

 private:
  static void onError(RtMidiError::Type, const std::string& text, void* self) {
    static_cast<PortOutput*>(self)->lastError_ = QString::fromStdString(text);
  }
  std::mutex mutex_;
  std::unique_ptr<RtMidiOut> out_;
  QString lastError_;
};

}  // namespace

void quietAlsa() {
  static std::once_flag once;
  std::call_once(once, [] { snd_lib_error_set_handler(alsaSilent); });
}

QStringList listPorts(QString* error) {
  QStringList names;
  if (!sequencerPresent(error)) return names;
  try {
    RtMidiOut out(RtMidi::LINUX_ALSA, "Pealix");
    const unsigned n = out.getPortCount();
    for (unsigned i = 0; i < n; ++i) names << QString::fromStdString(out.getPortName(i));
  } catch (const RtMidiError& e) {
    if (error) *error = QString::fromStdString(e.getMessage());
  }
  return names;
}

std::unique_ptr<pxmidi::MidiOutput> openPort(int index, QString* error) {
  if (!sequencerPresent(error)) return nullptr;
  try {
    auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, "Pealix");
    if (index < 0 || static_cast<unsigned>(index) >= out->getPortCount()) {
      if (error) *error = QStringLiteral("The MIDI port %1 is no longer there.").arg(index);
      return nullptr;
    }
    auto port = std::make_unique<PortOutput>(std::move(out));
    if (!port->open(static_cast<unsigned>(index), error)) return nullptr;
    return port;
  } catch (const RtMidiError& e) {
    if (error) *error = QString::fromStdString(e.getMessage());
    return nullptr;
  }
}

}  // namespace pxplugin

#include "playback/modmidiplay.h"

const QString modMidiplay::kErrDevices = QStringLiteral("Error Obtaining Midi Out Devices");
const QString modMidiplay::kErrOpen = QStringLiteral("Error opening MIDI OUT Port");
const QString modMidiplay::kErrClose = QStringLiteral("Error closing MIDI OUT Port");

modMidiplay::modMidiplay(pxmidi::MidiBackend& backend, MessageSink sink,
                         std::unique_ptr<pxplay::PlaybackTimer> timer)
    : backend_(backend),
      constructionSink_(sinks_.install(std::move(sink))),
      timer_(std::move(timer)) {
  if (!timer_) timer_ = std::make_unique<pxplay::SteadyTimer>();
}

modMidiplay::~modMidiplay() {
  AbortPlay();
  if (output_) output_->reset();
}

void modMidiplay::show(const QString& text) const {
  if (const auto sink = sinks_.current()) (*sink)(text);
}

QList<modMidiplay::DeviceEntry> modMidiplay::FillDeviceList() {
  QList<DeviceEntry> list;
  QString error;
  const int n = backend_.portCount(&error);
  for (int id = -1; id < n; ++id) {
    QString name;
    if (!backend_.deviceName(id, &name)) {
      show(kErrDevices);
      continue;
    }
    list.append({name.left(32), id});
  }
  return list;
}

int modMidiplay::DeviceCount() {
  return backend_.portCount(nullptr) + 1;
}

bool modMidiplay::OpenMidiOut(int deviceId, bool open, bool quiet) {
  if (playing_) AbortPlay();
  if (!open) {
    if (output_) output_->reset();
    output_.reset();
    engine_.reset();
    deviceId_ = -2;
    ready_ = false;
    return true;
  }
  if (output_) output_->reset();
  output_.reset();
  engine_.reset();
  ready_ = false;
  QString error;
  std::unique_ptr<pxmidi::MidiOutput> out = backend_.open(deviceId, &error);
  if (!out) {
    lastError_ = error;
    deviceId_ = -2;
    if (!quiet) show(error.isEmpty() ? kErrOpen : kErrOpen + QStringLiteral("\n\n") + error);
    return false;
  }
  lastError_.clear();
  UseOutput(std::move(out), deviceId);
  return true;
}

void modMidiplay::UseOutput(std::unique_ptr<pxmidi::MidiOutput> output, int deviceId) {
  if (playing_) AbortPlay();
  output_ = std::move(output);
  deviceId_ = deviceId;
  engine_ = output_ ? std::make_unique<pxplay::PlaybackEngine>(*output_, *timer_) : nullptr;
}

bool modMidiplay::SendShortMsg(int status, int data1, int data2) {
  if (!output_) return false;
  QString error;
  if (output_->send(pxmidi::packShortMsg(status, data1, data2), &error)) return true;
  show(error.left(128));
  return false;
}

bool modMidiplay::StartPlay(const pxvbMelody& viewMelody, bool ignoreVolume,
                            pxplay::PlaybackObserver observer,
                            std::function<void(const pxplay::PlaybackResult&)> finished) {
  if (!engine_ || playing_) return false;
  if (thread_.joinable()) thread_.join();
  playMelody_.assign(viewMelody);
  if (playMelody_.bpm() < 1) playMelody_.setbpm(1);
  pxplay::Schedule schedule = pxplay::computeSchedule(playMelody_, ignoreVolume);
  engine_->rearm();
  playing_ = true;
  thread_ = std::thread([this, schedule = std::move(schedule), observer = std::move(observer),
                         finished = std::move(finished)] {
    const pxplay::PlaybackResult result = engine_->run(schedule, observer);
    playing_ = false;
    if (finished) finished(result);
  });
  return true;
}

void modMidiplay::StopPlay() {
  if (engine_ && playing_) engine_->requestStop();
}

void modMidiplay::AbortPlay() {
  if (engine_ && playing_) engine_->abort();
  WaitPlay();
}

void modMidiplay::WaitPlay() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

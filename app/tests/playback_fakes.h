// Test doubles for playback: a clock that jumps to each deadline at once (optionally with
// a stop request at a chosen time), and a device list of recording outputs.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "playback/midiout.h"
#include "playback/playengine.h"

namespace pxtest {

class ManualTimer : public pxplay::PlaybackTimer {
 public:
  int64_t nowUs() override { return now_; }
  bool waitUntil(int64_t deadlineUs) override {
    if (takeWake()) return false;
    if (action_ && actionAtUs_ >= now_ && actionAtUs_ <= deadlineUs) {
      now_ = actionAtUs_;
      auto action = std::move(action_);
      action_ = nullptr;
      action();
      if (takeWake()) return false;
    }
    now_ = std::max(now_, deadlineUs);
    return true;
  }
  void wake() override { woken_ = true; }
  // Runs action (e.g. a stop request) when the clock passes atUs during a wait.
  void at(int64_t atUs, std::function<void()> action) {
    actionAtUs_ = atUs;
    action_ = std::move(action);
  }
  void set(int64_t us) { now_ = us; }

 private:
  bool takeWake() {
    const bool w = woken_;
    woken_ = false;
    return w;
  }
  int64_t now_ = 5'000'000;
  bool woken_ = false;
  int64_t actionAtUs_ = -1;
  std::function<void()> action_;
};

// Devices -1..n-1 by name; every open gives a recording output stamped by the clock.
class RecordingBackend : public pxmidi::MidiBackend {
 public:
  RecordingBackend(QStringList names, pxplay::PlaybackTimer* clock = nullptr)
      : names_(std::move(names)), clock_(clock) {}
  int portCount(QString*) override { return static_cast<int>(names_.size()) - 1; }
  bool deviceName(int id, QString* name) override {
    if (id + 1 < 0 || id + 1 >= names_.size() || names_[id + 1].isNull()) return false;
    *name = names_[id + 1];
    return true;
  }
  std::unique_ptr<pxmidi::MidiOutput> open(int id, QString* error) override {
    ++opens;
    if (failOpen || id + 1 < 0 || id + 1 >= names_.size()) {
      if (error) *error = QStringLiteral("no audio output");
      return nullptr;
    }
    lastId = id;
    pxplay::PlaybackTimer* clock = clock_;
    auto out = std::make_unique<pxmidi::RecordingOutput>(
        clock ? std::function<int64_t()>([clock] { return clock->nowUs(); })
              : std::function<int64_t()>());
    last = out.get();
    return out;
  }
  pxmidi::RecordingOutput* last = nullptr;  // the output opened last (owned by the player)
  int lastId = -99;
  int opens = 0;
  bool failOpen = false;

 private:
  QStringList names_;
  pxplay::PlaybackTimer* clock_;
};

}  // namespace pxtest

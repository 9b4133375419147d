// Playback: the schedule the engine computes (styles, velocities, volume changes), and
// what reaches a recording output on a clock that jumps from deadline to deadline.
#include <gtest/gtest.h>

#include "melody/pxvbmelody.h"
#include "playback/modmidiplay.h"
#include "playback/playschedule.h"
#include "playback_fakes.h"

using pxplay::TimedMessage;

namespace {

using Msg = pxmidi::RecordingOutput::Message;

pxvbMelody quarterAt120(int style) {
  pxvbMelody m;
  m.setbpm(120);
  m.setDefStyle(style);
  m.addevent(4, 0, 1, 69, 100);
  m.addevent(4, 0, 1, 71, 100);
  return m;
}

// Plays with the engine on a manual clock; the recorded times are relative to the start.
struct Played {
  std::vector<Msg> messages;
  pxplay::PlaybackResult result;
  std::vector<int> started;
};

Played play(const pxvbMelody& m, bool ignoreVolume, int64_t stopAtMs = -1, bool abort = false) {
  pxtest::ManualTimer timer;
  const int64_t t0 = timer.nowUs();
  pxmidi::RecordingOutput out([&timer, t0] { return (timer.nowUs() - t0) / 1000; });
  pxplay::PlaybackEngine engine(out, timer);
  if (stopAtMs >= 0)
    timer.at(t0 + stopAtMs * 1000,
             [&engine, abort] { abort ? engine.abort() : engine.requestStop(); });
  Played r;
  pxplay::PlaybackObserver observer;
  observer.eventStarted = [&r](int e) { r.started.push_back(e); };
  r.result = engine.run(pxplay::computeSchedule(m, ignoreVolume), observer);
  r.messages = out.messages();
  return r;
}

}  // namespace

TEST(PlaybackSchedule, StylesSplitAQuarterAt120IntoSoundAndSilence) {
  struct Case {
    int style;
    int64_t sound;
  } cases[] = {{2, 250}, {0, 375}, {1, 500}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    const pxplay::Schedule s = pxplay::computeSchedule(quarterAt120(c.style), true);
    ASSERT_EQ(s.events.size(), 2u);
    EXPECT_EQ(s.events[0].soundEndMs, c.sound);
    EXPECT_EQ(s.events[0].endMs, 500);
    EXPECT_EQ(s.events[1].startMs, 500);
    EXPECT_EQ(s.totalMs, 1000);
    const std::vector<TimedMessage> expected = {{0, 0, 144, 69, 127},
                                                {c.sound, 0, 128, 69, 127},
                                                {500, 1, 144, 71, 127},
                                                {500 + c.sound, 1, 128, 71, 127}};
    EXPECT_EQ(s.messages(), expected);
  }
}

TEST(PlaybackSchedule, StyleChangeEventSwitchesTheSplitForTheFollowingNotes) {
  pxvbMelody m = quarterAt120(1);
  m.mInsert(1, 1);
  m.setEvent(1, 3);
  m.setEventVal1(1, 2);  // staccato from the second note on
  const pxplay::Schedule s = pxplay::computeSchedule(m, true);
  EXPECT_EQ(s.events[0].soundEndMs, 500);
  EXPECT_EQ(s.events[1].startMs, 500);  // a style change takes no time
  EXPECT_EQ(s.events[1].endMs, 500);
  EXPECT_EQ(s.events[2].soundEndMs, 750);
  EXPECT_EQ(s.totalMs, 1000);
}

TEST(PlaybackSchedule, VelocitiesFollowNotesThenVolumeChanges) {
  pxvbMelody m;
  m.addevent(8, 0, 1, 60, 90);  // own velocity before any volume change
  m.addevent(0, 0, 5, 0, 125);  // absolute 125
  m.addevent(0, 0, 5, 1, 1);    // +8
  m.addevent(0, 0, 5, 1, 1);    // +8: 141
  m.addevent(8, 0, 1, 62, 40);  // sent as 127, and 127 is kept
  m.addevent(0, 0, 5, 1, 0);    // -8 from 127
  m.addevent(8, 0, 1, 64, 40);
  m.addevent(0, 0, 5, 0, 200);  // absolute beyond the range
  m.addevent(8, 0, 1, 65, 40);
  m.addevent(0, 0, 5, 0, -30);
  m.addevent(8, 0, 1, 67, 40);
  std::vector<int> velocities;
  for (const TimedMessage& t : pxplay::computeSchedule(m, false).messages())
    if (t.status == 144) velocities.push_back(t.data2);
  EXPECT_EQ(velocities, (std::vector<int>{90, 127, 119, 127, 0}));

  velocities.clear();
  for (const TimedMessage& t : pxplay::computeSchedule(m, true).messages())
    if (t.status == 144) velocities.push_back(t.data2);
  EXPECT_EQ(velocities, (std::vector<int>(5, 127)));
}

TEST(PlaybackSchedule, PausesAndControlEventsSendNothingButTakeTheirTime) {
  pxvbMelody m;
  m.setbpm(60);
  m.setDefStyle(0);
  m.addevent(4, 1, 16);          // dotted quarter pause: 1500 ms
  m.addevent(0, 0, 4, 200);      // tempo change: not applied while playing
  m.addevent(0, 0, 6, 1, 2);     // loop marker
  m.addevent(2, 0, 1, 60, 127);  // half: 2000 ms, natural 1500 + 500
  const pxplay::Schedule s = pxplay::computeSchedule(m, true);
  EXPECT_EQ(s.totalMs, 3500);
  const std::vector<TimedMessage> expected = {{1500, 3, 144, 60, 127}, {3000, 3, 128, 60, 127}};
  EXPECT_EQ(s.messages(), expected);
}

TEST(PlaybackEngine, SendsEveryMessageAtItsScheduledTime) {
  pxvbMelody m = quarterAt120(0);
  m.addevent(8, 0, 16);
  m.addevent(16, 1, 1, 72, 127);
  const Played r = play(m, true);
  const pxplay::Schedule s = pxplay::computeSchedule(m, true);
  std::vector<Msg> expected;
  for (const TimedMessage& t : s.messages())
    expected.push_back({t.atMs, t.status, t.data1, t.data2});
  EXPECT_EQ(r.messages, expected);
  EXPECT_EQ(r.started, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_FALSE(r.result.stopped);
  EXPECT_EQ(r.result.elapsedMs, s.totalMs);
  EXPECT_EQ(r.result.expectedMs, s.totalMs);
}

TEST(PlaybackEngine, StopEndsAfterTheSoundingNoteOrAtOnceInSilence) {
  pxvbMelody m;
  m.setDefStyle(0);
  m.addevent(1, 0, 1, 60, 127);  // whole note at 120: 1500 sound, 500 gap
  m.addevent(1, 0, 16);          // whole pause
  m.addevent(4, 0, 1, 62, 127);

  {  // during the long note: its note-off comes on time, nothing follows
    const Played r = play(m, true, 300);
    EXPECT_EQ(r.messages, (std::vector<Msg>{{0, 144, 60, 127}, {1500, 128, 60, 127}}));
    EXPECT_TRUE(r.result.stopped);
    EXPECT_EQ(r.result.elapsedMs, 1500);
    EXPECT_EQ(r.result.eventsStarted, 1);
  }
  {  // during the gap after the note
    const Played r = play(m, true, 1700);
    EXPECT_EQ(r.messages.size(), 2u);
    EXPECT_EQ(r.result.elapsedMs, 1700);
  }
  {  // during the pause
    const Played r = play(m, true, 2600);
    EXPECT_EQ(r.messages.size(), 2u);
    EXPECT_EQ(r.result.elapsedMs, 2600);
    EXPECT_EQ(r.result.eventsStarted, 2);
  }
  {  // an abort silences the note at once
    const Played r = play(m, true, 300, true);
    EXPECT_EQ(r.messages, (std::vector<Msg>{{0, 144, 60, 127}, {300, 128, 60, 127}}));
  }
}

TEST(PlaybackEngine, AFailedSendEndsThePlaybackWithTheReason) {
  pxtest::ManualTimer timer;
  pxmidi::RecordingOutput out;
  out.failWith(QStringLiteral("device unplugged"));
  pxplay::PlaybackEngine engine(out, timer);
  const pxplay::PlaybackResult r = engine.run(pxplay::computeSchedule(quarterAt120(1), true));
  EXPECT_EQ(r.error, QStringLiteral("device unplugged"));
  EXPECT_EQ(r.eventsStarted, 1);
  EXPECT_EQ(r.elapsedMs, 0);
}

TEST(ModMidiplay, DeviceListOpenAndMessages) {
  QStringList shown;
  pxtest::RecordingBackend backend({QStringLiteral("Synth"),
                                    QStringLiteral("A port with a very long name, longer than 32"),
                                    QString()});
  modMidiplay player(backend, [&shown](const QString& t) { shown << t; });

  const QList<modMidiplay::DeviceEntry> list = player.FillDeviceList();
  ASSERT_EQ(list.size(), 2);
  EXPECT_EQ(list[0].id, -1);
  EXPECT_EQ(list[1].id, 0);
  EXPECT_EQ(list[1].name.size(), 32);
  EXPECT_EQ(shown, QStringList{modMidiplay::kErrDevices});  // device 1 cannot be described
  shown.clear();

  EXPECT_FALSE(player.SendShortMsg(144, 60, 100));  // nothing open
  ASSERT_TRUE(player.OpenMidiOut(-1, true, false));
  EXPECT_TRUE(player.portOpen());
  EXPECT_TRUE(player.ProgramChange(0, 19));
  EXPECT_TRUE(player.ControlChange(0, 7, 100));
  EXPECT_EQ(backend.last->messages(), (std::vector<Msg>{{0, 192, 19, 0}, {0, 176, 7, 100}}));
  backend.last->failWith(QStringLiteral("write failed"));
  EXPECT_FALSE(player.SendShortMsg(144, 60, 100));
  EXPECT_EQ(shown, QStringList{"write failed"});
  shown.clear();

  // A failed open leaves the port closed; quiet keeps it silent.
  backend.failOpen = true;
  EXPECT_FALSE(player.OpenMidiOut(0, true, true));
  EXPECT_FALSE(player.portOpen());
  EXPECT_TRUE(shown.isEmpty());
  EXPECT_FALSE(player.OpenMidiOut(0, true, false));
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].startsWith(modMidiplay::kErrOpen));
  EXPECT_TRUE(shown[0].contains("no audio output"));
  EXPECT_FALSE(player.StartPlay(quarterAt120(1), true));
}

TEST(ModMidiplay, StartPlayCopiesTheMelodyAndPlaysItOnItsThread) {
  auto timer = std::make_unique<pxtest::ManualTimer>();
  pxtest::ManualTimer* clock = timer.get();
  pxtest::RecordingBackend backend({QStringLiteral("Synth")}, clock);
  modMidiplay player(backend, nullptr, std::move(timer));
  ASSERT_TRUE(player.OpenMidiOut(-1, true, false));
  const int64_t t0 = clock->nowUs();

  pxvbMelody view = quarterAt120(2);
  std::atomic<int> finished{0};
  pxplay::PlaybackResult result;
  ASSERT_TRUE(player.StartPlay(view, true, {}, [&](const pxplay::PlaybackResult& r) {
    result = r;
    ++finished;
  }));
  view.setbpm(60);  // the playback works on its own copy
  player.WaitPlay();
  EXPECT_EQ(finished, 1);
  EXPECT_FALSE(player.playing());
  EXPECT_EQ(result.elapsedMs, 1000);
  EXPECT_EQ(player.playMelody().bpm(), 120);
  const std::vector<Msg> got = backend.last->messages();
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[1].timeUs - t0, 250'000);
  EXPECT_EQ(got[3].timeUs - t0, 750'000);

  // A stop requested before the next playback does not cut it short.
  player.StopPlay();
  ASSERT_TRUE(player.StartPlay(view, true));
  player.WaitPlay();
  EXPECT_EQ(backend.last->messages().size(), 8u);
}

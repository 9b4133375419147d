// Melody modification: duration scaling with splitting, velocities <-> volume events, the
// volume level mapping, and the record output rules.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <random>
#include <vector>

#include "model/melody.h"
#include "model/modify.h"
#include "rvmelody.h"

namespace rv {
namespace {

EventRecord rec(int32_t simpleLen, int32_t dotLen, int32_t kind, int32_t v1 = 0, int32_t v2 = 0) {
  return EventRecord{simpleLen, dotLen, kind, v1, v2, 0, 0};
}
EventRecord note(int32_t simpleLen, int32_t key, int32_t velocity) {
  return rec(simpleLen, 0, Note, key, velocity);
}
EventRecord volume(int32_t mode, int32_t value) {
  return rec(0, -1, VolumeChange, mode, value);
}

struct Result {
  int32_t code;
  std::vector<EventRecord> records;  // the count written back
};

Result modify(std::vector<EventRecord> records, int32_t operation, int32_t factor = 0,
              int32_t capacity = -1) {
  int32_t count = static_cast<int32_t>(records.size());
  if (capacity < 0) capacity = count + 16;
  records.resize(static_cast<size_t>(std::max(capacity, count)));
  const int32_t code = modifyRecords(records.data(), capacity, &count, operation, factor);
  records.resize(static_cast<size_t>(count));
  return {code, records};
}

void expectRecord(const EventRecord& r, int32_t simpleLen, int32_t dotLen, int32_t kind, int32_t v1,
                  int32_t v2) {
  EXPECT_EQ(r.iSimpleLen, simpleLen);
  EXPECT_EQ(r.iDotLen, dotLen);
  EXPECT_EQ(r.nEvent, kind);
  EXPECT_EQ(r.EventVal1, v1);
  EXPECT_EQ(r.EventVal2, v2);
}

TEST(VolumeLevels, VelocityToLevelUsesMidpoints) {
  const std::pair<int32_t, int32_t> cases[] = {
      {0, 0},    {1, 0},      {9, 0},    {10, 1},   {19, 1},         {20, 1},
      {24, 2},   {25, 2},     {100, 11}, {101, 12}, {126, 15},       {127, 15},
      {128, 15}, {40000, 15}, {-5, 7},   {-1, 7},   {INT32_MAX, 15}, {INT32_MIN, 7}};
  for (auto [velocity, level] : cases)
    EXPECT_EQ(velocityToVolumeLevel(velocity), level) << "velocity " << velocity;
}

TEST(VolumeLevels, LevelToVelocity) {
  const std::pair<int32_t, int32_t> cases[] = {
      {-1, 70},  {0, 0},    {1, 20},      {7, 70},         {8, 77},         {14, 119},
      {15, 127}, {16, 127}, {65539, 127}, {INT32_MIN, 70}, {INT32_MAX, 127}};
  for (auto [level, velocity] : cases)
    EXPECT_EQ(volumeLevelToVelocity(level), velocity) << "level " << level;
  for (int32_t level = 0; level <= 15; ++level)
    EXPECT_EQ(velocityToVolumeLevel(volumeLevelToVelocity(level)), level);
}

TEST(Modify, RefusesBadArguments) {
  std::vector<EventRecord> one = {note(4, 60, 100)};
  int32_t count = 1;
  EXPECT_EQ(modifyRecords(one.data(), 0, &count, 1, 2), RV_BAD_COUNT);
  count = 0;
  EXPECT_EQ(modifyRecords(one.data(), 1, &count, 1, 2), RV_BAD_COUNT);
  count = 2;
  EXPECT_EQ(modifyRecords(one.data(), 1, &count, 1, 2), RV_BAD_COUNT);
  count = 1;
  EXPECT_EQ(modifyRecords(one.data(), 1, &count, 1, 0), RV_UNSUPPORTED);
  EXPECT_EQ(modifyRecords(one.data(), 1, &count, 1, -3), RV_UNSUPPORTED);
  EXPECT_EQ(modifyRecords(one.data(), 1, &count, 3, 2), RV_UNSUPPORTED);
  EXPECT_EQ(modifyRecords(nullptr, 1, &count, 1, 2), RV_UNSUPPORTED);
  EXPECT_EQ(modifyRecords(one.data(), 1, nullptr, 1, 2), RV_UNSUPPORTED);
  EXPECT_EQ(count, 1);
  expectRecord(one[0], 4, 0, Note, 60, 100);
}

TEST(ModifyScale, DoublesAndSplitsAtTheWholeNote) {
  Result r = modify({note(2, 60, 90), note(1, 62, 80), rec(4, 1, Pause)}, 1, 2);
  ASSERT_EQ(r.code, RV_OK);
  ASSERT_EQ(r.records.size(), 4u);
  expectRecord(r.records[0], 1, 0, Note, 60, 90);   // half -> whole
  expectRecord(r.records[1], 1, 0, Note, 62, 127);  // whole -> whole note + whole rest
  expectRecord(r.records[2], 1, 0, Pause, 0, 0);
  expectRecord(r.records[3], 2, 1, Pause, 0, 0);  // dotted quarter -> dotted half
}

TEST(ModifyScale, ControlEventsKeepZeroDuration) {
  Result r =
      modify({rec(0, 0, TempoChange, 140), note(8, 70, 50), rec(0, 0, StyleChange, 2)}, 1, 3);
  ASSERT_EQ(r.code, RV_OK);
  ASSERT_EQ(r.records.size(), 3u);
  expectRecord(r.records[0], 0, 0, TempoChange, 140, 0);
  expectRecord(r.records[1], 4, 1, Note, 70, 50);  // 48 x 3 = 144 ticks
  expectRecord(r.records[2], 0, 0, StyleChange, 2, 0);
}

TEST(ModifyScale, HugeFactorFillsTheCapacityWithoutBlowingUp) {
  // A whole note times 2^31-1 would be millions of rests; only the records that fit are
  // produced, and the result says the records ran out.
  Result r = modify({note(1, 60, 100), note(4, 62, 100)}, 1, INT32_MAX, 10);
  EXPECT_EQ(r.code, RV_BUFFER_TOO_SMALL);
  ASSERT_EQ(r.records.size(), 10u);
  expectRecord(r.records[0], 1, 0, Note, 60, 127);
  for (size_t i = 1; i < 10; ++i) expectRecord(r.records[i], 1, 0, Pause, 0, 0);

  Result ticks =
      modify({rec(INT32_MAX, -1, Note, 60, 1), rec(-1000, -1, Note, 61, 1)}, 1, INT32_MAX, 4);
  EXPECT_EQ(ticks.code, RV_BUFFER_TOO_SMALL);
  EXPECT_EQ(ticks.records.size(), 4u);
}

TEST(ModifyScale, SplitPiecesThatFitExactlyAreNotAnOverflow) {
  // Three whole notes' time: one whole note and two whole rests, exactly three records.
  Result r = modify({rec(384 * 3, -1, Note, 60, 100)}, 1, 1, 3);
  EXPECT_EQ(r.code, RV_OK);
  EXPECT_EQ(r.records.size(), 3u);
  Result less = modify({rec(384 * 3, -1, Note, 60, 100)}, 1, 1, 2);
  EXPECT_EQ(less.code, RV_BUFFER_TOO_SMALL);
  EXPECT_EQ(less.records.size(), 2u);
}

TEST(ModifyVelocities, InsertsVolumeEventsWhereTheVelocityChanges) {
  Result r = modify({note(4, 60, 100), note(4, 62, 100), rec(8, 0, Pause), note(4, 64, 80)}, 5);
  ASSERT_EQ(r.code, RV_OK);
  ASSERT_EQ(r.records.size(), 6u);
  expectRecord(r.records[0], 0, 0, VolumeChange, 0, 100);
  expectRecord(r.records[1], 4, 0, Note, 60, 100);
  expectRecord(r.records[2], 4, 0, Note, 62, 100);
  expectRecord(r.records[3], 8, 0, Pause, 0, 0);
  expectRecord(r.records[4], 0, 0, VolumeChange, 0, 80);
  expectRecord(r.records[5], 4, 0, Note, 64, 80);

  Result seven = modify({note(4, 60, 7), note(4, 62, 7)}, 5);
  ASSERT_EQ(seven.code, RV_OK);
  ASSERT_EQ(seven.records.size(), 2u);
  EXPECT_EQ(seven.records[0].nEvent, Note);
}

TEST(ModifyVelocities, RefusesAMelodyThatHasVolumeEvents) {
  std::vector<EventRecord> records = {note(4, 60, 100), volume(0, 50), note(4, 62, 30)};
  const std::vector<EventRecord> before = records;
  records.resize(10);
  int32_t count = 3;
  EXPECT_EQ(modifyRecords(records.data(), 10, &count, 5, 0), RV_MODIFY_HAS_VOLUME);
  EXPECT_EQ(count, 3);
  for (size_t i = 0; i < before.size(); ++i)
    expectRecord(records[i], before[i].iSimpleLen, before[i].iDotLen, before[i].nEvent,
                 before[i].EventVal1, before[i].EventVal2);
}

TEST(ModifyVolumes, FoldsVolumeEventsIntoVelocities) {
  Result r = modify({volume(0, 50), note(4, 60, 100), volume(1, 1), note(4, 62, 100)}, 6);
  ASSERT_EQ(r.code, RV_OK);
  ASSERT_EQ(r.records.size(), 2u);
  expectRecord(r.records[0], 4, 0, Note, 60, 50);
  expectRecord(r.records[1], 4, 0, Note, 62, 62);  // 50 is level 5, one up is 62

  // Softer steps stop at level 0.
  Result down = modify({volume(0, 20), volume(1, -1), volume(1, 0), note(4, 60, 90)}, 6);
  ASSERT_EQ(down.records.size(), 1u);
  EXPECT_EQ(down.records[0].EventVal2, 0);
}

TEST(ModifyVolumes, OnlyRelativeChangesKeepTheNotesVelocities) {
  Result r = modify({volume(1, 1), note(4, 60, 33), volume(1, 0), note(4, 62, 44)}, 6);
  ASSERT_EQ(r.code, RV_OK);
  ASSERT_EQ(r.records.size(), 2u);
  EXPECT_EQ(r.records[0].EventVal2, 33);
  EXPECT_EQ(r.records[1].EventVal2, 44);
}

TEST(ModifyOutput, ZeroLengthNotesAreNotWrittenBack) {
  Result r = modify({note(4, 60, 90), rec(0, -1, Note, 61, 90), note(8, 62, 90)}, 6);
  ASSERT_EQ(r.code, RV_OK);
  ASSERT_EQ(r.records.size(), 2u);
  EXPECT_EQ(r.records[0].EventVal1, 60);
  EXPECT_EQ(r.records[1].EventVal1, 62);

  // Zero-length notes that are dropped do not count against the capacity: four events,
  // two of them written, fit three records.
  Result fits =
      modify({note(4, 60, 50), rec(0, -1, Note, 61, 50), rec(0, -1, Note, 62, 50)}, 5, 0, 3);
  EXPECT_EQ(fits.code, RV_OK);
  ASSERT_EQ(fits.records.size(), 2u);
  expectRecord(fits.records[0], 0, 0, VolumeChange, 0, 50);
  expectRecord(fits.records[1], 4, 0, Note, 60, 50);
}

TEST(ModifyOutput, MoreEventsThanCapacityFillEveryRecord) {
  Result r = modify({note(4, 60, 10), note(4, 62, 20), note(4, 64, 30)}, 5, 0, 3);
  EXPECT_EQ(r.code, RV_BUFFER_TOO_SMALL);
  ASSERT_EQ(r.records.size(), 3u);
  expectRecord(r.records[0], 0, 0, VolumeChange, 0, 10);
  expectRecord(r.records[1], 4, 0, Note, 60, 10);
  expectRecord(r.records[2], 0, 0, VolumeChange, 0, 20);
}

TEST(ModifyOutput, ArbitraryRecordsStayWithinTheCapacity) {
  std::mt19937 random(7);
  const int32_t extremes[] = {0, -1, 1, 127, 128, 384, INT32_MAX, INT32_MIN, -384, 65536 + 1};
  auto pick = [&]() -> int32_t {
    return random() % 2 ? extremes[random() % std::size(extremes)]
                        : static_cast<int32_t>(random() % 300) - 20;
  };
  for (int round = 0; round < 300; ++round) {
    const int32_t count = 1 + static_cast<int32_t>(random() % 12);
    const int32_t capacity = count + static_cast<int32_t>(random() % 6);
    std::vector<EventRecord> records(static_cast<size_t>(capacity) + 1);
    for (int32_t i = 0; i < count; ++i)
      records[i] = EventRecord{pick(), pick(), pick(), pick(), pick(), pick(), pick()};
    const EventRecord guard{11, 22, 33, 44, 55, 66, 77};
    records[capacity] = guard;  // must not be touched
    const int32_t operation = std::array{1, 5, 6}[random() % 3];
    int32_t n = count;
    const int32_t code =
        modifyRecords(records.data(), capacity, &n, operation, std::max(1, pick()));
    EXPECT_TRUE(code == RV_OK || code == RV_MODIFY_HAS_VOLUME || code == RV_BUFFER_TOO_SMALL)
        << code;
    EXPECT_GE(n, 0);
    EXPECT_LE(n, capacity);
    EXPECT_EQ(records[capacity].iSimpleLen, guard.iSimpleLen);
    EXPECT_EQ(records[capacity].EventVal4, guard.EventVal4);
  }
}

TEST(MelodyModify, ScaleDurationsSaturates) {
  Melody melody;
  melody.addRecord(INT32_MAX / 2, -1, Note, 60, 100, 0, 0);
  melody.addRecord(1000, -1, Note, 60, 100, 0, 0);
  melody.setDurationAt(1, -1000);  // readers may leave odd durations behind
  melody.addRecord(0, -1, Note, 60, 100, 0, 0);
  melody.scaleDurations(5);
  EXPECT_EQ(melody.durationAt(0), INT32_MAX);
  EXPECT_EQ(melody.durationAt(1), -5000);
  EXPECT_EQ(melody.durationAt(2), 0);
  melody.scaleDurations(INT32_MAX);
  EXPECT_EQ(melody.durationAt(1), INT32_MIN);
}

// Through the exports, as the application calls them.
TEST(ModifyExport, ModifyAndVolumeMapping) {
  EventRecord records[4] = {{2, 0, Note, 60, 90, 0, 0}, {1, 0, Note, 62, 80, 0, 0}};
  int32_t count = 2;
  EXPECT_EQ(rvmModifyMelody(records, 4, &count, 1, 2), 1);
  ASSERT_EQ(count, 3);
  expectRecord(records[2], 1, 0, Pause, 0, 0);
  EXPECT_EQ(rvmModifyMelody(records, 2, &count, 1, 2), RV_BAD_COUNT);
  EXPECT_EQ(rvmModifyMelody(records, 4, &count, 7, 1), RV_UNSUPPORTED);
  EXPECT_EQ(rvMVelo2iVol(101), 12);
  EXPECT_EQ(rviVol2MVelo(-1), 70);
}

}  // namespace
}  // namespace rv

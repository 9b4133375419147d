// The exports of librvmelody.so, loaded by name as the program loads them.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "interface/readrecords.h"
#include "model/melody.h"
#include "rvmelody.h"

// One allocation can be made to fail, to see what an export does when memory runs out.
// The library loaded by name takes its allocations from here as well.
static std::atomic<int> gFailNextAllocation{0};

void* operator new(std::size_t size) {
  int armed = 1;
  if (gFailNextAllocation.compare_exchange_strong(armed, 0)) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// Not inlined: the compiler would otherwise pair operator new with free and warn.
[[gnu::noinline]] void operator delete(void* p) noexcept {
  std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

namespace fs = std::filesystem;

constexpr int32_t kGuard = 0x5EED;

struct Api {
  decltype(&rvtVersion) version;
  decltype(&rvtMeloSupport) support;
  decltype(&rvmReadMelo) read;
  decltype(&rvmMeloExport) exportMelo;
  decltype(&rvmMelo2String) toString;
  decltype(&rvmModifyMelody) modify;
  decltype(&rvSetHostHooks) setHooks;
};

// The outputs of one rvmReadMelo call; one guard record and byte lie past the capacities.
struct ReadOut {
  std::vector<EventRecord> records;
  int32_t count = 0;
  char title[18];
  uint32_t titleLength = 0;
};

// A host that keeps the clipboard and the last message in memory.
struct HookLog {
  std::string clipboard, caption, message;
  bool hasText = false;
  int sets = 0;
};

const char* hookGet(void* context) {
  auto* log = static_cast<HookLog*>(context);
  return log->hasText ? log->clipboard.c_str() : nullptr;
}

int32_t hookSet(void* context, const char* text) {
  auto* log = static_cast<HookLog*>(context);
  ++log->sets;
  log->clipboard = text;
  log->hasText = *text != '\0';
  return 1;
}

void hookMessage(void* context, const char* caption, const char* text) {
  static_cast<HookLog*>(context)->caption = caption;
  static_cast<HookLog*>(context)->message = text;
}

class Exports : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    lib_ = dlopen(PEALIX_BIN_DIR "/librvmelody.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib_, nullptr) << dlerror();
    bind("rvtVersion", api_.version);
    bind("rvtMeloSupport", api_.support);
    bind("rvmReadMelo", api_.read);
    bind("rvmMeloExport", api_.exportMelo);
    bind("rvmMelo2String", api_.toString);
    bind("rvmModifyMelody", api_.modify);
    bind("rvSetHostHooks", api_.setHooks);
  }

  template <typename F>
  static void bind(const char* name, F& fn) {
    fn = reinterpret_cast<F>(dlsym(lib_, name));
    ASSERT_NE(fn, nullptr) << name;
  }

  void SetUp() override {
    ASSERT_NE(lib_, nullptr);
    api_.setHooks(nullptr);
    dir_ = fs::temp_directory_path() /
           ("rvmelody_exports_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }

  void TearDown() override {
    api_.setHooks(nullptr);
    fs::remove_all(dir_);
  }

  void useHooks(HookLog& log) {
    hooks_ = RvHostHooks{&log, hookGet, hookSet, hookMessage};
    api_.setHooks(&hooks_);
  }

  // Quarter notes (every other one dotted) with an eighth pause every fifth event.
  static std::vector<EventRecord> notes(int n) {
    std::vector<EventRecord> records;
    for (int i = 0; i < n; ++i)
      records.push_back(i % 5 == 4 ? EventRecord{8, 0, 16, 0, 0, 0, 0}
                                   : EventRecord{4, i % 2, 1, 72 + i % 12, 127, 0, 0});
    return records;
  }

  static int32_t read(ReadOut& out, int32_t* control, const char* file, int32_t capacity = 16,
                      uint32_t titleCapacity = 16) {
    out.records.assign(capacity + 1, EventRecord{kGuard, kGuard, kGuard, kGuard, 0, 0, 0});
    std::memset(out.title, 'z', sizeof out.title);
    out.count = capacity;
    out.titleLength = titleCapacity;
    return api_.read(out.records.data(), &out.count, out.title, &out.titleLength, control, file,
                     nullptr, nullptr);
  }

  static std::string rtttlOf(const std::vector<EventRecord>& records, const char* title = "Tune") {
    std::vector<char> buffer(65536);
    uint32_t length = buffer.size();
    int32_t control[5] = {5, 0, 7, 0, 0};
    EXPECT_EQ(api_.toString(records.data(), records.size(), buffer.data(), &length, title, nullptr,
                            control),
              1);
    return std::string(buffer.data(), length);
  }

  static void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  static std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  static long filesIn(const fs::path& dir) {
    return std::distance(fs::directory_iterator(dir), fs::directory_iterator());
  }

  static void* lib_;
  static Api api_;
  RvHostHooks hooks_{};
  fs::path dir_;
};

void* Exports::lib_ = nullptr;
Api Exports::api_{};

TEST_F(Exports, VersionAndSupport) {
  int32_t v[4] = {};
  EXPECT_EQ(api_.version(&v[0], &v[1], &v[2], &v[3]), 1);
  EXPECT_EQ(std::vector<int32_t>(v, v + 4), (std::vector<int32_t>{1, 2, 10, 3}));
  EXPECT_EQ(api_.version(&v[0], nullptr, &v[2], &v[3]), 213);
  // 3 for the formats that are read and written, 1 for the write-only ones.
  for (int32_t id : {2, 7, 10}) EXPECT_EQ(api_.support(id), 3) << id;
  for (int32_t id : {3, 8, 9, 12, 14, 19}) EXPECT_EQ(api_.support(id), 1) << id;
  for (int32_t id : {0, 11, -7}) EXPECT_EQ(api_.support(id), -1) << id;
  EXPECT_EQ(api_.support(21), 3);  // Flipper Zero music files
}

// A Flipper Zero music file through the exports: element 4 comes back with the notes read
// to the nearest length the melody holds; the string is the file's text.
TEST_F(Exports, FlipperFileSaysWhatItRounded) {
  const std::string file = (dir_ / "a.txt").string();
  writeFile(file, "Filetype: Flipper Music Format\nVersion: 0\nBPM: 90\nNotes: 12C5, 8D5, 12E5\n");
  ReadOut out;
  int32_t control[5] = {5, 1, 21, 0, 255};
  ASSERT_EQ(read(out, control, file.c_str()), 1);
  EXPECT_EQ(out.count, 3);
  EXPECT_EQ(control[3], 90);
  EXPECT_EQ(control[4], 2);
  EXPECT_EQ(out.records[1].iSimpleLen, 8);
  EXPECT_EQ(out.records[1].EventVal1, 74);

  std::vector<char> buffer(4096);
  uint32_t length = buffer.size();
  int32_t write[5] = {5, 0, 21, 0, 0};
  ASSERT_EQ(
      api_.toString(out.records.data(), out.count, buffer.data(), &length, "", nullptr, write), 1);
  EXPECT_EQ(std::string(buffer.data(), length),
            "Filetype: Flipper Music Format\nVersion: 0\nBPM: 120\nDuration: 16\nOctave: 5\n"
            "Notes: C., 8D, E.\n");
  EXPECT_EQ(write[4], 1);
}

TEST_F(Exports, ReadArgumentChecks) {
  const std::string file = (dir_ / "a.rtx").string();
  writeFile(file, "x:d=4,o=5,b=100:c,d");
  ReadOut out;
  read(out, nullptr, file.c_str());  // sizes the buffers
  int32_t control[4] = {4, 1, 7, 0};
  EventRecord* r = out.records.data();
  int32_t* n = &out.count;
  uint32_t* tl = &out.titleLength;
  const char* f = file.c_str();
  EXPECT_EQ(api_.read(nullptr, n, out.title, tl, control, f, 0, 0), 213);
  EXPECT_EQ(api_.read(r, nullptr, out.title, tl, control, f, 0, 0), 213);
  EXPECT_EQ(api_.read(r, n, nullptr, tl, control, f, 0, 0), 213);
  EXPECT_EQ(api_.read(r, n, out.title, nullptr, control, f, 0, 0), 213);
  EXPECT_EQ(api_.read(r, n, out.title, tl, nullptr, f, 0, 0), 213);
  EXPECT_EQ(read(out, control, f, 0), 210);
  EXPECT_EQ(read(out, control, f, -1), 210);
  EXPECT_EQ(read(out, control, f, 4, 0), 210);

  int32_t shortControl[4] = {3, 1, 7, kGuard};
  EXPECT_EQ(read(out, shortControl, f), 213);
  EXPECT_EQ(shortControl[3], kGuard);
  for (int32_t source : {0, 3}) {
    int32_t c[4] = {4, source, 7, 0};
    EXPECT_EQ(read(out, c, f), 213);
  }
  int32_t badFormat[4] = {4, 1, 99, 0};
  EXPECT_EQ(read(out, badFormat, f), 213);
  EXPECT_EQ(read(out, control, ""), 210);
  EXPECT_EQ(read(out, control, nullptr), 213);
  EXPECT_EQ(read(out, control, (dir_ / "missing.rtx").c_str()), 51);
  EXPECT_EQ(read(out, control, dir_.c_str()), -1);  // a folder opens but cannot be read
  EXPECT_EQ(out.records[0].iSimpleLen, kGuard);
  EXPECT_EQ(out.title[0], 'z');

  EXPECT_EQ(read(out, control, f), 1);
  EXPECT_EQ(out.count, 2);
  EXPECT_EQ(control[3], 100);
}

TEST_F(Exports, ReadFillsRecordsAndCutsTheTitle) {
  const fs::path file = dir_ / "song.txt";
  writeFile(file, "Seventh:d=8,o=6,b=140:c,4d#5.,16p,\r\n2b.4,p");
  ReadOut out;
  int32_t control[6] = {5, 1, 7, 0, 255, kGuard};
  ASSERT_EQ(read(out, control, file.c_str(), 5, 5), 1);
  EXPECT_EQ(out.count, 5);
  EXPECT_STREQ(out.title, "Seven");
  EXPECT_EQ(out.title[6], 'z');
  EXPECT_EQ(out.titleLength, 5u);
  EXPECT_EQ(control[3], 140);
  EXPECT_EQ(control[4], 255);
  EXPECT_EQ(control[5], kGuard);

  const EventRecord expected[5] = {{8, 0, 1, 84, 127, 0, 0},
                                   {4, 1, 1, 75, 127, 0, 0},
                                   {16, 0, 16, 0, 0, 0, 0},
                                   {2, 1, 1, 71, 127, 0, 0},
                                   {8, 0, 16, 0, 0, 0, 0}};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(0, std::memcmp(&out.records[i], &expected[i], sizeof(EventRecord))) << i;
  EXPECT_EQ(out.records[5].iSimpleLen, kGuard);

  // More events than records: the records are filled as far as they go.
  writeFile(file, rtttlOf(notes(50)));
  ASSERT_EQ(read(out, control, file.c_str(), 40), 100);
  EXPECT_EQ(out.count, 40);
  EXPECT_EQ(out.records[38].nEvent, 1);
  EXPECT_EQ(out.records[39].nEvent, 16);
  EXPECT_EQ(out.records[40].iSimpleLen, kGuard);
  EXPECT_STREQ(out.title, "Tune");
}

TEST_F(Exports, ReadAnyFileGivesAResultCode) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 151) % 256));
  for (const std::string& bytes : {std::string(), binary, std::string(100000, ':'),
                                   std::string("x:d=4:") + std::string(100000, 'c')}) {
    const fs::path file = dir_ / "bad.rtx";
    writeFile(file, bytes);
    ReadOut out;
    int32_t control[4] = {4, 1, 7, 0};
    const int32_t result = read(out, control, file.c_str(), 8, 3);
    EXPECT_TRUE(result == 1 || result == 100 || result == -1) << result;
  }
}

// Each export reads and writes only the first N elements of the control array.
TEST_F(Exports, ControlArrayLengthsZeroToTwelve) {
  const std::vector<EventRecord> records = notes(6);
  int32_t fill[5] = {5, 2, 7, 0, 0};
  ASSERT_EQ(api_.exportMelo(records.data(), 6, "t", nullptr, nullptr, fill), 1);
  for (int32_t n = 0; n <= 12; ++n) {
    SCOPED_TRACE("N = " + std::to_string(n));
    std::vector<int32_t> control(n + 3);
    auto reset = [&](int32_t target) {
      const int32_t values[5] = {n, target, 7, 0, 255};
      for (int32_t i = 0; i < n + 3; ++i)
        control[i] = i == 0 ? n : i < n && i < 5 ? values[i] : kGuard;
    };
    auto guardsIntact = [&] {
      for (int32_t i = std::max(n, 1); i < n + 3; ++i) EXPECT_EQ(control[i], kGuard) << i;
    };

    reset(2);
    EXPECT_EQ(api_.exportMelo(records.data(), 6, "t", nullptr, nullptr, control.data()),
              n >= 5 ? 1 : 213);
    if (n >= 5) {
      EXPECT_EQ(control[4], 1) << "the RTTTL writer's result value";
    }
    guardsIntact();

    reset(0);
    std::vector<char> buffer(256);
    uint32_t length = buffer.size();
    EXPECT_EQ(
        api_.toString(records.data(), 6, buffer.data(), &length, "t", nullptr, control.data()),
        n >= 5 ? 1 : 213);
    guardsIntact();

    reset(2);
    ReadOut out;
    EXPECT_EQ(read(out, control.data(), nullptr), n >= 4 ? 1 : 213);
    if (n >= 4) {
      EXPECT_EQ(control[3], 125) << "BPM";
    }
    if (n >= 5) {
      EXPECT_EQ(control[4], 255) << "channel choice";
    }
    guardsIntact();
  }
}

TEST_F(Exports, StringBufferAndArguments) {
  const std::vector<EventRecord> records = notes(7);
  const char* title = "Birthday Song";
  const std::string text = rtttlOf(records, title);
  EXPECT_EQ(text, "Birthday :d=4,o=5,b=125:c,c#.,d,d#.,8p,f.,f#");

  std::vector<char> buffer(text.size() + 1, 'g');
  uint32_t length = text.size() - 1;
  int32_t control[5] = {5, 0, 7, 0, kGuard};
  EXPECT_EQ(api_.toString(records.data(), 7, buffer.data(), &length, title, nullptr, control), 217);
  EXPECT_EQ(length, text.size());
  EXPECT_EQ(buffer[0], 'g');
  length = text.size();
  EXPECT_EQ(api_.toString(records.data(), 7, buffer.data(), &length, title, nullptr, control), 1);
  EXPECT_EQ(std::string(buffer.data(), length), text);
  EXPECT_EQ(buffer[text.size()], 'g');  // no terminator

  control[3] = 200;  // a BPM above 0 sets the tempo
  length = buffer.size();
  EXPECT_EQ(api_.toString(records.data(), 7, buffer.data(), &length, "x", nullptr, control), 1);
  EXPECT_EQ(std::string(buffer.data(), 15), "x:d=4,o=5,b=200");

  const EventRecord* r = records.data();
  char* b = buffer.data();
  EXPECT_EQ(api_.toString(nullptr, 7, b, &length, "x", nullptr, control), 213);
  EXPECT_EQ(api_.toString(r, 7, nullptr, &length, "x", nullptr, control), 213);
  EXPECT_EQ(api_.toString(r, 7, b, nullptr, "x", nullptr, control), 213);
  EXPECT_EQ(api_.toString(r, 7, b, &length, "x", nullptr, nullptr), 213);
  length = 0;
  EXPECT_EQ(api_.toString(r, 7, b, &length, "x", nullptr, control), 213);
  length = buffer.size();
  EXPECT_EQ(api_.toString(r, 0, b, &length, "x", nullptr, control), 216);
  EXPECT_EQ(api_.toString(r, -3, b, &length, "x", nullptr, control), 216);
  using Pair = std::pair<int32_t, int32_t>;
  for (auto [target, format] :
       std::initializer_list<Pair>{{0, 12}, {0, 19}, {0, 0}, {0, 99}, {1, 7}}) {
    int32_t c[5] = {5, target, format, 0, 0};
    EXPECT_EQ(api_.toString(r, 7, b, &length, "x", nullptr, c), 213) << format;
  }
}

TEST_F(Exports, ClipboardThroughHostHooks) {
  HookLog log;
  useHooks(log);
  const std::vector<EventRecord> records = notes(9);
  int32_t control[5] = {5, 2, 7, 0, kGuard};
  ASSERT_EQ(api_.exportMelo(records.data(), 9, "Clip", nullptr, nullptr, control), 1);
  EXPECT_EQ(log.sets, 1);
  EXPECT_EQ(log.clipboard, rtttlOf(records, "Clip"));

  ReadOut out;
  int32_t readControl[4] = {4, 2, 7, 0};
  ASSERT_EQ(read(out, readControl, nullptr), 1);
  EXPECT_EQ(out.count, 9);
  EXPECT_STREQ(out.title, "Clip");
  log.clipboard.clear();
  EXPECT_EQ(read(out, readControl, nullptr), 31);
  log.hasText = false;
  EXPECT_EQ(read(out, readControl, nullptr), 30);

  // The native format needs its marker and at least 20 characters.
  log.hasText = true;
  readControl[2] = 10;
  for (const char* text : {"//RVPXPX4D5468", "4D546864000000060000", "//rvpxpx4D546864000000"}) {
    log.clipboard = text;
    EXPECT_EQ(read(out, readControl, nullptr), 39) << text;
  }
  readControl[2] = 7;

  // A melody that renders to nothing leaves the clipboard empty.
  const EventRecord silent{0, -1, 16, 0, 0, 0, 0};
  ASSERT_EQ(api_.exportMelo(&silent, 1, "", nullptr, nullptr, control), 1);
  EXPECT_FALSE(log.hasText);
  EXPECT_EQ(read(out, readControl, nullptr), 30);

  // NULL restores the process-local clipboard.
  api_.setHooks(nullptr);
  const int sets = log.sets;
  ASSERT_EQ(api_.exportMelo(records.data(), 3, "Local", nullptr, nullptr, control), 1);
  EXPECT_EQ(log.sets, sets);
  ASSERT_EQ(read(out, readControl, nullptr), 1);
  EXPECT_EQ(out.count, 3);

  // A NULL member takes the built-in service.
  const RvHostHooks onlyMessages{&log, nullptr, nullptr, hookMessage};
  api_.setHooks(&onlyMessages);
  ASSERT_EQ(read(out, readControl, nullptr), 1);
  EXPECT_STREQ(out.title, "Local");
}

TEST_F(Exports, MidiClipboardForm) {
  if (!(api_.support(10) & 1)) GTEST_SKIP() << "MIDI writer not built";
  HookLog log;
  useHooks(log);
  const std::vector<EventRecord> records = notes(4);
  int32_t control[5] = {5, 2, 10, 0, 0};
  ASSERT_EQ(api_.exportMelo(records.data(), 4, "m", nullptr, nullptr, control), 1);
  EXPECT_EQ(log.clipboard.rfind("//RVPXPX4D546864", 0), 0u) << log.clipboard.substr(0, 40);
  if (api_.support(10) & 2) {
    ReadOut out;
    int32_t readControl[7] = {7, 2, 10, 0, 255, 0, 0};
    EXPECT_EQ(read(out, readControl, nullptr), 1);
  }
}

// The clipboard text of a MIDI file is taken as far as the MIDI data goes: an odd last
// digit or characters after the data do not refuse it.
TEST_F(Exports, MidiClipboardTextWithATail) {
  if ((api_.support(10) & 3) != 3) GTEST_SKIP() << "MIDI reader or writer not built";
  HookLog log;
  useHooks(log);
  const std::vector<EventRecord> records = notes(4);
  int32_t control[5] = {5, 2, 10, 0, 0};
  ASSERT_EQ(api_.exportMelo(records.data(), 4, "m", nullptr, nullptr, control), 1);
  const std::string exact = log.clipboard;
  ReadOut out;
  int32_t readControl[7] = {7, 2, 10, 0, 255, 0, 0};
  for (const std::string tail : {"", "0", "F", "\r\n", "ABC", " trailing words\r\n"}) {
    log.clipboard = exact + tail;
    EXPECT_EQ(read(out, readControl, nullptr), 1) << "tail '" << tail << "'";
    EXPECT_EQ(out.count, 4);
  }
  // Damage inside the MIDI data still fails the read.
  log.clipboard = exact.substr(0, 8) + "ZZ" + exact.substr(10);  // the "M" of "MThd"
  EXPECT_EQ(read(out, readControl, nullptr), -1);
  log.clipboard = exact.substr(0, exact.size() - 3);
  EXPECT_EQ(read(out, readControl, nullptr), -1);
}

// The RTTTL writer's result (1, or -1 for a melody without events) reaches control[4] of
// both the export and the string rendering, as the other text writers' results do.
TEST_F(Exports, RtttlWriterResultInControl) {
  HookLog log;
  useHooks(log);
  const std::vector<EventRecord> records = notes(3);
  const EventRecord silent{0, 0, 16, 0, 0, 0, 0};  // a pause without length is dropped
  const std::string file = (dir_ / "t.rtx").string();
  std::vector<char> buffer(256);
  for (int32_t target : {1, 2}) {
    SCOPED_TRACE("target " + std::to_string(target));
    int32_t control[5] = {5, target, 7, 0, kGuard};
    EXPECT_EQ(api_.exportMelo(records.data(), 3, "t", file.c_str(), nullptr, control), 1);
    EXPECT_EQ(control[4], 1);
    control[4] = kGuard;
    EXPECT_EQ(api_.exportMelo(&silent, 1, "t", file.c_str(), nullptr, control), 1);
    EXPECT_EQ(control[4], -1);
  }
  int32_t control[5] = {5, 0, 7, 0, kGuard};
  uint32_t length = buffer.size();
  EXPECT_EQ(api_.toString(records.data(), 3, buffer.data(), &length, "t", nullptr, control), 1);
  EXPECT_EQ(control[4], 1);
  length = buffer.size();
  control[4] = kGuard;
  EXPECT_EQ(api_.toString(&silent, 1, buffer.data(), &length, "t", nullptr, control), -1);
  EXPECT_EQ(control[4], -1);
  EXPECT_EQ(length, 0u);
}

// Blanks inside RTTTL tokens and empty tokens do not cut a tune short.
TEST_F(Exports, RtttlReadKeepsTokensWithBlanks) {
  HookLog log;
  useHooks(log);
  log.hasText = true;
  struct Row {
    const char* text;
    int32_t count;
    int32_t bpm;
  } rows[] = {
      {"c: d=4, o=5, b=100: c, d, e", 3, 100},
      {"x:d=4,o=5,b=140:,8#g4,32p,a", 3, 140},
      {"x:d=4,o=5,b=140:8g,e5,2  a,b.,\t16c6 ,,p,", 6, 140},
      {"x:d=4,o=5,b=63: , ,", 0, 63},
  };
  for (const Row& row : rows) {
    log.clipboard = row.text;
    ReadOut out;
    int32_t control[4] = {4, 2, 7, 0};
    ASSERT_EQ(read(out, control, nullptr), 1) << row.text;
    EXPECT_EQ(out.count, row.count) << row.text;
    EXPECT_EQ(control[3], row.bpm) << row.text;
  }
  log.clipboard = "x:d=4,o=5,b=140:8g,e5,2  a,b.,\t16c6 ,,p,";
  ReadOut out;
  int32_t control[4] = {4, 2, 7, 0};
  ASSERT_EQ(read(out, control, nullptr), 1);
  const int32_t expected[6][4] = {{8, 0, 1, 79}, {4, 0, 1, 76},  {2, 0, 1, 81},
                                  {4, 1, 1, 83}, {16, 0, 1, 84}, {4, 0, 16, 0}};
  for (int i = 0; i < 6; ++i) {
    const EventRecord& r = out.records[i];
    EXPECT_EQ((std::vector<int32_t>{r.iSimpleLen, r.iDotLen, r.nEvent, r.EventVal1}),
              (std::vector<int32_t>(expected[i], expected[i] + 4)))
        << "event " << i;
  }
}

TEST_F(Exports, ExportArgumentChecks) {
  const std::vector<EventRecord> records = notes(3);
  const EventRecord* r = records.data();
  const std::string file = (dir_ / "out.rtx").string();
  const char* f = file.c_str();
  int32_t control[5] = {5, 1, 7, 0, kGuard};
  EXPECT_EQ(api_.exportMelo(nullptr, 3, "t", f, nullptr, control), 213);
  EXPECT_EQ(api_.exportMelo(r, 3, "t", f, nullptr, nullptr), 213);
  EXPECT_EQ(api_.exportMelo(r, 0, "t", f, nullptr, control), 216);
  EXPECT_EQ(api_.exportMelo(r, 3, "t", "", nullptr, control), 213);
  EXPECT_EQ(api_.exportMelo(r, 3, "t", nullptr, nullptr, control), 213);
  int32_t badTarget[5] = {5, 3, 7, 0, kGuard};
  EXPECT_EQ(api_.exportMelo(r, 3, "t", f, nullptr, badTarget), 213);
  EXPECT_FALSE(fs::exists(file));

  EXPECT_EQ(api_.exportMelo(r, 3, nullptr, f, nullptr, control), 1);
  EXPECT_EQ(control[4], 1);
  EXPECT_EQ(readFile(file), rtttlOf(records, ""));
  EXPECT_EQ(api_.exportMelo(r, 3, "t", (dir_ / "no/such/dir.rtx").c_str(), nullptr, control), 51);
}

TEST_F(Exports, FileExportReplacesOnlyWhenComplete) {
  const std::vector<EventRecord> records = notes(12);
  const fs::path file = dir_ / "keep.rtx";
  const std::string original = "original bytes\n\x01\x02";
  writeFile(file, original);
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(file, mode);

  // An unsupported format leaves the file as it was and creates no other.
  for (int32_t format : {99, 0}) {
    int32_t control[5] = {5, 1, format, 0, 0};
    EXPECT_EQ(api_.exportMelo(records.data(), 12, "t", file.c_str(), nullptr, control), 213);
    EXPECT_EQ(readFile(file), original);
    EXPECT_EQ(
        api_.exportMelo(records.data(), 12, "t", (dir_ / "new.rtx").c_str(), nullptr, control),
        213);
    EXPECT_EQ(filesIn(dir_), 1);
  }

  int32_t control[5] = {5, 1, 7, 0, 0};
  ASSERT_EQ(api_.exportMelo(records.data(), 12, "Tune", file.c_str(), nullptr, control), 1);
  EXPECT_EQ(readFile(file), rtttlOf(records));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, mode);
  EXPECT_EQ(filesIn(dir_), 1);  // no temporary file left beside it

  // A symbolic link stays a link to the rewritten file.
  const fs::path link = dir_ / "link.rtx";
  fs::create_symlink(file, link);
  ASSERT_EQ(api_.exportMelo(records.data(), 3, "Linked", link.c_str(), nullptr, control), 1);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(readFile(file), rtttlOf({records.begin(), records.begin() + 3}, "Linked"));
}

// A regular file whose new content cannot be written completely keeps its old content.
TEST_F(Exports, FailedWriteKeepsTheOldFile) {
  HookLog log;
  useHooks(log);
  const fs::path file = dir_ / "old.rtx";
  const std::string original(100, 'o');
  writeFile(file, original);
  const std::vector<EventRecord> records = notes(300);

  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 500;  // the rendering is well above 500 bytes
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  int32_t control[5] = {5, 1, 7, 0, 0};
  const int32_t replaced = api_.exportMelo(records.data(), 300, "t", file.c_str(), 0, control);
  const int32_t created =
      api_.exportMelo(records.data(), 300, "t", (dir_ / "new.rtx").c_str(), 0, control);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_EQ(replaced, 53);
  EXPECT_EQ(created, 53);
  EXPECT_EQ(readFile(file), original);
  EXPECT_EQ(filesIn(dir_), 1);
  EXPECT_EQ(log.caption, "rvmelody.dll");
  EXPECT_EQ(log.message, "could not write to file");
}

TEST_F(Exports, FailedDeviceWriteReturns53) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  HookLog log;
  useHooks(log);
  const std::vector<EventRecord> records = notes(5);
  int32_t control[5] = {5, 1, 7, 0, 0};
  EXPECT_EQ(api_.exportMelo(records.data(), 5, "t", "/dev/full", nullptr, control), 53);
  EXPECT_EQ(log.message, "could not write to file");
}

// A standard allocation failure is not one of the library's errors: -4, and no message.
TEST_F(Exports, AllocationFailureReturnsMinusFour) {
  HookLog log;
  useHooks(log);
  const std::vector<EventRecord> records = notes(3);
  std::vector<char> buffer(256);
  uint32_t length = buffer.size();
  int32_t control[5] = {5, 0, 7, 0, 0};
  gFailNextAllocation = 1;  // the first event added to the melody
  const int32_t result =
      api_.toString(records.data(), 3, buffer.data(), &length, "x", nullptr, control);
  gFailNextAllocation = 0;
  EXPECT_EQ(result, -4);
  EXPECT_EQ(log.message, "");
}

TEST_F(Exports, ModifyChecksItsPointers) {
  EventRecord records[1] = {{4, 0, 1, 60, 100, 0, 0}};
  int32_t count = 1;
  EXPECT_EQ(api_.modify(nullptr, 1, &count, 1, 2), 213);
  EXPECT_EQ(api_.modify(records, 1, nullptr, 1, 2), 213);
}

// Event kinds cross back unchanged (a volume change stays 5); unknown kinds become pauses.
TEST(ReadRecords, KindsValuesAndLengths) {
  rv::Melody melody;
  melody.setPPQN(480);  // lengths are converted at the melody's own resolution
  melody.appendEvent(rv::Note, 480, 61, 90);
  melody.appendEvent(rv::VolumeChange, 0, 1, 1);
  melody.appendEvent(rv::Loop, 0, 2, 3);
  melody.appendEvent(rv::StyleChange, 0, 2);
  melody.appendEvent(rv::TempoChange, 0, 140);
  melody.appendEvent(rv::Pause, 720);
  melody.appendEvent(9, 240, 4, 5, 6, 7);
  const EventRecord expected[] = {
      {4, 0, 1, 61, 90, 0, 0}, {0, 0, 5, 1, 1, 0, 0},  {0, 0, 6, 2, 3, 0, 0}, {0, 0, 3, 2, 0, 0, 0},
      {0, 0, 4, 140, 0, 0, 0}, {4, 1, 16, 0, 0, 0, 0}, {8, 0, 16, 0, 0, 0, 0}};
  ASSERT_EQ(melody.count(), 7);
  for (uint32_t i = 0; i < 7; ++i) {
    EventRecord record{-1, -1, -1, -1, -1, -1, -1};
    rv::fillReadRecord(melody, melody.event(i), record);
    EXPECT_EQ(0, std::memcmp(&record, &expected[i], sizeof record)) << "event " << i;
  }
}

}  // namespace

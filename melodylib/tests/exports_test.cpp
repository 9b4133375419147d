// The exports of librvmelody.so, loaded by name as the program loads them.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "interface/readrecords.h"
#include "model/melody.h"
#include "rvmelody.h"

namespace {

namespace fs = std::filesystem;

struct Api {
  decltype(&rvtVersion) version;
  decltype(&rvtMeloSupport) support;
  decltype(&rvmReadMelo) read;
  decltype(&rvmMeloExport) exportMelo;
  decltype(&rvmMelo2String) toString;
  decltype(&rvmModifyMelody) modify;
  decltype(&rvMVelo2iVol) velo2Vol;
  decltype(&rviVol2MVelo) vol2Velo;
  decltype(&rvSetHostHooks) setHooks;
};

template <typename F>
void bind(void* lib, const char* name, F& fn) {
  fn = reinterpret_cast<F>(dlsym(lib, name));
  ASSERT_NE(fn, nullptr) << name;
}

class Exports : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    lib_ = dlopen(PEALIX_BIN_DIR "/librvmelody.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib_, nullptr) << dlerror();
    bind(lib_, "rvtVersion", api_.version);
    bind(lib_, "rvtMeloSupport", api_.support);
    bind(lib_, "rvmReadMelo", api_.read);
    bind(lib_, "rvmMeloExport", api_.exportMelo);
    bind(lib_, "rvmMelo2String", api_.toString);
    bind(lib_, "rvmModifyMelody", api_.modify);
    bind(lib_, "rvMVelo2iVol", api_.velo2Vol);
    bind(lib_, "rviVol2MVelo", api_.vol2Velo);
    bind(lib_, "rvSetHostHooks", api_.setHooks);
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

  static std::vector<EventRecord> notes(int n) {
    std::vector<EventRecord> records;
    for (int i = 0; i < n; ++i)
      records.push_back(i % 5 == 4 ? EventRecord{8, 0, 16, 0, 0, 0, 0}
                                   : EventRecord{4, i % 2, 1, 72 + i % 12, 127, 0, 0});
    return records;
  }

  // The RTTTL rendering of records through rvmMelo2String.
  std::string rtttlOf(const std::vector<EventRecord>& records, const char* title = "Tune") {
    std::vector<char> buffer(65536);
    uint32_t length = buffer.size();
    int32_t control[5] = {5, 0, 7, 0, 0};
    EXPECT_EQ(api_.toString(records.data(), records.size(), buffer.data(), &length, title, nullptr,
                            control),
              1);
    return std::string(buffer.data(), length);
  }

  void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  static std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  static void* lib_;
  static Api api_;
  fs::path dir_;
};

void* Exports::lib_ = nullptr;
Api Exports::api_{};

constexpr int32_t kGuard = 0x5EED;

TEST_F(Exports, VersionAndSupport) {
  int32_t a = 0, b = 0, c = 0, d = 0;
  EXPECT_EQ(api_.version(&a, &b, &c, &d), 1);
  EXPECT_EQ(a * 1000 + b * 100 + c * 10 + d, 1303);
  EXPECT_EQ(api_.version(&a, nullptr, &c, &d), 213);
  EXPECT_EQ(api_.support(7), 3);
  EXPECT_EQ(api_.support(0), -1);
  EXPECT_EQ(api_.support(11), -1);
  EXPECT_EQ(api_.support(-7), -1);
}

TEST_F(Exports, ReadArgumentChecks) {
  const fs::path file = dir_ / "a.rtx";
  writeFile(file, "x:d=4,o=5,b=100:c,d");
  std::vector<EventRecord> records(4, EventRecord{kGuard, kGuard, kGuard, 0, 0, 0, 0});
  char title[8] = "guard";
  int32_t count = 4;
  uint32_t titleLength = 7;
  const std::string name = file.string();
  auto read = [&](int32_t* control, const char* fileName = nullptr) {
    count = 4;
    titleLength = 7;
    return api_.read(records.data(), &count, title, &titleLength, control,
                     fileName ? fileName : name.c_str(), nullptr, nullptr);
  };
  int32_t control[4] = {4, 1, 7, 0};
  EXPECT_EQ(api_.read(nullptr, &count, title, &titleLength, control, name.c_str(), 0, 0), 213);
  EXPECT_EQ(api_.read(records.data(), nullptr, title, &titleLength, control, name.c_str(), 0, 0),
            213);
  EXPECT_EQ(api_.read(records.data(), &count, nullptr, &titleLength, control, name.c_str(), 0, 0),
            213);
  EXPECT_EQ(api_.read(records.data(), &count, title, nullptr, control, name.c_str(), 0, 0), 213);
  EXPECT_EQ(api_.read(records.data(), &count, title, &titleLength, nullptr, name.c_str(), 0, 0),
            213);
  for (int32_t capacity : {0, -1}) {
    count = capacity;
    EXPECT_EQ(api_.read(records.data(), &count, title, &titleLength, control, name.c_str(), 0, 0),
              210);
  }
  titleLength = 0;
  EXPECT_EQ(api_.read(records.data(), &count, title, &titleLength, control, name.c_str(), 0, 0),
            210);

  int32_t shortControl[4] = {3, 1, 7, kGuard};
  EXPECT_EQ(read(shortControl), 213);
  EXPECT_EQ(shortControl[3], kGuard);
  EXPECT_EQ(records[0].iSimpleLen, kGuard);
  EXPECT_STREQ(title, "guard");

  int32_t badSource[4] = {4, 3, 7, 0};
  EXPECT_EQ(read(badSource), 213);
  int32_t badFormat[4] = {4, 1, 99, 0};
  EXPECT_EQ(read(badFormat), 213);
  int32_t writeOnly[4] = {4, 1, 9, 0};
  if (api_.support(9) == 1) {
    EXPECT_EQ(read(writeOnly), 213);
  }
  EXPECT_EQ(read(control, ""), 210);
  EXPECT_EQ(api_.read(records.data(), &count, title, &titleLength, control, nullptr, 0, 0), 213);
  EXPECT_EQ(read(control, (dir_ / "missing.rtx").c_str()), 51);
  EXPECT_EQ(records[0].iSimpleLen, kGuard);

  EXPECT_EQ(read(control), 1);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(control[3], 100);
}

TEST_F(Exports, ReadFillsRecordsAndTitle) {
  const fs::path file = dir_ / "song.txt";
  writeFile(file, "Seventh:d=8,o=6,b=140:c,4d#5.,16p,\r\n2b.4,p");
  std::vector<EventRecord> records(6, EventRecord{kGuard, kGuard, kGuard, kGuard, kGuard, 0, 0});
  int32_t count = 5;
  char title[8];
  std::memset(title, 'z', sizeof title);
  uint32_t titleLength = 5;
  int32_t control[6] = {5, 1, 7, 0, 255, kGuard};
  ASSERT_EQ(api_.read(records.data(), &count, title, &titleLength, control, file.c_str(), 0, 0), 1);
  EXPECT_EQ(count, 5);
  EXPECT_STREQ(title, "Seven");
  EXPECT_EQ(title[6], 'z');
  EXPECT_EQ(titleLength, 5u);
  EXPECT_EQ(control[3], 140);
  EXPECT_EQ(control[4], 255);
  EXPECT_EQ(control[5], kGuard);

  const EventRecord expected[5] = {{8, 0, 1, 84, 127, 0, 0},
                                   {4, 1, 1, 75, 127, 0, 0},
                                   {16, 0, 16, 0, 0, 0, 0},
                                   {2, 1, 1, 71, 127, 0, 0},
                                   {8, 0, 16, 0, 0, 0, 0}};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(0, std::memcmp(&records[i], &expected[i], sizeof(EventRecord))) << "record " << i;
  EXPECT_EQ(records[5].iSimpleLen, kGuard);
}

TEST_F(Exports, ReadMoreEventsThanRecords) {
  const fs::path file = dir_ / "long.rtx";
  writeFile(file, rtttlOf(notes(50)));
  std::vector<EventRecord> records(41, EventRecord{kGuard, 0, 0, 0, 0, 0, 0});
  int32_t count = 40;
  char title[16];
  uint32_t titleLength = 15;
  int32_t control[4] = {4, 1, 7, 0};
  EXPECT_EQ(api_.read(records.data(), &count, title, &titleLength, control, file.c_str(), 0, 0),
            100);
  EXPECT_EQ(count, 40);
  EXPECT_EQ(records[39].nEvent, 16);
  EXPECT_EQ(records[38].nEvent, 1);
  EXPECT_EQ(records[40].iSimpleLen, kGuard);
  EXPECT_STREQ(title, "Tune");
}

TEST_F(Exports, ReadAnyFileGivesAResultCode) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 151) % 256));
  for (const std::string& bytes : {std::string(), binary, std::string(100000, ':'),
                                   std::string("x:d=4:") + std::string(100000, 'c')}) {
    const fs::path file = dir_ / "bad.rtx";
    writeFile(file, bytes);
    std::vector<EventRecord> records(8);
    int32_t count = 8;
    char title[4];
    uint32_t titleLength = 3;
    int32_t control[4] = {4, 1, 7, 0};
    const int32_t result =
        api_.read(records.data(), &count, title, &titleLength, control, file.c_str(), 0, 0);
    EXPECT_TRUE(result == 1 || result == 100 || result == -1) << result;
  }
  // A folder opens but cannot be read.
  std::vector<EventRecord> records(8);
  int32_t count = 8;
  char title[4];
  uint32_t titleLength = 3;
  int32_t control[4] = {4, 1, 7, 0};
  EXPECT_EQ(api_.read(records.data(), &count, title, &titleLength, control, dir_.c_str(), 0, 0),
            -1);
}

// Each export reads and writes only the first N elements of the control array.
TEST_F(Exports, ControlArrayLengthsZeroToTwelve) {
  const std::vector<EventRecord> records = notes(6);
  int32_t fill[5] = {5, 2, 7, 0, 0};
  ASSERT_EQ(api_.exportMelo(records.data(), 6, "t", nullptr, nullptr, fill), 1);
  for (int32_t n = 0; n <= 12; ++n) {
    SCOPED_TRACE("N = " + std::to_string(n));
    std::vector<int32_t> control(n + 3, kGuard);
    auto reset = [&](int32_t target, int32_t format) {
      std::fill(control.begin(), control.end(), kGuard);
      if (n > 0) control[0] = n;
      if (n > 1) control[1] = target;
      if (n > 2) control[2] = format;
      if (n > 3) control[3] = 0;
      if (n > 4) control[4] = 255;
    };
    auto guardsIntact = [&] {
      for (int32_t i = std::max(n, 1); i < n + 3; ++i) EXPECT_EQ(control[i], kGuard) << i;
    };
    if (n == 0) {
      control[0] = 0;
      EXPECT_EQ(api_.exportMelo(records.data(), 6, "t", nullptr, nullptr, control.data()), 213);
      guardsIntact();
      continue;
    }

    reset(2, 7);
    EXPECT_EQ(api_.exportMelo(records.data(), 6, "t", nullptr, nullptr, control.data()),
              n >= 5 ? 1 : 213);
    if (n >= 5) {
      EXPECT_EQ(control[4], 0);
    }
    guardsIntact();

    reset(0, 7);
    std::vector<char> buffer(256);
    uint32_t length = buffer.size();
    EXPECT_EQ(
        api_.toString(records.data(), 6, buffer.data(), &length, "t", nullptr, control.data()),
        n >= 5 ? 1 : 213);
    guardsIntact();

    reset(2, 7);
    std::vector<EventRecord> out(8);
    int32_t count = 8;
    char title[8];
    uint32_t titleLength = 7;
    EXPECT_EQ(api_.read(out.data(), &count, title, &titleLength, control.data(), nullptr, 0, 0),
              n >= 4 ? 1 : 213);
    if (n >= 4) {
      EXPECT_EQ(count, 6);
      EXPECT_EQ(control[3], 125);
    }
    if (n >= 5) {
      EXPECT_EQ(control[4], 255);
    }
    guardsIntact();
  }
}

TEST_F(Exports, StringBufferAndArguments) {
  const std::vector<EventRecord> records = notes(7);
  const std::string text = rtttlOf(records, "Birthday Song");
  EXPECT_EQ(text.rfind("Birthday :d=4,o=5,b=125:c,c#.,d,d#.,8p,", 0), 0u) << text;

  std::vector<char> buffer(text.size() + 1, 'g');
  uint32_t length = text.size() - 1;
  int32_t control[5] = {5, 0, 7, 0, kGuard};
  EXPECT_EQ(
      api_.toString(records.data(), 7, buffer.data(), &length, "Birthday Song", nullptr, control),
      217);
  EXPECT_EQ(length, text.size());
  EXPECT_EQ(buffer[0], 'g');

  length = text.size();
  EXPECT_EQ(
      api_.toString(records.data(), 7, buffer.data(), &length, "Birthday Song", nullptr, control),
      1);
  EXPECT_EQ(std::string(buffer.data(), length), text);
  EXPECT_EQ(buffer[text.size()], 'g');  // no terminator

  // A BPM above 0 in control[3] sets the tempo.
  control[3] = 200;
  length = buffer.size();
  EXPECT_EQ(api_.toString(records.data(), 7, buffer.data(), &length, "x", nullptr, control), 1);
  EXPECT_EQ(std::string(buffer.data(), 14), "x:d=4,o=5,b=20");
  control[3] = 0;

  length = buffer.size();
  EXPECT_EQ(api_.toString(nullptr, 7, buffer.data(), &length, "x", nullptr, control), 213);
  EXPECT_EQ(api_.toString(records.data(), 7, nullptr, &length, "x", nullptr, control), 213);
  EXPECT_EQ(api_.toString(records.data(), 7, buffer.data(), nullptr, "x", nullptr, control), 213);
  EXPECT_EQ(api_.toString(records.data(), 7, buffer.data(), &length, "x", nullptr, nullptr), 213);
  length = 0;
  EXPECT_EQ(api_.toString(records.data(), 7, buffer.data(), &length, "x", nullptr, control), 213);
  length = buffer.size();
  EXPECT_EQ(api_.toString(records.data(), 0, buffer.data(), &length, "x", nullptr, control), 216);
  EXPECT_EQ(api_.toString(records.data(), -3, buffer.data(), &length, "x", nullptr, control), 216);
  for (int32_t format : {12, 19, 0, 99}) {
    int32_t c[5] = {5, 0, format, 0, 0};
    EXPECT_EQ(api_.toString(records.data(), 7, buffer.data(), &length, "x", nullptr, c), 213)
        << format;
  }
  int32_t notString[5] = {5, 1, 7, 0, 0};
  EXPECT_EQ(api_.toString(records.data(), 7, buffer.data(), &length, "x", nullptr, notString), 213);
}

struct HookLog {
  std::string clipboard;
  bool hasText = false;
  int sets = 0;
  std::string caption, message;
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
  auto* log = static_cast<HookLog*>(context);
  log->caption = caption;
  log->message = text;
}

TEST_F(Exports, ClipboardThroughHostHooks) {
  HookLog log;
  const RvHostHooks hooks{&log, hookGet, hookSet, hookMessage};
  api_.setHooks(&hooks);
  const std::vector<EventRecord> records = notes(9);
  int32_t control[5] = {5, 2, 7, 0, kGuard};
  ASSERT_EQ(api_.exportMelo(records.data(), 9, "Clip", nullptr, nullptr, control), 1);
  EXPECT_EQ(log.sets, 1);
  EXPECT_EQ(log.clipboard, rtttlOf(records, "Clip"));

  std::vector<EventRecord> out(16);
  int32_t count = 16;
  char title[16];
  uint32_t titleLength = 15;
  int32_t readControl[4] = {4, 2, 7, 0};
  auto readClipboard = [&](int32_t format) {
    count = 16;
    titleLength = 15;
    readControl[2] = format;
    return api_.read(out.data(), &count, title, &titleLength, readControl, nullptr, 0, 0);
  };
  ASSERT_EQ(readClipboard(7), 1);
  EXPECT_EQ(count, 9);
  EXPECT_STREQ(title, "Clip");

  log.clipboard.clear();
  EXPECT_EQ(readClipboard(7), 31);
  log.hasText = false;
  EXPECT_EQ(readClipboard(7), 30);

  // The native format needs its marker and at least 20 characters.
  log.hasText = true;
  for (const char* text : {"//RVPXPX4D5468", "4D546864000000060000", "//rvpxpx4D546864000000"}) {
    log.clipboard = text;
    EXPECT_EQ(readClipboard(10), 39) << text;
  }

  // A melody that renders to nothing leaves the clipboard empty.
  const EventRecord silent{0, -1, 16, 0, 0, 0, 0};
  ASSERT_EQ(api_.exportMelo(&silent, 1, "", nullptr, nullptr, control), 1);
  EXPECT_FALSE(log.hasText);
  EXPECT_EQ(readClipboard(7), 30);

  // NULL restores the process-local clipboard.
  api_.setHooks(nullptr);
  const int sets = log.sets;
  ASSERT_EQ(api_.exportMelo(records.data(), 3, "Local", nullptr, nullptr, control), 1);
  EXPECT_EQ(log.sets, sets);
  ASSERT_EQ(readClipboard(7), 1);
  EXPECT_EQ(count, 3);
  EXPECT_STREQ(title, "Local");

  // A NULL member takes the built-in service: only messages go to the host here.
  const RvHostHooks onlyMessages{&log, nullptr, nullptr, hookMessage};
  api_.setHooks(&onlyMessages);
  ASSERT_EQ(readClipboard(7), 1);
  EXPECT_STREQ(title, "Local");
}

TEST_F(Exports, MidiClipboardForm) {
  if (!(api_.support(10) & 1)) GTEST_SKIP() << "MIDI writer not built";
  const std::vector<EventRecord> records = notes(4);
  int32_t control[5] = {5, 2, 10, 0, 0};
  HookLog log;
  const RvHostHooks hooks{&log, hookGet, hookSet, hookMessage};
  api_.setHooks(&hooks);
  ASSERT_EQ(api_.exportMelo(records.data(), 4, "m", nullptr, nullptr, control), 1);
  EXPECT_EQ(log.clipboard.rfind("//RVPXPX4D546864", 0), 0u) << log.clipboard.substr(0, 40);
  if (api_.support(10) & 2) {
    std::vector<EventRecord> out(16);
    int32_t count = 16;
    char title[4];
    uint32_t titleLength = 3;
    int32_t readControl[7] = {7, 2, 10, 0, 255, 0, 0};
    EXPECT_EQ(api_.read(out.data(), &count, title, &titleLength, readControl, nullptr, 0, 0), 1);
  }
}

TEST_F(Exports, ExportArgumentChecks) {
  const std::vector<EventRecord> records = notes(3);
  const std::string file = (dir_ / "out.rtx").string();
  int32_t control[5] = {5, 1, 7, 0, kGuard};
  EXPECT_EQ(api_.exportMelo(nullptr, 3, "t", file.c_str(), nullptr, control), 213);
  EXPECT_EQ(api_.exportMelo(records.data(), 3, "t", file.c_str(), nullptr, nullptr), 213);
  EXPECT_EQ(api_.exportMelo(records.data(), 0, "t", file.c_str(), nullptr, control), 216);
  EXPECT_EQ(api_.exportMelo(records.data(), 3, "t", "", nullptr, control), 213);
  EXPECT_EQ(api_.exportMelo(records.data(), 3, "t", nullptr, nullptr, control), 213);
  int32_t badTarget[5] = {5, 3, 7, 0, kGuard};
  EXPECT_EQ(api_.exportMelo(records.data(), 3, "t", file.c_str(), nullptr, badTarget), 213);
  EXPECT_FALSE(fs::exists(file));

  EXPECT_EQ(api_.exportMelo(records.data(), 3, nullptr, file.c_str(), nullptr, control), 1);
  EXPECT_EQ(control[4], 0);
  EXPECT_EQ(readFile(file), rtttlOf(records, ""));
  EXPECT_EQ(
      api_.exportMelo(records.data(), 3, "t", (dir_ / "no/such/dir.rtx").c_str(), nullptr, control),
      51);
}

TEST_F(Exports, FileExportReplacesOnlyWhenComplete) {
  const std::vector<EventRecord> records = notes(12);
  const fs::path file = dir_ / "keep.rtx";
  const std::string original = "original bytes\n\x01\x02";
  writeFile(file, original);
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // An unsupported format leaves the file as it was and creates no other.
  for (int32_t format : {99, 0}) {
    int32_t control[5] = {5, 1, format, 0, 0};
    EXPECT_EQ(api_.exportMelo(records.data(), 12, "t", file.c_str(), nullptr, control), 213);
    EXPECT_EQ(readFile(file), original);
    const fs::path fresh = dir_ / "fresh.rtx";
    EXPECT_EQ(api_.exportMelo(records.data(), 12, "t", fresh.c_str(), nullptr, control), 213);
    EXPECT_FALSE(fs::exists(fresh));
  }

  int32_t control[5] = {5, 1, 7, 0, 0};
  ASSERT_EQ(api_.exportMelo(records.data(), 12, "Tune", file.c_str(), nullptr, control), 1);
  EXPECT_EQ(readFile(file), rtttlOf(records));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

  // A symbolic link stays a link to the rewritten file.
  const fs::path link = dir_ / "link.rtx";
  fs::create_symlink(file, link);
  ASSERT_EQ(api_.exportMelo(records.data(), 3, "Linked", link.c_str(), nullptr, control), 1);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(readFile(file),
            rtttlOf(std::vector<EventRecord>(records.begin(), records.begin() + 3), "Linked"));
}

TEST_F(Exports, FailedWriteReturns53AndShowsTheMessage) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  HookLog log;
  const RvHostHooks hooks{&log, hookGet, hookSet, hookMessage};
  api_.setHooks(&hooks);
  const std::vector<EventRecord> records = notes(5);
  int32_t control[5] = {5, 1, 7, 0, 0};
  EXPECT_EQ(api_.exportMelo(records.data(), 5, "t", "/dev/full", nullptr, control), 53);
  EXPECT_EQ(log.caption, "rvmelody.dll");
  EXPECT_EQ(log.message, "could not write to file");
}

// A regular file whose new content cannot be written completely keeps its old content.
TEST_F(Exports, FailedWriteKeepsTheOldFile) {
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
  const int32_t result = api_.exportMelo(records.data(), 300, "t", file.c_str(), nullptr, control);
  const int32_t created =
      api_.exportMelo(records.data(), 300, "t", (dir_ / "new.rtx").c_str(), nullptr, control);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_EQ(result, 53);
  EXPECT_EQ(created, 53);
  EXPECT_EQ(readFile(file), original);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(Exports, ModifyAndVolumeMappingAreReachable) {
  EventRecord records[2] = {{4, 0, 1, 60, 100, 0, 0}, {8, 0, 16, 0, 0, 0, 0}};
  int32_t count = 2;
  EXPECT_EQ(api_.modify(nullptr, 2, &count, 1, 2), 213);
  EXPECT_EQ(api_.modify(records, 2, nullptr, 1, 2), 213);
  const int32_t level = api_.velo2Vol(127);
  EXPECT_GE(api_.vol2Velo(level), 0);
  EXPECT_LE(api_.vol2Velo(level), 127);
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

// The Arduino header: frequencies and lengths at the melody's tempo, names from the title,
// and a header that the system's C and C++ compilers take, with a stand-in for the Arduino
// headers and without, and whose arrays hold what the melody plays.
#include "formats/arduino.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "test_melodies.h"

namespace rv {
namespace {

std::string write(Melody m) {
  WriteResult out;
  writeArduino(m, WriteTarget::File, FormatOptions(), out);
  EXPECT_EQ(out.returnValue, 1);
  return out.bytes;
}

TEST(Arduino, ArraysHoldHertzAndMillisecondsAtTheTempo) {
  // A4 quarter, rest eighth, C5 dotted half, at 120 BPM: 500, 250, 1500 ms.
  Melody m = melodyOf({{4, 0, Note, 69}, {8, 0, Pause, 0}, {2, 1, Note, 72}});
  m.title = "Für Elise 2";
  WriteResult out;
  writeArduino(m, WriteTarget::File, FormatOptions(), out);
  const std::string& h = out.bytes;
  EXPECT_EQ(out.resultValue, 3);
  EXPECT_NE(h.find("static const uint16_t f_r_elise_2_hz[3] PROGMEM = {\n    440, 0, 523\n};"),
            std::string::npos)
      << h;
  EXPECT_NE(h.find("f_r_elise_2_ms[3] PROGMEM = {\n    500, 250, 1500\n};"), std::string::npos);
  EXPECT_NE(h.find("#define F_R_ELISE_2_LENGTH 3\n#define F_R_ELISE_2_TEMPO 120\n"),
            std::string::npos);
  EXPECT_EQ(h.rfind("/* Für Elise 2: 3 notes and rests at 120 BPM", 0), 0u);

  // A title cannot end the comment early, nor name a C identifier that starts with a digit.
  m.title = "9 */ x";
  const std::string odd = write(m);
  EXPECT_EQ(odd.find("*/ x"), std::string::npos);
  EXPECT_NE(odd.find("melody_9_x_hz[3]"), std::string::npos);

  // Events longer than an entry holds continue in the next: 60 s whole notes at 4 BPM.
  Melody slow = melodyOf({{1, 0, Note, 69}, {1, 0, Note, 69}}, 4);
  WriteResult s;
  writeArduino(slow, WriteTarget::File, FormatOptions(), s);
  EXPECT_EQ(s.resultValue, 2);
  Melody slowest = melodyOf({{1, 0, Note, 69}}, 1);  // 240 s
  writeArduino(slowest, WriteTarget::File, FormatOptions(), s);
  EXPECT_EQ(s.resultValue, 4);
  EXPECT_NE(s.bytes.find("65535, 65535, 65535, 43395"), std::string::npos);
}

// Compiles `program` with the header beside it; the program's output, or "(failed)".
std::string compileAndRun(const std::string& compiler, const std::string& flags,
                          const std::string& header, const std::string& program, bool fakeArduino) {
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::temp_directory_path() / ("pealix-arduino-" + std::to_string(::getpid()) + "-" + compiler);
  fs::create_directories(dir);
  std::ofstream(dir / "tune.h") << header;
  std::ofstream(dir / (compiler == "gcc" ? "main.c" : "main.cpp")) << program;
  // The Arduino headers' part that matters here: PROGMEM puts data in its own section,
  // read back through pgm_read_word.
  std::ofstream(dir / "Arduino.h")
      << "#include <stdint.h>\n"
         "#define PROGMEM __attribute__((section(\".progmem.data\")))\n"
         "#define pgm_read_word(a) (*(const volatile uint16_t *)(a))\n";
  const std::string source = (dir / (compiler == "gcc" ? "main.c" : "main.cpp")).string();
  const std::string cmd = compiler + " " + flags + (fakeArduino ? " -DWITH_ARDUINO" : "") +
                          " -Wall -Wextra -Werror -pedantic -I" + dir.string() + " " + source +
                          " -o " + (dir / "tune").string() + " 2>&1 && " + (dir / "tune").string();
  std::string output;
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    std::array<char, 256> buf{};
    while (fgets(buf.data(), buf.size(), p)) output += buf.data();
    if (::pclose(p) != 0) output = "(failed) " + output;
  }
  fs::remove_all(dir);
  return output;
}

TEST(Arduino, HeaderCompilesAsCAndCppWithAndWithoutArduinoHeaders) {
  if (std::system("gcc --version > /dev/null 2>&1") != 0 ||
      std::system("g++ --version > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "no system gcc/g++";
  Melody m = melodyOf({{4, 0, Note, 69}, {8, 0, Pause, 0}, {2, 1, Note, 72}}, 90);
  m.title = "Tune";
  const std::string header = write(m);
  const std::string program =
      "#ifdef WITH_ARDUINO\n#include <Arduino.h>\n#endif\n"
      "#include \"tune.h\"\n#include \"tune.h\"\n"  // the include guard holds
      "#include <stdio.h>\n"
      "int main(void) {\n"
      "  unsigned i;\n"
      "  printf(\"%d %d\", TUNE_LENGTH, TUNE_TEMPO);\n"
      "  for (i = 0; i < TUNE_LENGTH; i++)\n"
      "    printf(\" %u/%u\", (unsigned)pgm_read_word(&tune_hz[i]),\n"
      "           (unsigned)pgm_read_word(&tune_ms[i]));\n"
      "  printf(\"\\n\");\n"
      "  return 0;\n"
      "}\n";
  const std::string expected = "3 90 440/667 0/333 523/2000\n";
  for (bool arduino : {false, true}) {
    EXPECT_EQ(compileAndRun("gcc", "-std=c99", header, program, arduino), expected) << arduino;
    EXPECT_EQ(compileAndRun("g++", "-std=c++11", header, program, arduino), expected) << arduino;
  }
  // An empty melody still compiles: arrays of one element, a length of 0.
  const std::string empty = write(melodyOf({}));
  EXPECT_NE(empty.find("#define T_LENGTH 0"), std::string::npos);
  const std::string emptyProgram =
      "#include \"tune.h\"\n#include <stdio.h>\n"
      "int main(void) { printf(\"%d %u\\n\", T_LENGTH, (unsigned)pgm_read_word(&t_hz[0]) + "
      "(unsigned)pgm_read_word(&t_ms[0])); return 0; }\n";
  EXPECT_EQ(compileAndRun("gcc", "-std=c99", empty, emptyProgram, false), "0 0\n");
}

}  // namespace
}  // namespace rv

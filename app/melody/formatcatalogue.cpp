#include "melody/formatcatalogue.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "rvmelody.h"

namespace formatcatalogue {
namespace {

constexpr Option fixed(int v) {
  return Option{nullptr, v};
}
constexpr Option setting(const char* key) {
  return Option{key, 0};
}

// Resource strings of format names.
constexpr int kResSagem = 846;
constexpr int kResRtttl = 850;
constexpr int kResAlcatel = 847;
constexpr int kResNokiaSms = 831;
constexpr int kResNokiaRingtone = 1700;
constexpr int kResIMelody = 1701;
constexpr int kResMidi = 2501;
constexpr int kResOther = 848;
constexpr int kResFlipper = 2650;

// File types of the recent-files list (filetables::FileType).
constexpr int kNoRecent = -1;

std::vector<Format> makeFormats() {
  // The order is the command line's list. Dialog filters, menu entries and range-check
  // rows carry their own positions.
  return {
      {.id = RV_FORMAT_SAGEM,
       .converter = Converter::Library,
       .cliName = "sagem",
       .description = "Sagem melody text",
       .nameRes = kResSagem,
       .readNameRes = kResSagem,
       .readable = true,
       .writable = true,
       .readsFromMemory = false,
       .asciiTitle = true,
       .noteCount = NoteCount::SagemCodes,
       .rangeCheckId = 2,
       .hasString = true,
       .stringIsFile = true,
       .cliDefaults = {0, 0, 0},
       .binaryExtension = nullptr,
       .reportsTokens = false,
       .readsRounded = false,
       .cliOptions = {{"--size-limit", "N", 6, 0,
                       "size limit in characters (0 none, else at least 35)"},
                      {"--crlf", nullptr, 7, 1,
                       "lines end in carriage return + line feed (default: line feed)"},
                      {"--keep-title", nullptr, 8, 1,
                       "keep up to 20 title characters within the size limit"}},
       .open = {{3, "SagemMelodie (*.srt;*.txt)", "*.srt;*.txt", 3, 2814}},
       .save = {{1,
                 "Sagem SMS opti. (*.srt)",
                 "*.srt",
                 ".srt",
                 true,
                 {setting("SOpti"), setting("SOptiLF"), fixed(0)},
                 3,
                 2817},
                {2,
                 "SagemMelodie (*.srt)",
                 "*.srt",
                 ".srt",
                 true,
                 {fixed(0), setting("SOptiLF"), fixed(0)},
                 3,
                 2814}},
       .clipExports = {{0, "mnuFileClipExSagem", "mnuFileClipEx", 1554, {}},
                       {1,
                        "mnuFileClipExSMS",
                        "mnuFileClipEx",
                        1555,
                        {setting("SOpti"), setting("SOptiLF"), fixed(0)}},
                       // A Sagem SMS of at most 160 characters in an SMS PDU.
                       {9,
                        "mnuFileClipExPDU",
                        "mnuFileClipEx",
                        1563,
                        {fixed(160), setting("SOptiLF"), fixed(0)}}},
       .clipImports = {{1, "mnuFileClipImportSagem", "mnuFileClipImport", 1554}},
       .ranges = {{2, "Sagem SMS", 0, 85, 57, 1, 16, 64, 255, 1}}},
      {.id = RV_FORMAT_KEYPRESS,
       .converter = Converter::Library,
       .cliName = "keypress",
       .description = "phone key presses for the composer",
       .nameRes = kResOther,
       .readNameRes = kResOther,
       .readable = false,
       .writable = true,
       .readsFromMemory = false,
       .asciiTitle = true,
       .noteCount = NoteCount::None,
       .rangeCheckId = 3,
       .hasString = true,
       .stringIsFile = true,
       .cliDefaults = {1, 1, 0},
       .binaryExtension = nullptr,
       .reportsTokens = false,
       .readsRounded = false,
       .cliOptions = {{"--keypad-codes", nullptr, 6, 2,
                       "keypad codes for AT+CKPD instead of readable labels"},
                      {"--no-header", nullptr, 7, 0, "leave out the title line"},
                      {"--start", "N", 8, 0, "first event whose keys are written (default 0)"}},
       .open = {},
       .save = {{5,
                 "Pealix Keypress (*.pkp;*.txt)",
                 "*.pkp;*.txt",
                 ".pkp",
                 true,
                 {fixed(1), fixed(1), fixed(0)},
                 kNoRecent,
                 2818}},
       // Readable labels with the header line from the first event on; key codes for AT
       // commands.
       .clipExports =
           {{3, "mnuFileClipExKeypress", "mnuFileClipEx", 1557, {fixed(1), fixed(1), fixed(0)}},
            {4, "mnuAdvClipExATKeys", "mnuAdvClipEx", 1558, {fixed(2)}}},
       .clipImports = {},
       .ranges = {{3, "Sagem Keypress", 3, 85, 57, 1, 16, 100, 255, 1}}},
      {.id = RV_FORMAT_RTTTL,
       .converter = Converter::Library,
       .cliName = "rtttl",
       .description =
           "ringtone text: a title, the default length, octave and tempo, then the notes",
       .nameRes = kResRtttl,
       .readNameRes = kResRtttl,
       .readable = true,
       .writable = true,
       .readsFromMemory = false,
       .asciiTitle = true,
       .noteCount = NoteCount::None,
       .rangeCheckId = 9,
       .hasString = true,
       .stringIsFile = true,
       .cliDefaults = {0, 0, 0},
       .binaryExtension = nullptr,
       .reportsTokens = false,
       .readsRounded = false,
       .cliOptions = {},
       .open = {{1, "RTTTL/Nokring (*.txt;*.rtx)", "*.txt;*.rtx", 1, 2812}},
       .save = {{3, "RTTTL/Nokring (*.rtx;*.txt)", "*.rtx;*.txt", ".rtx", true, {}, 1, 2812}},
       .clipExports = {{2, "mnuFileClipExRTTTL", "mnuFileClipEx", 1556, {}}},
       .clipImports = {{0, "mnuFileClipImportRTX", "mnuFileClipImport", 1556}},
       .ranges = {}},
      {.id = RV_FORMAT_ALCATEL,
       .converter = Converter::Library,
       .cliName = "alcatel",
       .description = "Alcatel text",
       .nameRes = kResAlcatel,
       .readNameRes = kResOther,
       .readable = false,
       .writable = true,
       .readsFromMemory = false,
       .asciiTitle = true,
       .noteCount = NoteCount::None,
       .rangeCheckId = 8,
       .hasString = true,
       .stringIsFile = true,
       .cliDefaults = {0, 0, 0},
       .binaryExtension = nullptr,
       .reportsTokens = true,
       .readsRounded = false,
       .cliOptions = {},
       .open = {},
       .save = {{6, "Alcatel 300 (*.txt)", "*.txt", ".txt", true, {}, kNoRecent, 2819}},
       .clipExports = {{5, "mnuFileClipExAlcatel", "mnuFileClipEx", 1559, {}}},
       .clipImports = {},
       .ranges = {{8, "Alcatel", 2, 83, 60, 2, 8, 35, 2, 1}}},
      {.id = RV_FORMAT_NOKIA,
       .converter = Converter::Library,
       .cliName = "nokia",
       .description = "Nokia smart-messaging ringtone",
       .nameRes = kResNokiaSms,
       .readNameRes = kResNokiaRingtone,
       .readable = true,
       .writable = true,
       .readsFromMemory = true,
       .asciiTitle = true,
       .noteCount = NoteCount::NokiaRingtone,
       .rangeCheckId = 9,
       .hasString = true,
       .stringIsFile = true,
       // Hex text with the user data header, 140 bytes.
       .cliDefaults = {1, 1, 140},
       .binaryExtension = ".ott",
       .reportsTokens = false,
       .readsRounded = false,
       .cliOptions = {{"--no-udh", nullptr, 6, 0, "leave out the user data header for port 5505"},
                      {"--binary", nullptr, 7, 0, "write the bytes themselves, not their hex text"},
                      {"--size-limit", "N", 8, 0,
                       "size limit in bytes with the header (default 140, least 30)"}},
       .open = {{4, "Nokia ringtone (*.ota;*.ott;*.rng)", "*.ota;*.ott;*.rng", 4, 2815}},
       .save = {{7,
                 "Nokia SMS (*.ota;*.txt)",
                 "*.ota;*.txt",
                 ".ota",
                 true,
                 {setting("NokiaExport"), setting("NokiaUDH"), setting("NokiaOpti")},
                 kNoRecent,
                 2820}},
       .clipExports =
           {{8, "mnuAdvClipExNokiaSMS", "mnuAdvClipEx", 1562, {fixed(1), fixed(1), fixed(140)}}},
       .clipImports = {},
       .ranges = {{9, "Nokia / RTX", 1, 107, 60, 1, 32, 82, 900, 25},
                  {13, "Nokia 61xx", 4, 107, 69, 1, 32, 82, 900, 25}}},
      {.id = RV_FORMAT_MIDI,
       .converter = Converter::Library,
       .cliName = "midi",
       .description = "standard MIDI file",
       .nameRes = kResOther,
       .readNameRes = kResMidi,
       .readable = true,
       .writable = true,
       .readsFromMemory = false,
       .asciiTitle = false,
       .noteCount = NoteCount::None,
       .rangeCheckId = 0,
       .hasString = true,
       .stringIsFile = true,
       .cliDefaults = {0, 0, 0},
       .binaryExtension = nullptr,
       .reportsTokens = false,
       .readsRounded = false,
       .cliOptions = {},
       .open = {{2, "Midi (*.mid;*.midi)", "*.mid;*.midi", 2, 2813}},
       .save = {{4, "Midi (*.mid;*.midi)", "*.mid;*.midi", ".mid", false, {}, 2, 2813}},
       .clipExports = {},
       .clipImports = {},
       .ranges = {}},
      {.id = RV_FORMAT_MOTOROLA,
       .converter = Converter::Library,
       .cliName = "motorola",
       .description = "Motorola text (file only)",
       .nameRes = kResOther,
       .readNameRes = kResOther,
       .readable = false,
       .writable = true,
       .readsFromMemory = false,
       .asciiTitle = true,
       .noteCount = NoteCount::None,
       .rangeCheckId = 12,
       .hasString = false,
       .stringIsFile = false,
       .cliDefaults = {0, 0, 0},
       .binaryExtension = nullptr,
       .reportsTokens = true,
       .readsRounded = false,
       // One option word: bit 0 header and trailer, bit 1 past the 35th token, bit 2 a
       // blank before each token.
       .cliOptions = {{"--header-trailer", nullptr, 6, 1,
                       "header and trailer with check characters"},
                      {"--no-token-limit", nullptr, 6, 2, "write past the 35th token"},
                      {"--blank-tokens", nullptr, 6, 4, "a blank before each token"}},
       .open = {},
       .save = {},
       .clipExports = {{6,
                        "mnuFileClipExMoto",
                        "mnuFileClipEx",
                        1560,
                        {setting("MotoSMS"), setting("MotoSpace"), fixed(0)}}},
       .clipImports = {},
       .ranges = {{12, "Motorola", 7, 89, 59, 2, 16, 35, 300, 80}}},
      {.id = RV_FORMAT_IMELODY,
       .converter = Converter::Library,
       .cliName = "imelody",
       .description = "iMelody",
       .nameRes = kResOther,
       .readNameRes = kResIMelody,
       .readable = true,
       .writable = true,
       .readsFromMemory = true,
       .asciiTitle = false,
       .noteCount = NoteCount::IMelody,
       .rangeCheckId = 14,
       // The string is fitted and cut for a text message; files come through the clipboard.
       .hasString = true,
       .stringIsFile = false,
       .cliDefaults = {0, 0, 0},
       .binaryExtension = nullptr,
       .reportsTokens = false,
       .readsRounded = false,
       .cliOptions = {},
       .open = {{5, "iMelody (*.imy)", "*.imy", 5, 2816}},
       .save = {{8, "iMelody (*.imy)", "*.imy", ".imy", true, {}, kNoRecent, 2816}},
       .clipExports = {{7, "mnuFileClipExiMelody", "mnuFileClipEx", 1561, {}}},
       .clipImports = {},
       .ranges = {{14, "iMelody", 6, 127, 24, 1, 32, -1, 900, 25}}},
      {.id = RV_FORMAT_TEST_XML,
       .converter = Converter::Library,
       .cliName = "xml",
       .description = "test XML (file only)",
       .nameRes = kResOther,
       .readNameRes = kResOther,
       .readable = false,
       .writable = true,
       .readsFromMemory = false,
       .asciiTitle = false,
       .noteCount = NoteCount::None,
       .rangeCheckId = 0,
       .hasString = false,
       .stringIsFile = false,
       .cliDefaults = {0, 0, 0},
       .binaryExtension = nullptr,
       .reportsTokens = false,
       .readsRounded = false,
       .cliOptions = {},
       .open = {},
       .save = {{9, "Pealix Test-XML (*.xml)", "*.xml", ".xml", true, {}, kNoRecent, 2821}},
       .clipExports = {},
       .clipImports = {},
       .ranges = {}},
      // Flipper Zero music files: any length, the MIDI range from C0 (octave 0) up, no event
      // limit.
      {.id = RV_FORMAT_FLIPPER,
       .converter = Converter::Library,
       .cliName = "fmf",
       .description = "Flipper Zero music file",
       .nameRes = kResFlipper,
       .readNameRes = kResFlipper,
       .readable = true,
       .writable = true,
       .readsFromMemory = false,
       .asciiTitle = false,
       .noteCount = NoteCount::None,
       .rangeCheckId = 21,
       .hasString = true,
       .stringIsFile = true,
       .cliDefaults = {0, 0, 0},
       .binaryExtension = nullptr,
       .reportsTokens = false,
       .readsRounded = true,
       .writesRounded = true,
       .cliOptions = {},
       .open = {{6, "Flipper Zero music (*.fmf)", "*.fmf", 6, 2650}},
       .save = {{10, "Flipper Zero music (*.fmf)", "*.fmf", ".fmf", true, {}, 6, 2650}},
       .clipExports = {},
       .clipImports = {},
       .ranges = {{21, "Flipper Zero", -1, 127, 12, 1, 128, -1, 999, 1}}},
      // A C header for a piezo buzzer (Arduino, ESP32): written only, any key and length.
      {.id = RV_FORMAT_ARDUINO,
       .converter = Converter::Library,
       .cliName = "arduino",
       .description = "C header for a buzzer (Arduino, ESP32: tone())",
       .nameRes = kResOther,
       .readNameRes = kResOther,
       .readable = false,
       .writable = true,
       .readsFromMemory = false,
       .asciiTitle = false,
       .noteCount = NoteCount::None,
       .rangeCheckId = 0,
       .hasString = true,
       .stringIsFile = true,
       .cliDefaults = {0, 0, 0},
       .binaryExtension = nullptr,
       .reportsTokens = false,
       .readsRounded = false,
       .countsEntries = true,
       .cliOptions = {},
       .open = {},
       .save = {{11, "Arduino header (*.h)", "*.h", ".h", true, {}, kNoRecent, 2826}},
       .clipExports = {},
       .clipImports = {},
       .ranges = {}},
      {.id = RV_FORMAT_COMPOSER,
       .converter = Converter::ComposerText,
       .cliName = "composer",
       .description = "Nokia composer text (tokens such as 8#f2 between delimiters)",
       .nameRes = kResOther,
       .readNameRes = kResOther,
       .readable = true,
       .writable = true,
       .readsFromMemory = false,
       .asciiTitle = false,
       .noteCount = NoteCount::None,
       .rangeCheckId = 11,
       .hasString = false,
       .stringIsFile = true,
       .cliDefaults = {0, 0, 0},
       .binaryExtension = nullptr,
       .reportsTokens = false,
       .readsRounded = false,
       .cliOptions = {},
       .open = {},
       .save = {},
       .clipExports = {{10, "mnuFileClipExNokComp", "mnuFileClipEx", 1037, {}}},
       .clipImports = {{3, "mnuAdvClipImpNokComp", "mnuAdvClipImp", 1037}},
       .ranges = {{11, "Nok. Composer", 5, 107, 72, 1, 32, 82, 900, 25}}},
      {.id = RV_FORMAT_SAGEM_HEX,
       .converter = Converter::SagemHex,
       .cliName = "sagemhex",
       .description = "Sagem melody as hex digits (read only)",
       .nameRes = kResOther,
       .readNameRes = kResOther,
       .readable = true,
       .writable = false,
       .readsFromMemory = false,
       .asciiTitle = false,
       .noteCount = NoteCount::None,
       .rangeCheckId = 0,
       .hasString = false,
       .stringIsFile = true,
       .cliDefaults = {0, 0, 0},
       .binaryExtension = nullptr,
       .reportsTokens = false,
       .readsRounded = false,
       .cliOptions = {},
       .open = {},
       .save = {},
       .clipExports = {},
       .clipImports = {{2, "mnuAdvClipImpSagemHex", "mnuAdvClipImp", 1038}},
       .ranges = {}},
  };
}

template <typename Entry, typename Member, typename Key>
std::vector<const Entry*> collect(Member member, Key key) {
  std::vector<const Entry*> out;
  for (const Format& f : Formats())
    for (const Entry& e : f.*member) out.push_back(&e);
  std::stable_sort(out.begin(), out.end(),
                   [&](const Entry* a, const Entry* b) { return key(*a) < key(*b); });
  return out;
}

template <typename Entry, typename Member>
const Format* ownerIn(Member member, const Entry* entry) {
  for (const Format& f : Formats())
    for (const Entry& e : f.*member)
      if (&e == entry) return &f;
  return nullptr;
}

}  // namespace

const std::vector<Format>& Formats() {
  static const std::vector<Format> formats = makeFormats();
  return formats;
}

const Format* ById(int id) {
  if (id == 0) return nullptr;
  for (const Format& f : Formats())
    if (f.id == id) return &f;
  return nullptr;
}

const Format* ByName(const char* name) {
  if (!name) return nullptr;
  for (const Format& f : Formats()) {
    const size_t n = std::strlen(f.cliName);
    if (std::strlen(name) != n) continue;
    bool same = true;
    for (size_t i = 0; i < n && same; ++i)
      same = std::tolower(static_cast<unsigned char>(name[i])) == f.cliName[i];
    if (same) return &f;
  }
  return nullptr;
}

std::vector<const OpenEntry*> OpenEntries() {
  return collect<OpenEntry>(&Format::open, [](const OpenEntry& e) { return e.index; });
}

std::vector<const SaveEntry*> SaveEntries() {
  return collect<SaveEntry>(&Format::save, [](const SaveEntry& e) { return e.index; });
}

std::vector<const RangeRow*> RangeRows() {
  // The choice list's rows first, in their order, then the fit targets.
  return collect<RangeRow>(&Format::ranges, [](const RangeRow& r) {
    return r.choicePosition < 0 ? 1000 + r.checkId : r.choicePosition;
  });
}

const Format* OwnerOf(const OpenEntry* entry) {
  return ownerIn(&Format::open, entry);
}

const Format* OwnerOf(const SaveEntry* entry) {
  return ownerIn(&Format::save, entry);
}

const ClipExport* ClipExportOf(int kind) {
  for (const Format& f : Formats())
    for (const ClipExport& c : f.clipExports)
      if (c.kind == kind) return &c;
  return nullptr;
}

const Format* OwnerOfClipExport(int kind) {
  return ownerIn(&Format::clipExports, ClipExportOf(kind));
}

const ClipExport* ClipExportByAction(const char* action) {
  for (const Format& f : Formats())
    for (const ClipExport& c : f.clipExports)
      if (action && std::strcmp(c.action, action) == 0) return &c;
  return nullptr;
}

const ClipImport* ClipImportByAction(const char* action) {
  for (const Format& f : Formats())
    for (const ClipImport& c : f.clipImports)
      if (action && std::strcmp(c.action, action) == 0) return &c;
  return nullptr;
}

}  // namespace formatcatalogue

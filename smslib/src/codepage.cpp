#include "codepage.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace rvsms {
namespace {

struct CodepageEntry {
  int32_t number;
  const char* iconvName;
};

constexpr CodepageEntry kCodepages[] = {
    {437, "CP437"},         {850, "CP850"},        {852, "CP852"},        {855, "CP855"},
    {857, "CP857"},         {860, "CP860"},        {861, "CP861"},        {862, "CP862"},
    {863, "CP863"},         {864, "CP864"},        {865, "CP865"},        {866, "CP866"},
    {869, "CP869"},         {874, "CP874"},        {932, "CP932"},        {936, "CP936"},
    {949, "CP949"},         {950, "CP950"},        {1250, "CP1250"},      {1251, "CP1251"},
    {1252, "CP1252"},       {1253, "CP1253"},      {1254, "CP1254"},      {1255, "CP1255"},
    {1256, "CP1256"},       {1257, "CP1257"},      {1258, "CP1258"},      {20127, "US-ASCII"},
    {20866, "KOI8-R"},      {21866, "KOI8-U"},     {28591, "ISO-8859-1"}, {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"},  {28594, "ISO-8859-4"}, {28595, "ISO-8859-5"}, {28596, "ISO-8859-6"},
    {28597, "ISO-8859-7"},  {28598, "ISO-8859-8"}, {28599, "ISO-8859-9"}, {28603, "ISO-8859-13"},
    {28605, "ISO-8859-15"}, {54936, "GB18030"},    {65001, "UTF-8"},
};

constexpr const char* kUtf16 = "UTF-16LE";

// The locale's character set without calling setlocale (a library must not change it).
// The C locale reports ASCII; text on this platform is UTF-8, so ASCII means UTF-8.
const char* LocaleCharset() {
  const char* name = nl_langinfo(CODESET);
  if (!name || !*name || std::strcmp(name, "ANSI_X3.4-1968") == 0 ||
      std::strcmp(name, "ASCII") == 0 || std::strcmp(name, "US-ASCII") == 0)
    return "UTF-8";
  return name;
}

// Owns one iconv descriptor.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Opens a converter for the code page; on failure the descriptor is not ok. A locale
// character set that iconv does not know falls back to UTF-8.
const char* ResolvedName(int32_t codePage) {
  const char* name = CodepageName(codePage);
  if (codePage == 0) {
    Iconv probe(kUtf16, name);
    if (!probe.ok()) name = "UTF-8";
  }
  return name;
}

void AppendUnits(const std::vector<char>& bytes, size_t count, std::u16string& out) {
  for (size_t i = 0; i + 1 < count; i += 2)
    out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                        static_cast<unsigned char>(bytes[i + 1]) << 8));
}

bool IsHighSurrogate(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

const char* CodepageName(int32_t codePage) {
  if (codePage == 0) return LocaleCharset();
  for (const auto& e : kCodepages)
    if (e.number == codePage) return e.iconvName;
  return nullptr;
}

bool CodepageSupported(int32_t codePage) {
  const char* name = ResolvedName(codePage);
  if (!name) return false;
  Iconv cd(kUtf16, name);
  return cd.ok();
}

size_t BoundedTextLength(const char* text, int32_t maxLength) {
  if (!text || maxLength < 1) return 0;
  return strnlen(text, static_cast<size_t>(maxLength));
}

int TextToUtf16(const char* text, size_t length, int32_t codePage, std::u16string& out) {
  out.clear();
  if (!text || length == 0) return kIntakeEmpty;
  const char* name = ResolvedName(codePage);
  if (!name) return kIntakeBadCodepage;
  Iconv cd(kUtf16, name);
  if (!cd.ok()) return kIntakeBadCodepage;

  std::vector<char> buf(length * 2 + 16);
  char* in = const_cast<char*>(text);
  size_t inLeft = length;
  size_t used = 0;
  // First the bytes, then one flush call: stateful decoders (1255, 1258) hold the last
  // base character back until flushed. A full buffer grows and the call is repeated.
  for (bool flushing = false;;) {
    char* o = buf.data() + used;
    size_t outLeft = buf.size() - used;
    size_t r = flushing ? iconv(cd.get(), nullptr, nullptr, &o, &outLeft)
                        : iconv(cd.get(), &in, &inLeft, &o, &outLeft);
    int err = errno;
    used = buf.size() - outLeft;
    if (r == static_cast<size_t>(-1)) {
      if (err != E2BIG) return kIntakeFailed;
      buf.resize(buf.size() * 2);
      continue;
    }
    if (flushing) break;
    flushing = true;
  }
  AppendUnits(buf, used, out);
  return out.empty() ? kIntakeFailed : 1;
}

int Utf16ToText(const std::u16string& in, int32_t codePage, size_t maxBytes, std::string& out) {
  out.clear();
  if (in.empty()) return 216;
  const char* name = ResolvedName(codePage);
  if (!name) return 214;
  Iconv cd(name, kUtf16);
  if (!cd.ok()) return 214;

  // One character at a time, so that a cut never splits a multi-byte character.
  char buf[64];
  for (size_t i = 0; i < in.size();) {
    size_t units = 1;
    if (IsHighSurrogate(in[i]) && i + 1 < in.size() && IsLowSurrogate(in[i + 1])) units = 2;
    char src[4];
    for (size_t k = 0; k < units; ++k) {
      src[2 * k] = static_cast<char>(in[i + k] & 0xFF);
      src[2 * k + 1] = static_cast<char>(in[i + k] >> 8);
    }
    char* s = src;
    size_t sLeft = units * 2;
    char* o = buf;
    size_t oLeft = sizeof buf;
    size_t produced;
    if (iconv(cd.get(), &s, &sLeft, &o, &oLeft) == static_cast<size_t>(-1)) {
      iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);  // back to the initial state
      buf[0] = '?';
      produced = 1;
    } else {
      produced = sizeof buf - oLeft;
    }
    if (out.size() + produced > maxBytes) break;
    out.append(buf, produced);
    i += units;
  }
  char* o = buf;
  size_t oLeft = sizeof buf;
  if (iconv(cd.get(), nullptr, nullptr, &o, &oLeft) != static_cast<size_t>(-1) &&
      out.size() + (sizeof buf - oLeft) <= maxBytes)
    out.append(buf, sizeof buf - oLeft);
  return out.empty() ? 215 : 1;
}

}  // namespace rvsms

// Every export of librvsms.so with arbitrary texts, lengths, code pages, addresses and
// parameter records. Each text lies in a heap block of exactly its bytes (plus a NUL for
// the code-page texts that may claim more), each output buffer has guard bytes behind the
// size it claims.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_input.h"
#include "guarded.h"
#include "rvsms.h"

namespace {

constexpr int32_t kCodePages[] = {0,     65001, 1252,  437,  850,  866,   932,   936,
                                  949,   950,   874,   1251, 1255, 1258,  20127, 20866,
                                  28591, 28597, 54936, 864,  1256, 28605, 12345, -1};

int32_t codePage(FuzzInput& in) {
  const uint8_t b = in.byte();
  if (b >= 240) return in.int32();
  return kCodePages[b % (sizeof kCodePages / sizeof kCodePages[0])];
}

// The text in a block of its own size. When it may be read as a code-page text (not raw),
// a NUL follows, and the claimed length may then exceed the bytes.
struct Text {
  std::unique_ptr<char[]> block;
  int32_t length = 0;
  bool null = false;
  const char* data() const { return null ? nullptr : block.get(); }
};

Text text(FuzzInput& in, bool raw) {
  const uint8_t mode = in.byte();
  const size_t n = std::min<size_t>(in.byte() * 2u + (mode & 1), in.remaining());
  Text t;
  const std::string bytes = in.bytes(n);
  t.block.reset(new char[n + (raw ? 0 : 1)]);
  std::memcpy(t.block.get(), bytes.data(), n);
  if (!raw) t.block[n] = '\0';
  const int32_t size = static_cast<int32_t>(n);
  switch ((mode >> 1) % 8) {
    case 0:
      t.length = size - static_cast<int32_t>(in.byte() % 4);
      break;
    case 1:
      t.length = raw ? size : in.smallOrAny();
      break;
    case 2:
      t.length = 0;
      break;
    case 3:
      t.length = -static_cast<int32_t>(in.byte());
      break;
    case 4:
      t.null = true;
      t.length = size;
      break;
    case 5:
      t.length = raw ? size : size + static_cast<int32_t>(in.byte());
      break;
    default:
      t.length = size;
      break;
  }
  if (raw && t.length > size) t.length = size;
  return t;
}

// A claimed buffer size; the guarded block holds exactly that many bytes.
int32_t bufferSize(FuzzInput& in, int32_t textLength) {
  const uint8_t mode = in.byte();
  const int32_t plenty = textLength > 0 && textLength < 4096 ? 4 * textLength + 200 : 1024;
  switch (mode % 8) {
    case 0:
      return in.byte();
    case 1:
      return std::clamp<int64_t>(2 * int64_t{textLength} + static_cast<int8_t>(in.byte()) % 8, -4,
                                 8400);
    case 2:
      return std::clamp<int64_t>(4 * int64_t{textLength} + static_cast<int8_t>(in.byte()) % 8, -4,
                                 16600);
    case 3:
      return -static_cast<int32_t>(in.byte());
    default:
      return plenty;
  }
}

struct Address {
  std::unique_ptr<char[]> digits;
  AddressParam param{};
};

void address(FuzzInput& in, Address& a) {
  static const char kDigits[] = "0123456789*#ABC+ aD\0";
  const uint8_t mode = in.byte();
  const size_t n = in.byte() % 26;
  a.digits.reset(new char[n + 1]);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t b = in.byte();
    a.digits[i] = b < 200 ? kDigits[b % 10] : kDigits[b % (sizeof kDigits - 1)];
  }
  a.digits[n] = '\0';
  a.param.Digits = mode % 8 == 0 ? nullptr : a.digits.get();
  a.param.Length = mode % 4 == 1 ? in.smallOrAny() : static_cast<int32_t>(n);
  a.param.AdrType = mode % 5 == 2 ? in.smallOrAny() : (mode >> 4) % 3;
}

SubmitParams params(FuzzInput& in) {
  SubmitParams p{};
  const uint8_t mode = in.byte();
  if (mode >= 224) {  // every field from the input
    int32_t* fields = &p.Reserved0;
    for (int i = 0; i < 18; ++i) fields[i] = in.smallOrAny();
    return p;
  }
  p.TextInType = in.byte() % 4;
  p.TextInCodepage = codePage(in);
  p.StatusSMS = in.byte() % 2;
  p.WithSMSC = in.byte() % 3;
  p.TextOutType = in.byte() % 4;
  p.TextOutCodepage = codePage(in);
  const uint8_t cls = in.byte() % 6;
  p.MsgClass = cls < 4 ? cls : (cls == 4 ? 255 : in.smallOrAny());
  p.TPDCSType = in.byte() % 2;
  p.UDHI = in.byte() % 2;
  p.TP_PID = in.smallOrAny();
  p.TP_MR = in.smallOrAny();
  return p;
}

void checkSize(int32_t rc, int32_t claimed, int32_t written) {
  if (rc == RVSMS_OK && (written < 0 || written > claimed)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  // Selectors from 248 on reach the parts export; below, the seven others as before.
  const uint8_t selector = in.byte();
  const uint8_t which = selector >= 248 ? 7 : selector % 7;
  const bool nullBuffer = in.byte() % 16 == 0;
  int32_t rc = 0;
  switch (which) {
    case 0: {
      int32_t v[4] = {0, 0, 0, 0};
      const uint8_t nulls = in.byte();
      rc = rvPduVersion(nulls & 1 ? nullptr : &v[0], nulls & 2 ? nullptr : &v[1],
                        nulls & 4 ? nullptr : &v[2], nulls & 8 ? nullptr : &v[3]);
      break;
    }
    case 1: {
      const int32_t character = in.byte() < 200 ? in.byte() : in.int32();
      rc = Ansi2UniLong(character, codePage(in));
      if (rc > 65535) __builtin_trap();
      break;
    }
    case 2: {
      const int32_t cp = codePage(in);
      Text t = text(in, false);
      const int32_t claimed = bufferSize(in, t.length);
      Guarded<char> out(claimed > 0 ? claimed : 1);
      int32_t written = claimed;
      rc = rvMakeUniPduData(t.data(), t.length, nullBuffer ? nullptr : out.data(), &written, cp,
                            in.smallOrAny(), 0);
      checkSize(rc, claimed, written);
      break;
    }
    case 3: {
      SubmitParams p = params(in);
      Address dest, smsc;
      address(in, dest);
      address(in, smsc);
      const uint8_t nulls = in.byte();
      Text t = text(in, p.TextInType == 3);
      const int32_t claimed = bufferSize(in, t.length);
      Guarded<unsigned char> out(claimed > 0 ? claimed : 1);
      int32_t written = claimed;
      int32_t tpdu = -7;
      rc = rvMakeSubmitPDU(t.data(), t.length, nullBuffer ? nullptr : out.data(),
                           nulls & 1 ? nullptr : &written, nulls & 2 ? nullptr : &dest.param,
                           nulls & 4 ? nullptr : &smsc.param, nulls & 8 ? nullptr : &p,
                           nulls & 16 ? nullptr : &tpdu);
      checkSize(rc, claimed, written);
      if (rc == RVSMS_OK && (tpdu < 1 || tpdu > written)) __builtin_trap();
      break;
    }
    case 4: {
      const int32_t cp = codePage(in);
      Text t = text(in, false);
      const int32_t claimed = bufferSize(in, t.length);
      Guarded<unsigned char> out(claimed > 0 ? claimed : 1);
      int32_t written = claimed;
      rc = rvConvertString(t.data(), t.length, nullBuffer ? nullptr : out.data(), &written, cp, 0);
      checkSize(rc, claimed, written);
      break;
    }
    case 5: {
      const int32_t cp = codePage(in);
      const bool nullSeptets = in.byte() % 16 == 0;
      Text t = text(in, false);
      const int32_t claimed = bufferSize(in, t.length);
      Guarded<unsigned char> out(claimed > 0 ? claimed : 1);
      int32_t written = claimed;
      int32_t septets = -7;
      rc = rvMake7BitPduData(t.data(), t.length, nullBuffer ? nullptr : out.data(), &written, cp,
                             nullSeptets ? nullptr : &septets, 0);
      checkSize(rc, claimed, written);
      if (rc == RVSMS_OK && (septets < 0 || septets > 160)) __builtin_trap();
      break;
    }
    case 7: {
      SubmitParams p = params(in);
      p.TextOutType = in.byte() % 6;  // 4 automatic, 5 invalid
      Address dest, smsc;
      address(in, dest);
      address(in, smsc);
      const uint8_t nulls = in.byte();
      const int32_t reference = in.byte() < 240 ? in.byte() : in.smallOrAny();
      Text t = text(in, p.TextInType == 3);
      SubmitPartsInfo info{};
      rc = rvMakeSubmitParts(t.data(), t.length, nulls & 2 ? nullptr : &dest.param,
                             nulls & 4 ? nullptr : &smsc.param, nulls & 8 ? nullptr : &p, reference,
                             nullptr, nullptr, nullptr, nullptr, 0, nulls & 16 ? nullptr : &info);
      if (rc != RVSMS_OK || nullBuffer) break;
      if (info.PartCount < 1 || info.PartCount > 255 || info.NeededSize < 1) __builtin_trap();
      const uint8_t shape = in.byte();
      const int32_t claimed = info.NeededSize + (shape % 3 == 0 ? -1 : shape % 3 == 1 ? 0 : 9);
      const int32_t capacity = info.PartCount - (shape & 8 ? 1 : 0);
      Guarded<unsigned char> out(static_cast<size_t>(claimed > 0 ? claimed : 1));
      Guarded<int32_t> sizes(static_cast<size_t>(capacity > 0 ? capacity : 1));
      Guarded<int32_t> tpdus(static_cast<size_t>(capacity > 0 ? capacity : 1));
      int32_t written = claimed;
      rc = rvMakeSubmitParts(t.data(), t.length, &dest.param, &smsc.param, &p, reference,
                             out.data(), &written, sizes.data(), tpdus.data(), capacity, &info);
      if (rc == RVSMS_OK) {
        int64_t sum = 0;
        for (int32_t k = 0; k < info.PartCount; ++k) {
          if (tpdus.data()[k] < 1 || tpdus.data()[k] > sizes.data()[k]) __builtin_trap();
          sum += sizes.data()[k];
        }
        if (sum != written || written > claimed) __builtin_trap();
      } else if (rc == RVSMS_PDU_TOO_LONG && written != info.NeededSize) {
        __builtin_trap();
      }
      break;
    }
    default: {
      const int32_t cp = codePage(in);
      const int32_t header = in.byte() < 220 ? in.byte() % 160 : in.smallOrAny();
      Text t = text(in, false);
      const int32_t claimed = bufferSize(in, t.length);
      Guarded<unsigned char> out(claimed > 0 ? claimed : 1);
      int32_t written = claimed;
      rc = rvConvert27BitGSM(t.data(), t.length, nullBuffer ? nullptr : out.data(), &written, cp,
                             header);
      checkSize(rc, claimed, written);
      break;
    }
  }
  if (fuzzTrace()) std::fprintf(stderr, "export %d -> %d\n", which, rc);
  return 0;
}

// An SMS-SUBMIT decoder for the tests, written from 3GPP TS 23.040 (9.2.2.2, 9.2.3,
// 9.1.2.5) and TS 23.038 (4, 6.1.2, 6.2.1) without the library's code, so that what
// the builder produces is read back the way a network or phone reads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pdutest {

using Bytes = std::vector<uint8_t>;

enum class Alphabet { kGsm7, k8Bit, kUcs2, kReserved };

struct Submit {
  std::string error;  // empty when the PDU is well formed
  // SMSC field (RP-OA of the AT command form)
  int smscLength = -1;  // octets after the length octet; 0 = phone's default
  int smscToa = -1;
  std::string smsc;
  // TPDU
  size_t tpduOffset = 0;
  size_t tpduLength = 0;
  int mti = -1, rd = -1, vpf = -1, srr = -1, udhi = -1, rp = -1;
  int mr = -1;
  int daDigits = -1;
  int daToa = -1;
  std::string da;
  int pid = -1;
  int dcs = -1;
  Alphabet alphabet = Alphabet::kReserved;
  int msgClass = -1;  // -1 no class
  bool compressed = false;
  int udl = -1;
  Bytes ud;             // the raw user data octets
  Bytes udh;            // the header with its length octet, when TP-UDHI is set
  Bytes septets;        // 7-bit: the text septets after the header and fill bits
  std::u16string text;  // 7-bit through the default alphabet, UCS2 as is, 8-bit as Latin-1
};

// Semi-octet digits: 0..9, * # a b c; F is the filler of an odd count.
inline std::string SemiOctets(const uint8_t* p, int digits, std::string& error) {
  static const char kChars[] = "0123456789*#abc";
  std::string s;
  for (int i = 0; i < digits; ++i) {
    const int v = i % 2 == 0 ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4);
    if (v == 15) {
      error = "filler inside the number";
      return s;
    }
    s += kChars[v];
  }
  if (digits % 2 == 1 && (p[digits / 2] >> 4) != 0x0F) error = "odd number without filler";
  return s;
}

// The default alphabet of TS 23.038 6.2.1 and its extension table.
inline char16_t DefaultAlphabet(uint8_t septet) {
  static const char16_t kTable[128] = {
      u'@',      u'\u00A3', u'$',      u'\u00A5', u'\u00E8', u'\u00E9', u'\u00F9', u'\u00EC',
      u'\u00F2', u'\u00C7', u'\n',     u'\u00D8', u'\u00F8', u'\r',     u'\u00C5', u'\u00E5',
      u'\u0394', u'_',      u'\u03A6', u'\u0393', u'\u039B', u'\u03A9', u'\u03A0', u'\u03A8',
      u'\u03A3', u'\u0398', u'\u039E', 0x1B,      u'\u00C6', u'\u00E6', u'\u00DF', u'\u00C9',
      u' ',      u'!',      u'"',      u'#',      u'\u00A4', u'%',      u'&',      u'\'',
      u'(',      u')',      u'*',      u'+',      u',',      u'-',      u'.',      u'/',
      u'0',      u'1',      u'2',      u'3',      u'4',      u'5',      u'6',      u'7',
      u'8',      u'9',      u':',      u';',      u'<',      u'=',      u'>',      u'?',
      u'\u00A1', u'A',      u'B',      u'C',      u'D',      u'E',      u'F',      u'G',
      u'H',      u'I',      u'J',      u'K',      u'L',      u'M',      u'N',      u'O',
      u'P',      u'Q',      u'R',      u'S',      u'T',      u'U',      u'V',      u'W',
      u'X',      u'Y',      u'Z',      u'\u00C4', u'\u00D6', u'\u00D1', u'\u00DC', u'\u00A7',
      u'\u00BF', u'a',      u'b',      u'c',      u'd',      u'e',      u'f',      u'g',
      u'h',      u'i',      u'j',      u'k',      u'l',      u'm',      u'n',      u'o',
      u'p',      u'q',      u'r',      u's',      u't',      u'u',      u'v',      u'w',
      u'x',      u'y',      u'z',      u'\u00E4', u'\u00F6', u'\u00F1', u'\u00FC', u'\u00E0',
  };
  return kTable[septet & 0x7F];
}

inline char16_t ExtensionAlphabet(uint8_t septet) {
  switch (septet) {
    case 0x0A:
      return u'\f';
    case 0x14:
      return u'^';
    case 0x28:
      return u'{';
    case 0x29:
      return u'}';
    case 0x2F:
      return u'\\';
    case 0x3C:
      return u'[';
    case 0x3D:
      return u'~';
    case 0x3E:
      return u']';
    case 0x40:
      return u'|';
    case 0x65:
      return u'\u20AC';
    default:
      return DefaultAlphabet(septet);  // unknown: shown as the main table's character
  }
}

inline std::u16string SeptetsToText(const Bytes& septets) {
  std::u16string s;
  for (size_t i = 0; i < septets.size(); ++i) {
    if (septets[i] == 0x1B && i + 1 < septets.size())
      s += ExtensionAlphabet(septets[++i]);
    else if (septets[i] == 0x1B)
      s += u' ';  // a lone escape shows as a space
    else
      s += DefaultAlphabet(septets[i]);
  }
  return s;
}

// withSmsc: the PDU begins with the SMSC field (the form AT+CMGS takes in PDU mode).
inline Submit Decode(const Bytes& pdu, bool withSmsc) {
  Submit m;
  size_t i = 0;
  auto need = [&](size_t n) {
    if (i + n > pdu.size()) {
      if (m.error.empty()) m.error = "PDU too short";
      return false;
    }
    return true;
  };
  if (withSmsc) {
    if (!need(1)) return m;
    m.smscLength = pdu[i++];
    if (m.smscLength > 0) {
      if (m.smscLength > 11 || !need(m.smscLength)) {
        m.error = "bad SMSC length";
        return m;
      }
      m.smscToa = pdu[i];
      int digits = (m.smscLength - 1) * 2;  // an odd number ends in a filler F
      if (digits > 0 && (pdu[i + m.smscLength - 1] >> 4) == 0x0F) --digits;
      m.smsc = SemiOctets(&pdu[i + 1], digits, m.error);
      i += m.smscLength;
    }
  }
  m.tpduOffset = i;
  if (!need(2)) return m;
  const uint8_t fo = pdu[i++];
  m.mti = fo & 3;
  m.rd = fo >> 2 & 1;
  m.vpf = fo >> 3 & 3;
  m.srr = fo >> 5 & 1;
  m.udhi = fo >> 6 & 1;
  m.rp = fo >> 7 & 1;
  if (m.mti != 1) m.error = "not an SMS-SUBMIT";
  m.mr = pdu[i++];
  if (!need(2)) return m;
  m.daDigits = pdu[i++];
  m.daToa = pdu[i++];
  if (m.daDigits > 20 || (m.daToa & 0x80) == 0) m.error = "bad destination address";
  const size_t daOctets = static_cast<size_t>(m.daDigits + 1) / 2;
  if (!need(daOctets)) return m;
  m.da = SemiOctets(&pdu[i], m.daDigits, m.error);
  i += daOctets;
  if (!need(2)) return m;
  m.pid = pdu[i++];
  m.dcs = pdu[i++];
  // No validity period field unless TP-VPF says so.
  const size_t vp = m.vpf == 0 ? 0 : m.vpf == 2 ? 1 : 7;
  if (!need(vp)) return m;
  i += vp;
  const int group = m.dcs >> 4;
  if (group <= 0x7) {  // general data coding and automatic deletion groups
    m.compressed = m.dcs & 0x20;
    const int a = m.dcs >> 2 & 3;
    m.alphabet = a == 0   ? Alphabet::kGsm7
                 : a == 1 ? Alphabet::k8Bit
                 : a == 2 ? Alphabet::kUcs2
                          : Alphabet::kReserved;
    if (m.dcs & 0x10) m.msgClass = m.dcs & 3;
  } else if (group == 0xF) {
    if (m.dcs & 0x08) m.error = "reserved bit set in group 1111";
    m.alphabet = (m.dcs & 0x04) ? Alphabet::k8Bit : Alphabet::kGsm7;
    m.msgClass = m.dcs & 3;
  } else if (group == 0xC || group == 0xD) {
    m.alphabet = Alphabet::kGsm7;
  } else if (group == 0xE) {
    m.alphabet = Alphabet::kUcs2;
  } else {
    m.error = "reserved coding group";
  }
  if (!need(1)) return m;
  m.udl = pdu[i++];
  size_t udOctets = 0;
  if (m.alphabet == Alphabet::kGsm7) {
    if (m.udl > 160) m.error = "more than 160 septets";
    udOctets = (static_cast<size_t>(m.udl) * 7 + 7) / 8;
  } else {
    if (m.udl > 140) m.error = "more than 140 octets";
    udOctets = static_cast<size_t>(m.udl);
  }
  if (pdu.size() - i != udOctets) {
    m.error = "user data length does not match TP-UDL";
    if (pdu.size() < i + udOctets) return m;
  }
  m.ud.assign(pdu.begin() + static_cast<long>(i), pdu.begin() + static_cast<long>(i + udOctets));
  m.tpduLength = pdu.size() - m.tpduOffset;
  size_t headerOctets = 0;
  if (m.udhi) {
    if (m.ud.empty() || m.ud[0] + 1u > m.ud.size()) {
      m.error = "bad user data header length";
      return m;
    }
    headerOctets = m.ud[0] + 1u;
    m.udh.assign(m.ud.begin(), m.ud.begin() + static_cast<long>(headerOctets));
  }
  if (m.alphabet == Alphabet::kGsm7) {
    // The text starts at the first septet boundary after the header (fill bits).
    const size_t headerSeptets = (headerOctets * 8 + 6) / 7;
    if (static_cast<size_t>(m.udl) < headerSeptets) {
      m.error = "TP-UDL shorter than the header";
      return m;
    }
    for (size_t k = headerSeptets; k < static_cast<size_t>(m.udl); ++k) {
      const size_t bit = k * 7;
      unsigned v = m.ud[bit / 8] >> (bit % 8);
      if (bit % 8 > 1) v |= static_cast<unsigned>(m.ud[bit / 8 + 1]) << (8 - bit % 8);
      m.septets.push_back(static_cast<uint8_t>(v & 0x7F));
    }
    m.text = SeptetsToText(m.septets);
  } else if (m.alphabet == Alphabet::kUcs2) {
    if ((m.ud.size() - headerOctets) % 2) m.error = "odd UCS2 length";
    for (size_t k = headerOctets; k + 1 < m.ud.size(); k += 2)
      m.text += static_cast<char16_t>(m.ud[k] << 8 | m.ud[k + 1]);
  } else {
    for (size_t k = headerOctets; k < m.ud.size(); ++k) m.text += static_cast<char16_t>(m.ud[k]);
  }
  return m;
}

// One information element of a user data header.
struct HeaderElement {
  int iei = -1;
  Bytes data;
};

// The elements of a header (its length octet first); error set when they overrun it.
inline std::vector<HeaderElement> HeaderElements(const Bytes& udh, std::string* error = nullptr) {
  std::vector<HeaderElement> out;
  size_t i = 1;
  while (i < udh.size()) {
    if (i + 2 > udh.size() || i + 2 + udh[i + 1] > udh.size()) {
      if (error) *error = "header element overruns the header";
      break;
    }
    HeaderElement e;
    e.iei = udh[i];
    e.data.assign(udh.begin() + static_cast<long>(i + 2),
                  udh.begin() + static_cast<long>(i + 2 + udh[i + 1]));
    i += 2 + udh[i + 1];
    out.push_back(std::move(e));
  }
  return out;
}

// The concatenation element (TS 23.040 9.2.3.24.1 with an 8-bit reference, 9.2.3.24.8
// with a 16-bit one): reference, part count and this part's number.
struct Concat {
  bool present = false;
  int reference = -1;
  int count = -1;
  int number = -1;
  bool wide = false;
};

inline Concat ConcatOf(const Bytes& udh) {
  Concat c;
  for (const HeaderElement& e : HeaderElements(udh)) {
    if (e.iei == 0x00 && e.data.size() == 3) {
      c = {true, e.data[0], e.data[1], e.data[2], false};
    } else if (e.iei == 0x08 && e.data.size() == 4) {
      c = {true, e.data[0] << 8 | e.data[1], e.data[2], e.data[3], true};
    }
  }
  return c;
}

}  // namespace pdutest

// What comes in from the serial line and the port's settings text: received bytes in
// arbitrary pieces through the terminal-like status text, and settings texts through the
// serial port's parser. The status text must stay bounded and keep its line breaks whole.
#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include "fuzz_input.h"
#include "phonelink/commport.h"
#include "phonelink/statustext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t mode = in.byte();
  if (mode & 1) {
    const QString text = QString::fromUtf8(QByteArray::fromStdString(in.rest()));
    CommPort port;
    if (port.setSettings(text) && port.Settings() != text.trimmed()) __builtin_trap();
    return 0;
  }
  StatusText box;
  QStringDecoder decoder(QStringDecoder::Utf8);
  qsizetype longest = 0;
  while (in.remaining() > 0) {
    const size_t n = in.byte() % 64 + 1;
    const QString piece = decoder(QByteArray::fromStdString(in.bytes(n)));
    longest = std::max(longest, piece.size());
    box.append(piece);
    const QString& t = box.text();
    if (t.size() > StatusText::kMaxChars + 2 * longest) __builtin_trap();
    // Line feeds only ever follow the carriage returns they belong to (the front trim may
    // leave one alone at the start).
    for (qsizetype i = 0; i < t.size(); ++i)
      if (t[i] == '\n' && i > 0 && t[i - 1] != '\r') __builtin_trap();
  }
  return 0;
}

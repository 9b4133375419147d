#include "phonelink/portchoice.h"

#include <algorithm>

namespace portchoice {

QStringList Entries(const QList<CommPort::Device>& devices, int minimum) {
  QStringList entries;
  const int count = std::max<int>(minimum, static_cast<int>(devices.size()));
  for (int n = 1; n <= count; ++n) {
    QString text = QString::number(n);
    for (const CommPort::Device& d : devices) {
      if (d.number != n) continue;
      text += QStringLiteral(": ") + d.path;
      if (!d.description.isEmpty()) text += QStringLiteral(" (%1)").arg(d.description);
    }
    entries << text;
  }
  return entries;
}

Choice Parse(const QString& text) {
  const QString t = text.trimmed();
  qsizetype digits = 0;
  while (digits < t.size() && t.at(digits).isDigit()) ++digits;
  if (digits > 0 && (digits == t.size() || t.at(digits) == QLatin1Char(':'))) {
    bool ok = false;
    const int n = t.left(digits).toInt(&ok);
    if (ok && n >= 1 && n <= 255) return {n, QString()};
  }
  return {0, t};
}

}  // namespace portchoice

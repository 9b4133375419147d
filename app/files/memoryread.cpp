#include "files/memoryread.h"

#include "melody/rvtonehead.h"
#include "rvresulttexts.h"

namespace memoryread {
namespace {

// The command line's words before a reason.
QString formatLead(int formatId) {
  switch (formatId) {
    case RV_FORMAT_NOKIA:
      return QStringLiteral("not a Nokia ringtone: ");
    case RV_FORMAT_IMELODY:
      return QStringLiteral("not an iMelody file: ");
    default:
      return QStringLiteral("not in this format: ");
  }
}

}  // namespace

bool Read(int formatId, const QByteArray& data, pxvbMelody& melody, QString* error,
          const std::function<QString(int)>& res) {
  rvTonehead::BufferReport report;
  pxvbMelody read = melody;
  const rvTonehead::Outcome o = rvTonehead::ReadBuffer(read, formatId, data, &report);
  if (o.result == 1) {
    melody = read;
    return true;
  }
  if (!error) return false;
  if (!o.loadError.isEmpty()) {
    *error = o.loadError;
    return false;
  }
  QString why = res ? res(rvresult::textRes(o.code, rvresult::Call::Read, formatId))
                    : formatLead(formatId) + QString::fromUtf8(rvresult::text(o.code));
  why.replace(QLatin1String("%1"), QString::number(report.value));
  why.replace(QLatin1String("%2"), QString::number(report.position));
  why.replace(QLatin1String("%3"), QString::number(report.line));
  const auto c = static_cast<char32_t>(report.value);
  why.replace(QLatin1String("%4"), QString::fromUcs4(&c, 1));
  *error = why;
  return false;
}

}  // namespace memoryread

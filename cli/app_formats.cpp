// The two text formats the application converts itself, without the melody library
// (Nokia composer text and Sagem hex text), and the files the program reads before a
// reader has their bytes (Nokia ringtones, iMelody).
#include <QFile>
#include <QString>
#include <iostream>
#include <iterator>

#include "cli_common.h"
#include "document/meloformatcheck.h"
#include "files/composertext.h"
#include "files/filetables.h"
#include "files/sagemhex.h"
#include "melody/rvtonehead.h"

namespace cli {
namespace {

bool readBytes(const std::string& path, QByteArray& bytes, std::string& error) {
  if (path == "-") {
    const std::string in{std::istreambuf_iterator<char>(std::cin),
                         std::istreambuf_iterator<char>()};
    bytes = QByteArray(in.data(), static_cast<qsizetype>(in.size()));
    return true;
  }
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) {
    error = "cannot open the file (" + f.errorString().toStdString() + ")";
    return false;
  }
  bytes = f.readAll();
  if (f.error() != QFileDevice::NoError) {
    error = "cannot read the file (" + f.errorString().toStdString() + ")";
    return false;
  }
  return true;
}

}  // namespace

bool isAppFormat(const CliFormat& format) {
  return format.row->converter != formatcatalogue::Converter::Library;
}

int32_t appFormatSupport(const CliFormat& format) {
  return (format.row->readable ? 2 : 0) | (format.row->writable ? 1 : 0);
}

AppReaderFn appReaderFor(const CliFormat& format) {
  if (isAppFormat(format)) return nullptr;
  for (const filetables::OpenFilter& f : filetables::OpenFilters())
    if (f.formatId == format.id && f.read) return f.read;
  return nullptr;
}

void toMelody(const Document& doc, pxvbMelody& melody) {
  rvTonehead::FromRecords(melody, doc.records.data(), static_cast<int>(doc.records.size()));
  melody.setbpm(doc.bpm);
  melody.setsName(QString::fromStdString(doc.title));
}

bool readAppInput(const std::string& path, const CliFormat& format, const std::string& delimiter,
                  Document& doc, std::string& error) {
  QByteArray bytes;
  if (!readBytes(path, bytes, error)) return false;
  pxvbMelody melody;
  if (const AppReaderFn read = appReaderFor(format)) {
    QString why;
    if (!read(format.id, bytes, melody, &why, {})) {
      error = why.toStdString();
      return false;
    }
  } else if (format.row->converter == formatcatalogue::Converter::ComposerText) {
    // Our own rendering starts with a name line; take name and tempo from it.
    if (!ImportComposerText(melody, QString::fromUtf8(bytes), QString::fromStdString(delimiter),
                            true)) {
      error =
          "no composer text (no delimiter among the first seven characters, or an undelimited "
          "rest of 17 characters or more)";
      return false;
    }
  } else {
    const SagemHexOutcome o = SagemHexImport(melody, QString::fromUtf8(bytes));
    if (o.result != 1) {
      if (!o.messageText.isEmpty())
        error = o.messageText.toStdString();
      else if (o.messageRes)
        error = "the text is too long (" + std::to_string(o.textLength) + " characters)";
      else
        error = "no notes to import (a count of 0, a tempo below 5 or no header)";
      return false;
    }
  }
  doc.records = rvTonehead::ToRecords(melody);
  doc.title = melody.sName().toStdString();
  doc.bpm = melody.bpm();
  return true;
}

bool readAppText(const std::string& path, const CliFormat& format, const std::string& delimiter,
                 Document& doc) {
  std::string error;
  if (readAppInput(path, format, delimiter, doc, error)) return true;
  std::cerr << "pealix-cli: " << path << ": " << error << "\n";
  return false;
}

bool writeComposerText(const Document& doc, const std::string& path, const std::string& delimiter) {
  pxvbMelody melody;
  toMelody(doc, melody);
  QString text;
  if (ComposerTextFromMelody(melody, text, QString::fromStdString(delimiter)) == 0)
    std::cerr
        << "pealix-cli: note: no event has a composer length; only the name line is written\n";
  const QByteArray bytes = text.toUtf8();
  if (path == "-") {
    std::cout.write(bytes.constData(), bytes.size());
    std::cout << "\n";
    return true;
  }
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
    std::cerr << "pealix-cli: cannot write " << path << "\n";
    return false;
  }
  return true;
}

void printRangeCheck(const Document& doc) {
  pxvbMelody melody;
  toMelody(doc, melody);
  clMeloFormatProps formats;
  formats.RegisterDefaultFormats();
  std::cout << "range check (notes too high / too low, lengths too long / too short, events "
               "left):\n";
  for (const QString& line : meloformatcheck::ReportAllFormats(formats, melody))
    std::cout << "  " << line.toStdString() << "\n";
}

}  // namespace cli

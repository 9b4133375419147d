#include "settings/codepages.h"

#include "codepage.h"

namespace codepages {

bool IsValidCodePage(int codePage) {
  return codePage == 0 || rvsms::CodepageSupported(codePage);
}

int FromComboText(const QString& text, bool isListEntry) {
  if (isListEntry) return 0;
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  return ok ? value : 0;
}

}  // namespace codepages

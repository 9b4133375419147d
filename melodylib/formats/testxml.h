// Test XML (format 19): an export-only dump of the melody model, for files and the
// clipboard. Lines end in a single line feed; no character escaping is needed because
// no field can hold markup.
#pragma once

#include "format_api.h"

namespace rv {

inline constexpr char kTestXmlNamespace[] = "https://pealix.example.org/xml/pxMelody.xsd";

void writeTestXml(Melody& melody, WriteTarget target, const FormatOptions& options,
                  WriteResult& out);

}  // namespace rv

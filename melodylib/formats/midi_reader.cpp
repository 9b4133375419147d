#include "midi_reader.h"

namespace rv {}  // namespace rv

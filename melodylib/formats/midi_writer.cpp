#include "midi_writer.h"

namespace rv {}  // namespace rv

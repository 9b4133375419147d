#include "midihex.h"

namespace rv {}  // namespace rv

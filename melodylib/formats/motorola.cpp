#include "motorola.h"

namespace rv {}  // namespace rv

#include "rtttl.h"

namespace rv {}  // namespace rv

#include "alcatel.h"

namespace rv {}  // namespace rv

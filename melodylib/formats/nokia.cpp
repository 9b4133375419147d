#include "nokia.h"

namespace rv {}  // namespace rv

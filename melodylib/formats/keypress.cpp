#include "keypress.h"

namespace rv {}  // namespace rv

#include "testxml.h"

namespace rv {}  // namespace rv

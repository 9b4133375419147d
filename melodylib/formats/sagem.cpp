#include "sagem.h"

namespace rv {}  // namespace rv

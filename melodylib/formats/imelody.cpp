#include "imelody.h"

namespace rv {}  // namespace rv

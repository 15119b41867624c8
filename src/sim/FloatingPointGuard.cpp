#include "sim/FloatingPointGuard.h"

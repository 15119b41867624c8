#include "sim/CalculationRun.h"

#include "sim/MiscCalc.h"

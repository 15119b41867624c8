#include "sim/SimulationState.h"

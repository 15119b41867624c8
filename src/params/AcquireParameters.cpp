#include "params/AcquireParameters.h"

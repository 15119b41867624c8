#include "report/FormatFixed.h"

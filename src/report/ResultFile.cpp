#include "report/ResultFile.h"

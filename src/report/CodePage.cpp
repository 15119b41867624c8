#include "report/CodePage.h"

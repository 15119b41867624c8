#include "app/DataFile.h"

#include "params/NumberText.h"

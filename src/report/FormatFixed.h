// The result file's number rule lives with the other number texts, in params/FormatFixed.h,
// so that every layer can write numbers by it; this name stays for the code that includes it
// from here.
#pragma once

#include "params/FormatFixed.h"

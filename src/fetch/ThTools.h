#pragma once
// String helpers of the URL splitter. LastCharPos is a portable rule and lives
// in the core layer; this header is where the retrieval code finds it.
#include "FetchRules.h"

// A header that no source of its layer includes, reaching up a layer: only
// the build's check of every header on its own can see it.
#pragma once

#include "form/ControlIds.h"

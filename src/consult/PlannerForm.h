// The window moved to window/PlannerForm.h; this header forwards to it for
// one release so that code including the old path keeps building.
#pragma once

#include "window/PlannerForm.h"

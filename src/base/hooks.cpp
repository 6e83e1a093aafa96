#include "base/hooks.h"

ProgramHooks programHooks;

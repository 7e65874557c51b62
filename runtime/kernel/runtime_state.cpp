#include "kernel/runtime_state.h"

RuntimeState runtime{};

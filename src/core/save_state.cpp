#include "core/save_state.h"

#include "core/game_state.h"

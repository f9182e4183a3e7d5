#include "core/game_model.h"

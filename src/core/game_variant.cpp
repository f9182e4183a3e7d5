#include "core/game_variant.h"

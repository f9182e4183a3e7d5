#include "core/game_settings.h"

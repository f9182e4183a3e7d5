#include "core/extra_planet_info.h"

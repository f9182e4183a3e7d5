#include "core/star_names.h"

#include "core/str_utils.h"

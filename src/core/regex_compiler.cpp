#include "core/regex_internal.h"

#include "core/regex.h"

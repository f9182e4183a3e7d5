#include "core/str_parse.h"

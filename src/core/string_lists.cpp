#include "core/string_lists.h"

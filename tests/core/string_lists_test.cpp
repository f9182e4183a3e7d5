#include <gtest/gtest.h>

#include "core/string_lists.h"

#include <gtest/gtest.h>

#include "core/str_utils.h"

#include <gtest/gtest.h>

#include "core/str_parse.h"

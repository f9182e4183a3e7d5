#include <gtest/gtest.h>

#include "core/numbers.h"

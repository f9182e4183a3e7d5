#include <gtest/gtest.h>

#include "core/star_names.h"

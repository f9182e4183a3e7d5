#include <gtest/gtest.h>

#include "core/file_utils.h"

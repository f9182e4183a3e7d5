#include <gtest/gtest.h>

#include "core/ini_file.h"

#include "core/file_utils.h"

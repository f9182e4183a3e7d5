#include "core/add_tabs.h"

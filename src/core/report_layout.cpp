#include "core/report_layout.h"

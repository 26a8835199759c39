#include "reports/reports.h"

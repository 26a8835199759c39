#include "alignment/align.h"

#include "entities/build.h"

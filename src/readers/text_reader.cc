#include "readers/text_reader.h"

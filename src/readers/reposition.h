// Moving the hypothesis tag positions onto the reference text.
#pragma once

#include <vector>

#include "model/tags.h"

// Walks both bare texts, which may differ only in whitespace, and rewrites the
// `pos` of every hypothesis tag as an offset in the reference text. Any other
// difference ends the run with the mismatch report.
void align_and_reposition(const char* ref_data, const char* hyp_data,
                          std::vector<simple_tag>& hyp_tags);

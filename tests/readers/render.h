// Test-only one-line renderings of tag lists, so that one comparison checks a
// whole reader result.
#pragma once

#include <list>
#include <string>

#include "model/tags.h"
#include "model/vocabulary.h"

// "pers@5(1:5)[a=1,b=x y] /pers@11(1:17)": name (after '/' when closing),
// position, line and column of the '<', attributes when there are any.
std::string render(const std::list<simple_tag>& tags, const name_table& types);

// "1:pers:s@3(1:3) 2:loc:-@0(1:0)d1p1": id, type, ftype (s, e, se or -),
// position, line and column; depth and parent follow when not 0 and -1.
std::string render(const std::list<aref_tag>& tags, const name_table& types);

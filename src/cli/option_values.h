// The values of the command line's options, read from their text: each
// reader says whether the text is one, and nothing else.
#pragma once

#include <string>
#include <vector>

// -i's value: trailing junk is ignored and a non-number reads as 0; the
// value is truncated toward zero, clamped to what an int holds.
int expected_count_value(const char* text);

// The names of "a,b,c" in order, blanks around each left out ("PER, LOC"
// is two names, not " LOC"); false when one of them is empty.
bool split_type_names(const std::string& list, std::vector<std::string>& names);

// "R,H": two tag columns, each counted from 1 at the first column (the
// token, which is no tag column) or from -1 at the last.
bool column_pair(const char* text, int& reference, int& hypothesis);

// A whole decimal number with nothing around it: no sign, no blank. Every
// number of the command line follows this one rule.
bool whole_number(const char* text, unsigned long long& n);

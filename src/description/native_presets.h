// The shipped presets computed in C++: a description whose text is one of
// theirs, byte for byte, gets from these functions the answers its script
// would give to every cost call, in the same order, naming the same errors
// in the same order of first appearance, without an interpreter. Any other
// text, an edited copy of a preset included, runs through Lua.
#pragma once

#include <string_view>

#include "model/entity.h"
#include "model/segment.h"
#include "model/vocabulary.h"

enum class native_preset { exact, type, boundary, partial, ser, none };
constexpr int native_preset_count = 5;

// The presets' texts, in the order of the enumeration (generated from
// presets/*.lua when the program is built).
extern const std::string_view shipped_preset_texts[native_preset_count];

// The preset whose text `source` is; none for any other, and for every text
// when the environment variable ORVANE_LUA_PRESETS is set and not "0" (so
// that the two ways can be compared).
native_preset native_preset_of(std::string_view source);
// The same for a file, read only when its size is that of a preset; none
// when it cannot be read (the interpreter then reports why).
native_preset native_preset_of_file(const char* fname);

// Whether the preset's script defines the global function `name`.
bool native_preset_defines(native_preset preset, const char* name);

// The miss costs, as the script's get_miss_cost answers them.
void native_miss_costs(native_preset preset, entity_set& set, vocabularies& vocab);

// The substitution costs, as the script's get_substitution_cost answers
// them.
void native_substitution_costs(native_preset preset, const entity_set& ref, const entity_set& hyp,
                               const segment_set& segments, substitution_costs& costs,
                               vocabularies& vocab);

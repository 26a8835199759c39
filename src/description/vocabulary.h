// The two process-wide vocabularies: entity types and error types. Each is a
// vector of names indexed by a dense id plus a map from name to id; ids are
// given in order of first appearance.
#pragma once

#include <map>
#include <string>
#include <vector>

extern std::vector<std::string> tag_names;
extern std::map<std::string, int> tag_names_map;
extern std::vector<std::string> error_names;
extern std::map<std::string, int> error_names_map;

// Id of t in the vocabulary (vt, mt), adding t when absent.
int any_get(std::string t, std::vector<std::string>& vt, std::map<std::string, int>& mt);

// Entity type id of a name, adding it when absent.
int tag_get(std::string name);

// Entity type id of a name, or -1 when it is not a known type. Never adds.
int tag_find(std::string name);

// Error type id of a name, adding it when absent.
int error_get(std::string name);

// Empties both vocabularies (tests start each case from scratch).
void reset_vocabularies();

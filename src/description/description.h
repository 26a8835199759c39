// The task description of an evaluation: a Lua interpreter of its own that
// runs the script, names the entity types and prices every outcome. A
// corpus run keeps one per thread and lends it to each evaluation in turn. This is
// the interface the rest of the program sees; it does not expose Lua. A
// shipped preset, unmodified, is priced in C++ and starts no interpreter
// (description/native_presets.h).
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

#include "description/native_presets.h"
#include "model/entity.h"
#include "model/segment.h"
#include "model/vocabulary.h"

struct lua_State;
class entity_tables;

class task_description {
 public:
  // The interpreter is created when a script needs it; failing to is a
  // fatal out-of-memory fault.
  task_description();
  // Closes the interpreter, running the script's finalizers.
  ~task_description();
  task_description(const task_description&) = delete;
  task_description& operator=(const task_description&) = delete;

  // Runs the script's top level: the file's, or `source` (named `name` in
  // messages).
  void load(const char* fname);
  void load_source(std::string_view source, const char* name);
  // Before load: os.exit raises an error instead of ending the program that
  // embeds orvane.
  void embed();

  // From now on, the script's code ends with an error soon after *flag
  // becomes true, on whichever thread it runs. Null: never.
  void stop_when(const std::atomic<bool>* flag);

  // Puts the pseudo-random generator back where the script's top level left
  // it, for the next evaluation this interpreter serves.
  void rewind();

  // Whether the script defines the global function `name`; a lookup that
  // raises (guarded globals) finds none.
  bool defines(const char* name);

  // Whether an interpreter was started: a preset computed in C++ starts
  // none.
  bool runs_lua() const { return L != nullptr; }

  // Reads the entity types into `types` with get_all_tags, which must exist.
  void read_types(name_table& types);

  // Readies the entity tables for the cost calls, once `types` holds every
  // type the documents use. Each evaluation that the interpreter serves
  // prepares its own.
  void prepare(const name_table& types);

  // Asks get_miss_cost for every usable candidate pair of every entity.
  // `fname` names the entities' document in messages.
  void ask_miss_costs(entity_set& entities, const char* text, const char* fname,
                      vocabularies& vocab);

  // Asks get_substitution_cost for the pairs of entities that share a
  // segment, filling `costs`.
  void ask_substitution_costs(const entity_set& ref, const entity_set& hyp,
                              const segment_set& segments, substitution_costs& costs,
                              const char* text, const char* ref_name, const char* hyp_name,
                              vocabularies& vocab);

 private:
  lua_State* interpreter();  // created on first use

  lua_State* L = nullptr;
  native_preset preset = native_preset::none;
  bool embedded = false;                         // embed() was asked for
  const std::atomic<bool>* stop_flag = nullptr;  // stop_when's, for an interpreter made later
  std::string random_after_load;                 // the generator, once the script has run
  std::unique_ptr<entity_tables> tables;         // made once the types are known
};

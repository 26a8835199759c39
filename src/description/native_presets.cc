#include "description/native_presets.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "description/cost_queries.h"

namespace {

bool lua_forced() {
  const char* v = std::getenv("ORVANE_LUA_PRESETS");
  return v && *v && std::strcmp(v, "0") != 0;
}

// An answer's error names, interned as the script's answer would intern
// them: each name added to the vocabulary when first met, in the order the
// answer gives them, then (for a list) sorted by id. An answer is interned
// once and its list id kept for the rest of the pass.
class answer {
 public:
  answer(double cost, std::initializer_list<const char*> names) : cost_(cost) {
    std::copy(names.begin(), names.end(), names_);
    count_ = names.size();
    list_ = count_ == 0 ? 0 : -1;
  }

  // `list`: whether the script returns the names as a table (sorted by id),
  // not one string.
  cost_record record(vocabularies& vocab, bool list = false) {
    if (list_ < 0) {
      int32_t ids[2];
      for (size_t i = 0; i < count_; i++) {
        ids[i] = vocab.errors.get(names_[i]);
      }
      if (list) {
        std::sort(ids, ids + count_);
      }
      list_ = vocab.error_lists.intern(ids, count_);
    }
    cost_record r;
    r.cost = cost_;
    r.errors = list_;
    return r;
  }

 private:
  double cost_;
  const char* names_[2] = {};
  size_t count_ = 0;
  int32_t list_;
};

}  // namespace

native_preset native_preset_of(std::string_view source) {
  if (lua_forced()) {
    return native_preset::none;
  }
  for (int p = 0; p < native_preset_count; p++) {
    if (source == shipped_preset_texts[p]) {
      return static_cast<native_preset>(p);
    }
  }
  return native_preset::none;
}

native_preset native_preset_of_file(const char* fname) {
  struct stat st;
  if (lua_forced() || stat(fname, &st) != 0 || !S_ISREG(st.st_mode)) {
    return native_preset::none;
  }
  const size_t size = static_cast<size_t>(st.st_size);
  if (std::none_of(std::begin(shipped_preset_texts), std::end(shipped_preset_texts),
                   [&](std::string_view text) { return text.size() == size; })) {
    return native_preset::none;
  }
  FILE* f = std::fopen(fname, "rb");
  if (!f) {
    return native_preset::none;
  }
  // One byte more than a preset: a file that grew since is no preset.
  std::string text(size + 1, '\0');
  const size_t got = std::fread(&text[0], 1, text.size(), f);
  std::fclose(f);
  text.resize(got);
  return native_preset_of(text);
}

bool native_preset_defines(native_preset preset, const char* name) {
  return preset != native_preset::none && (std::strcmp(name, "get_miss_cost") == 0 ||
                                           std::strcmp(name, "get_substitution_cost") == 0);
}

void native_miss_costs(native_preset preset, entity_set& set, vocabularies& vocab) {
  (void)preset;  // every preset prices a miss alike
  answer insertion(1, {"insertion"}), deletion(1, {"deletion"});
  for_each_miss_query(set, [&](const entity& e, int, int, cost_record& record) {
    record = e.hyp ? insertion.record(vocab) : deletion.record(vocab);
  });
}

void native_substitution_costs(native_preset preset, const entity_set& ref, const entity_set& hyp,
                               const segment_set& segments, substitution_costs& costs,
                               vocabularies& vocab) {
  const bool half = preset == native_preset::ser;
  answer no_overlap(3, {"no overlap"}), correct(0, {}), type(half ? 0.5 : 1, {"type"}),
      boundary(half ? 0.5 : 1, {"boundary"}), both(1, {"type", "boundary"}),
      partial(0.5, {"partial"});
  for_each_substitution_query(
      ref, hyp, segments, costs,
      [&](const entity& r, int sf, int ef, const entity& h, cost_record& record) {
        const int rs = ref.start(r, sf), re = ref.end(r, ef);
        const int hs = hyp.start(h, 0), he = hyp.end(h, 0);
        if (rs >= he || hs >= re) {
          record = no_overlap.record(vocab);
          return;
        }
        // One type name is one type id: the scripts compare the names.
        const bool same_type = r.tagid == h.tagid;
        const bool same_bounds = rs == hs && re == he;
        switch (preset) {
          case native_preset::exact:
          case native_preset::ser:
            record = same_type && same_bounds ? correct.record(vocab)
                     : same_bounds            ? type.record(vocab)
                     : same_type              ? boundary.record(vocab)
                                              : both.record(vocab, true);
            break;
          case native_preset::type:
            record = same_type ? correct.record(vocab) : type.record(vocab);
            break;
          case native_preset::boundary:
            record = same_bounds ? correct.record(vocab) : boundary.record(vocab);
            break;
          case native_preset::partial:
            record = same_bounds ? correct.record(vocab) : partial.record(vocab);
            break;
          case native_preset::none:
            break;
        }
      });
}

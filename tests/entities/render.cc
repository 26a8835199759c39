// Test-only renderings of entities and segments.
#include "render.h"

#include <algorithm>
#include <cstddef>
#include <functional>

#include "model/vocabulary.h"

namespace {

std::string join(const std::vector<int>& values) {
  std::string out;
  for (size_t i = 0; i < values.size(); ++i) {
    out += (i ? "," : "") + std::to_string(values[i]);
  }
  return out;
}

// Position of e in `entities`, or -1 when it points elsewhere.
long index_in(const entity* e, const std::vector<entity>& entities) {
  const std::less<const entity*> less;
  if (entities.empty() || less(e, &entities.front()) || less(&entities.back(), e)) {
    return -1;
  }
  return e - &entities.front();
}

std::string shown_index(const entity* e, const std::vector<entity>& entities) {
  const long i = index_in(e, entities);
  return i < 0 ? "!" : std::to_string(i);
}

struct labeller {
  const std::vector<entity>& ref;
  const std::vector<entity>& hyp;
  // Reference entities first, then hypothesis entities, each by index.
  long rank(const entity* e) const {
    const long r = index_in(e, ref);
    const long h = index_in(e, hyp);
    return r >= 0 ? r : h >= 0 ? static_cast<long>(ref.size()) + h : -1;
  }
  std::string operator()(const entity* e) const {
    const long r = rank(e);
    const long nref = static_cast<long>(ref.size());
    return r < 0 ? "!" : r < nref ? "r" + std::to_string(r) : "h" + std::to_string(r - nref);
  }
};

std::string show_refs(const std::vector<segment::ef>& refs, const labeller& label) {
  std::string out;
  for (size_t i = 0; i < refs.size(); ++i) {
    out += (i ? "," : "") + label(refs[i].e) + "." + std::to_string(refs[i].fid);
  }
  return out;
}

std::string show_list(std::vector<entity*> list, const labeller& label, bool sorted) {
  if (sorted) {
    std::sort(list.begin(), list.end(),
              [&label](const entity* a, const entity* b) { return label.rank(a) < label.rank(b); });
  }
  std::string out;
  for (size_t i = 0; i < list.size(); ++i) {
    out += (i ? "," : "") + label(list[i]);
  }
  return out;
}

}  // namespace

std::string show_entities(const std::vector<entity>& entities, const name_table& types) {
  std::string out;
  for (const entity& e : entities) {
    if (!out.empty()) {
      out += " ";
    }
    out += types.has(e.tagid) ? types.name(e.tagid) : "?";
    out += "[" + join(e.start) + ":" + join(e.end) + "]d" + std::to_string(e.depth);
    if (e.parent) {
      out += "^" + shown_index(e.parent, entities);
    }
    if (e.left_constraint) {
      out += "<" + shown_index(e.left_constraint, entities);
    }
    if (!e.attr.empty()) {
      std::string attrs;
      for (const auto& a : e.attr) {
        attrs += (attrs.empty() ? "" : ",") + a.first + "=" + a.second;
      }
      out += "{" + attrs + "}";
    }
  }
  return out;
}

std::string show_frontiers(const frontier_map& frontiers, const std::vector<entity>& ref,
                           const std::vector<entity>& hyp) {
  const labeller label{ref, hyp};
  std::string out;
  for (const auto& f : frontiers) {
    std::vector<entity*> list(f.second.begin(), f.second.end());
    out += (out.empty() ? "" : " ") + std::to_string(f.first) + ":" + show_list(list, label, false);
  }
  return out;
}

std::string show_segments(const std::vector<segment>& segments, const std::vector<entity>& ref,
                          const std::vector<entity>& hyp) {
  const labeller label{ref, hyp};
  std::string out;
  for (const segment& seg : segments) {
    out += (out.empty() ? "" : " ") + std::to_string(seg.start) + "-" + std::to_string(seg.end) +
           "{" + show_list(seg.entities, label, true) + "}s{" +
           show_refs(seg.starting_ref_entities, label) + "}e{" +
           show_refs(seg.ending_ref_entities, label) + "}h{" +
           show_list(seg.starting_hyp_entities, label, false) + "}";
  }
  return out;
}

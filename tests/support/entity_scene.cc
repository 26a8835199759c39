#include "support/entity_scene.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string joined(view<const int32_t> values) {
  std::string out;
  for (size_t i = 0; i < values.size(); ++i) {
    out += (i ? "," : "") + std::to_string(values[i]);
  }
  return out;
}

// The text of `s` from `at` up to the first of `stops`, and `at` past it.
std::string take_until(const std::string& s, size_t& at, const char* stops) {
  const size_t end = std::min(s.find_first_of(stops, at), s.size());
  std::string out = s.substr(at, end - at);
  at = end;
  return out;
}

std::vector<int32_t> numbers(const std::string& list) {
  std::vector<int32_t> out;
  size_t at = 0;
  while (at < list.size()) {
    out.push_back(static_cast<int32_t>(std::atoi(take_until(list, at, ",").c_str())));
    at++;
  }
  return out;
}

}  // namespace

int32_t append_entity(entity_set& set, int tagid, const std::vector<int32_t>& starts,
                      const std::vector<int32_t>& ends, bool hyp, int depth, int line,
                      const std::vector<std::pair<std::string, std::string>>& attributes) {
  entity& e = set.add(tagid, line, 0, depth, hyp, starts, ends);
  e.attrs = set.attributes.size();
  e.nattrs = static_cast<uint32_t>(attributes.size());
  for (const auto& a : attributes) {
    set.attributes.add(a.first, a.second);
  }
  if (!set.links.empty()) {
    set.links.emplace_back();
  }
  return static_cast<int32_t>(set.size() - 1);
}

void add_entities(entity_set& set, const std::string& scene, name_table& types, bool hyp) {
  size_t at = 0;
  while (at < scene.size()) {
    if (scene[at] == ' ') {
      at++;
      continue;
    }
    const std::string type = take_until(scene, at, "[");
    const std::vector<int32_t> starts = numbers(take_until(scene, ++at, ":"));
    const std::vector<int32_t> ends = numbers(take_until(scene, ++at, "]"));
    ASSERT_LT(at, scene.size()) << "no ']' in " << scene;
    at++;
    int depth = 0, line = 1, parent = -1, left = -1;
    std::vector<std::pair<std::string, std::string>> attributes;
    while (at < scene.size() && scene[at] != ' ') {
      const char mark = scene[at++];
      if (mark == '{') {
        for (std::string a : {take_until(scene, at, "}")}) {
          for (size_t p = 0; p < a.size(); p++) {
            const std::string name = take_until(a, p, "=");
            attributes.emplace_back(name, take_until(a, ++p, ","));
          }
        }
        at++;
        continue;
      }
      const int value = std::atoi(take_until(scene, at, "d^<{@ ").c_str());
      switch (mark) {
        case 'd':
          depth = value;
          break;
        case '^':
          parent = value;
          break;
        case '<':
          left = value;
          break;
        case '@':
          line = value;
          break;
        default:
          FAIL() << "unknown mark '" << mark << "' in " << scene;
      }
    }
    const int32_t i = append_entity(set, type == "?" ? -1 : types.get(type), starts, ends, hyp,
                                    depth, line, attributes);
    if (parent >= 0 || left >= 0) {
      // The links are all or nothing: once one entity has some, every entity has an entry.
      set.links.resize(set.size());
      set.links[static_cast<size_t>(i)] = entity_links{parent, left};
    }
  }
}

std::string show_entities(const entity_set& set, const name_table& types, bool with_lines) {
  std::string out;
  for (size_t i = 0; i < set.size(); ++i) {
    const entity& e = set[i];
    out += out.empty() ? "" : " ";
    out += types.has(e.tagid) ? types.name(e.tagid) : "?";
    out += "[" + joined(set.starts(e)) + ":" + joined(set.ends(e)) + "]d" + std::to_string(e.depth);
    if (set.parent(i) >= 0) {
      out += "^" + std::to_string(set.parent(i));
    }
    if (set.left_constraint(i) >= 0) {
      out += "<" + std::to_string(set.left_constraint(i));
    }
    if (e.nattrs != 0) {
      out += "{";
      for (uint32_t a = e.attrs; a < e.attrs + e.nattrs; ++a) {
        out += (a != e.attrs ? "," : "") + std::string(set.attributes.name(a)) + "=" +
               std::string(set.attributes.value(a));
      }
      out += "}";
    }
    if (with_lines && e.line != 1) {
      out += "@" + std::to_string(e.line);
    }
  }
  return out;
}

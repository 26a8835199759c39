// Test-only renderings of tag lists.
#include "render.h"

#include "support/test_support.h"

namespace {

std::string place(int pos, int line, int col) {
  return "@" + std::to_string(pos) + "(" + std::to_string(line) + ":" + std::to_string(col) + ")";
}

std::string attributes(const attr_list& attr) {
  if (attr.empty()) {
    return "";
  }
  std::string out = "[";
  for (const auto& a : attr) {
    out += (out.size() > 1 ? "," : "") + a.first + "=" + a.second;
  }
  return out + "]";
}

}  // namespace

std::string render(const std::list<simple_tag>& tags, const name_table& types) {
  std::string out;
  for (const simple_tag& t : tags) {
    out += out.empty() ? "" : " ";
    out += (t.closing ? "/" : "") + shown_type(t.tagid, types) + place(t.pos, t.line, t.col) +
           attributes(t.attr);
  }
  return out;
}

std::string render(const std::list<aref_tag>& tags, const name_table& types) {
  std::string out;
  for (const aref_tag& t : tags) {
    out += out.empty() ? "" : " ";
    std::string ftype = t.opening ? (t.closing ? "se" : "s") : (t.closing ? "e" : "-");
    out += std::to_string(t.id) + ":" + shown_type(t.tagid, types) + ":" + ftype +
           place(t.pos, t.line, t.col);
    if (t.depth != 0 || t.parent != -1) {
      out += "d" + std::to_string(t.depth) + "p" + std::to_string(t.parent);
    }
    out += attributes(t.attr);
  }
  return out;
}

// Test-only renderings of reader results.
#include "render.h"

#include <algorithm>

#include "support/test_support.h"

std::string place(int pos, int line, int col) {
  return "@" + std::to_string(pos) + "(" + std::to_string(line) + ":" + std::to_string(col) + ")";
}

std::string render(const text_tags& doc, const name_table& types) {
  std::string out;
  for (const simple_tag& t : doc.tags) {
    out += out.empty() ? "" : " ";
    out += (t.closing ? "/" : "") + shown_type(t.tagid, types) + place(t.pos, t.line, t.col);
    if (t.nattrs != 0) {
      out += "[";
      for (uint32_t i = t.attrs; i < t.attrs + t.nattrs; i++) {
        out += (i != t.attrs ? "," : "") + std::string(doc.attributes.name(i)) + "=" +
               std::string(doc.attributes.value(i));
      }
      out += "]";
    }
  }
  return out;
}

std::string render(const std::vector<aref_tag>& tags, const name_table& types) {
  std::string out;
  for (const aref_tag& t : tags) {
    out += out.empty() ? "" : " ";
    std::string ftype = t.opening ? (t.closing ? "se" : "s") : (t.closing ? "e" : "-");
    out += std::to_string(t.id) + ":" + shown_type(t.tagid, types) + ":" + ftype +
           place(t.pos, t.line, t.col);
    if (t.depth != 0 || t.parent != -1) {
      out += "d" + std::to_string(t.depth) + "p" + std::to_string(t.parent);
    }
  }
  return out;
}

assembled_doc assemble(const std::vector<std::string>& runs, const std::vector<std::string>& tags) {
  assembled_doc a;
  for (size_t i = 0; i < runs.size(); i++) {
    a.doc += runs[i];
    a.bare += runs[i];
    if (i < tags.size()) {
      const size_t last_line_feed = a.doc.rfind('\n');
      const size_t line_start = last_line_feed == std::string::npos ? 0 : last_line_feed + 1;
      const int line = 1 + static_cast<int>(std::count(a.doc.begin(), a.doc.end(), '\n'));
      a.places.push_back(place(static_cast<int>(a.bare.size()), line,
                               static_cast<int>(a.doc.size() - line_start)));
      a.doc += tags[i];
    }
  }
  return a;
}

#include "readers/jsonl_reader.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <cmath>
#include <cstring>
#include <map>

#include "base/escape.h"
#include "base/fatal.h"
#include "base/utf8.h"
#include "readers/json_kind.h"

namespace {

[[noreturn]] void fail(const char* file, int32_t line, const std::string& message) {
  fatal(1, "%s:%d: Error: %s\n", file, line, message.c_str());
}

// An offset: a whole number (a JSON number without a fraction).
int64_t offset_of(const rapidjson::Value& v, const char* file, int32_t line,
                  const std::string& what) {
  if (!v.IsInt64()) {
    fail(file, line, what + " is " + json_kind(v) + ", not a whole number of characters.");
  }
  return v.GetInt64();
}

// A string's bytes, which must be UTF-8: a JSON escape may still name half
// of a surrogate pair alone.
std::string utf8_of(const rapidjson::Value& v, const char* file, int32_t line,
                    const std::string& what) {
  std::string s(v.GetString(), v.GetStringLength());
  if (!is_utf8(s)) {
    fail(file, line, what + " holds a character that is not Unicode (half a surrogate pair).");
  }
  return s;
}

std::string label_of(const rapidjson::Value& v, const char* file, int32_t line,
                     const std::string& what) {
  if (!v.IsString() || v.GetStringLength() == 0) {
    fail(file, line,
         what + " is " + (v.IsString() ? std::string("empty") : json_kind(v)) +
             ", not a label (a string).");
  }
  return utf8_of(v, file, line, what);
}

// An id: a string or a whole number, as text.
std::string id_text(const rapidjson::Value& v, const char* file, int32_t line, const char* what) {
  if (v.IsString()) {
    return utf8_of(v, file, line, what);
  }
  if (v.IsInt64()) {
    return std::to_string(v.GetInt64());
  }
  if (v.IsUint64()) {
    return std::to_string(v.GetUint64());
  }
  fail(file, line,
       std::string(what) + " is " + json_kind(v) +
           (!v.IsNumber()                                ? ""
            : std::trunc(v.GetDouble()) == v.GetDouble() ? " too large"
                                                         : " that is no whole number") +
           ": expected a string or a whole number (of at most 64 bits).");
}

}  // namespace

span_document jsonl_document::where(const char* file) const {
  span_document w;
  w.file = file;
  w.line = line;
  w.place = task;
  w.id = id;
  w.task = !task.empty();
  return w;
}

std::string jsonl_document::ordinal() const {
  return std::string(unit()) + " " + std::to_string(line);
}

std::string jsonl_document::place(const char* file) const {
  return task.empty() ? std::string(file) + ":" + std::to_string(line)
                      : std::string(file) + ": " + task;
}

jsonl_document read_jsonl_line(std::string_view line, int32_t number, const char* file,
                               bool labelstudio) {
  rapidjson::Document d;
  // Iterative: however deep a line's arrays nest, the parse takes no stack.
  d.Parse<rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag>(line.data(),
                                                                                  line.size());
  if (d.HasParseError()) {
    fail(file, number,
         std::string("expected a JSON object a line, with \"text\" and its spans; ") +
             rapidjson::GetParseError_En(d.GetParseError()) + " (at byte " +
             std::to_string(d.GetErrorOffset() + 1) + ").");
  }
  if (!d.IsObject()) {
    fail(file, number,
         std::string("expected a JSON object a line, with \"text\" and its spans; found ") +
             json_kind(d) + ".");
  }
  jsonl_document doc;
  doc.line = number;
  const auto text = d.FindMember("text");
  if (text == d.MemberEnd() || !text->value.IsString()) {
    fail(file, number,
         "expected \"text\", the document's text as a string; " +
             std::string(text == d.MemberEnd()
                             ? "the line has none."
                             : std::string("found ") + json_kind(text->value) + "."));
  }
  doc.text = utf8_of(text->value, file, number, "the text");
  if (std::memchr(doc.text.data(), '\0', doc.text.size())) {
    fail(file, number, "the text holds a NUL character.");
  }
  const auto id = d.FindMember("id");
  if (id != d.MemberEnd()) {
    doc.id = id_text(id->value, file, number, "\"id\"");
    doc.has_id = true;
  } else {
    const auto meta = d.FindMember("meta");
    if (meta != d.MemberEnd() && meta->value.IsObject()) {
      const auto meta_id = meta->value.FindMember("id");
      if (meta_id != meta->value.MemberEnd()) {
        doc.id = id_text(meta_id->value, file, number, "\"meta.id\"");
        doc.has_id = true;
      }
    }
  }
  // Spans as objects, or as [start, end, label] arrays under "label" or
  // "entities".
  const auto spans = d.FindMember("spans");
  const char* key = "spans";
  const rapidjson::Value* list = spans != d.MemberEnd() ? &spans->value : nullptr;
  for (const char* other : {"label", "entities"}) {
    const auto m = d.FindMember(other);
    if (m == d.MemberEnd()) {
      continue;
    }
    if (list) {
      fail(file, number,
           std::string("the line has both \"") + key + "\" and \"" + other +
               "\": which are its spans?");
    }
    list = &m->value;
    key = other;
  }
  // A task's number in its export, and so its place in messages.
  const auto task = d.FindMember("task");
  if (labelstudio && task != d.MemberEnd() && task->value.IsInt()) {
    doc.line = task->value.GetInt();
    doc.task = "task " + std::to_string(doc.line) +
               (doc.has_id ? " (id " + shown_name(doc.id) + ")" : std::string());
  }
  if (!list) {
    return doc;  // no entity
  }
  if (!list->IsArray()) {
    fail(file, number,
         std::string("expected \"") + key + "\" to be an array of spans; found " +
             json_kind(*list) + ".");
  }
  const bool objects = std::strcmp(key, "spans") == 0;
  for (rapidjson::SizeType i = 0; i < list->Size(); i++) {
    const rapidjson::Value& s = (*list)[i];
    const std::string name = "span " + std::to_string(i + 1);
    character_span span;
    span.name = name;
    if (objects) {
      if (!s.IsObject() || !s.HasMember("start") || !s.HasMember("end") || !s.HasMember("label")) {
        fail(file, number,
             name + ": expected an object with \"start\", \"end\" and \"label\"; found " +
                 (s.IsObject() ? std::string("an object without them") : json_kind(s)) + ".");
      }
      span.start = offset_of(s["start"], file, number, name + "'s start");
      span.end = offset_of(s["end"], file, number, name + "'s end");
      span.label = label_of(s["label"], file, number, name + "'s label");
      const auto span_id = s.FindMember("id");
      if (span_id != s.MemberEnd() && !span_id->value.IsNull()) {
        span.id = id_text(span_id->value, file, number, (name + "'s id").c_str());
      }
      const auto result = s.FindMember("result");
      if (labelstudio && result != s.MemberEnd() && result->value.IsInt()) {
        span.number = result->value.GetInt();
        span.name = "result " + std::to_string(span.number);
      }
    } else {
      if (!s.IsArray() || s.Size() != 3) {
        fail(file, number,
             name + ": expected [start, end, label] in \"" + key + "\"; found " +
                 (s.IsArray() ? "an array of " + std::to_string(s.Size()) : json_kind(s)) + ".");
      }
      span.start = offset_of(s[0], file, number, name + "'s start");
      span.end = offset_of(s[1], file, number, name + "'s end");
      span.label = label_of(s[2], file, number, name + "'s label");
    }
    doc.spans.push_back(std::move(span));
  }
  return doc;
}

std::vector<jsonl_line> jsonl_lines(const char* data, size_t size) {
  std::vector<jsonl_line> lines;
  int32_t number = 0;
  for (size_t at = 0; at < size;) {
    number++;
    const void* nl = std::memchr(data + at, '\n', size - at);
    const size_t end = nl ? static_cast<size_t>(static_cast<const char*>(nl) - data) : size;
    size_t last = end;
    if (last > at && data[last - 1] == '\r') {
      last--;
    }
    size_t first = at;
    while (first < last && (data[first] == ' ' || data[first] == '\t')) {
      first++;
    }
    if (first < last) {
      lines.push_back(jsonl_line{at, last, number});
    }
    at = end + 1;
  }
  return lines;
}

std::vector<size_t> pair_jsonl_documents(const std::vector<jsonl_document>& ref,
                                         const std::vector<jsonl_document>& hyp,
                                         const char* ref_shown, const char* hyp_shown) {
  bool ids = true;
  for (const auto* side : {&ref, &hyp}) {
    for (const jsonl_document& d : *side) {
      ids = ids && d.has_id;
    }
  }
  std::vector<size_t> partner(ref.size());
  if (!ids) {
    if (ref.size() != hyp.size()) {
      fatal(1,
            "Error: %s holds %zu documents and %s %zu: without an \"id\" on every line, lines "
            "pair in order.\n",
            ref_shown, ref.size(), hyp_shown, hyp.size());
    }
    for (size_t i = 0; i < ref.size(); i++) {
      partner[i] = i;
    }
    return partner;
  }
  // A document whose id an earlier one of its side has; one whose id no
  // document of the other side has.
  auto met_twice = [](const jsonl_document& d, const jsonl_document& first, const char* shown) {
    fatal(1, "%s: Error: the id \"%s\" is that of %s too.\n", d.place(shown).c_str(),
          shown_name(d.id).c_str(), first.ordinal().c_str());
  };
  auto unmatched = [](const jsonl_document& d, const char* shown, const char* other) {
    fatal(1, "%s: Error: no %s of %s has the id \"%s\".\n", d.place(shown).c_str(), d.unit(), other,
          shown_name(d.id).c_str());
  };
  std::map<std::string, size_t> by_id;
  for (size_t h = 0; h < hyp.size(); h++) {
    const auto [at, added] = by_id.emplace(hyp[h].id, h);
    if (!added) {
      met_twice(hyp[h], hyp[at->second], hyp_shown);
    }
  }
  std::map<std::string, size_t> seen;
  for (size_t r = 0; r < ref.size(); r++) {
    const auto [at, added] = seen.emplace(ref[r].id, r);
    if (!added) {
      met_twice(ref[r], ref[at->second], ref_shown);
    }
    const auto found = by_id.find(ref[r].id);
    if (found == by_id.end()) {
      unmatched(ref[r], ref_shown, hyp_shown);
    }
    partner[r] = found->second;
    by_id.erase(found);
  }
  if (!by_id.empty()) {
    unmatched(hyp[by_id.begin()->second], hyp_shown, ref_shown);
  }
  return partner;
}

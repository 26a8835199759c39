#include "readers/labelstudio_reader.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "base/escape.h"
#include "base/fatal.h"
#include "base/utf8.h"
#include "readers/json_kind.h"

namespace {

using json_value = rapidjson::Value;

std::string text_of(const json_value& v) {
  if (v.IsString()) {
    return std::string(v.GetString(), v.GetStringLength());
  }
  if (v.IsInt64()) {
    return std::to_string(v.GetInt64());
  }
  if (v.IsUint64()) {
    return std::to_string(v.GetUint64());
  }
  return std::string();
}

class task_reader {
 public:
  task_reader(const char* file, size_t ordinal, const json_value& task)
      : file_(file), ordinal_(ordinal), task_(task) {
    if (task.IsObject()) {
      const auto id = task.FindMember("id");
      if (id != task.MemberEnd()) {
        id_ = text_of(id->value);
      }
    }
  }

  [[noreturn]] void fail(const std::string& message) const {
    fatal(1, "%s: task %zu%s: Error: %s\n", file_, ordinal_,
          id_.empty() ? "" : (" (id " + shown_name(id_) + ")").c_str(), message.c_str());
  }

  const std::string& id() const { return id_; }

  // data.text, or the one string of data.
  std::string text() const {
    if (!task_.IsObject()) {
      fail(std::string("expected a task, an object with \"data\" and \"annotations\"; found ") +
           json_kind(task_) + ".");
    }
    const auto data = task_.FindMember("data");
    if (data == task_.MemberEnd() || !data->value.IsObject()) {
      fail("expected \"data\", an object holding the task's text.");
    }
    const auto text = data->value.FindMember("text");
    if (text != data->value.MemberEnd() && text->value.IsString()) {
      return text_of(text->value);
    }
    const json_value* only = nullptr;
    for (const auto& m : data->value.GetObject()) {
      if (m.value.IsString()) {
        if (only) {
          fail("\"data\" has no \"text\" and several strings: which is the text?");
        }
        only = &m.value;
      }
    }
    if (!only) {
      fail("\"data\" holds no text (a string).");
    }
    return text_of(*only);
  }

  // The results of the annotation or prediction that `who` names.
  const json_value& results(const std::string& who) const {
    const bool prediction = who.rfind("prediction", 0) == 0;
    const char* list_name = prediction ? "predictions" : "annotations";
    const auto list = task_.FindMember(list_name);
    if (list == task_.MemberEnd() || !list->value.IsArray() || list->value.Empty()) {
      fail(std::string("it has no ") + list_name + ".");
    }
    const json_value& items = list->value;
    const std::string index = prediction ? who.substr(10) : who;
    const json_value* chosen = nullptr;
    if (!index.empty() && index[0] == '#') {
      const size_t n = std::strtoul(index.c_str() + 1, nullptr, 10);
      if (n < 1 || n > items.Size()) {
        fail(std::string("it has ") + std::to_string(items.Size()) + " " + list_name + ", not " +
             shown_name(index) + ".");
      }
      chosen = &items[static_cast<rapidjson::SizeType>(n - 1)];
    } else if (!index.empty() && !prediction) {
      for (const json_value& a : items.GetArray()) {
        if (a.IsObject() && by(a, index)) {
          chosen = &a;
          break;
        }
      }
      if (!chosen) {
        fail("no annotation is completed by " + shown_name(index) + ".");
      }
    } else {
      for (const json_value& a : items.GetArray()) {
        if (!a.IsObject()) {
          fail(std::string("expected ") + list_name + " to hold objects; found " + json_kind(a) +
               ".");
        }
        if (!cancelled(a)) {
          chosen = &a;
          break;
        }
      }
      if (!chosen) {
        fail(std::string("all its ") + list_name + " were cancelled.");
      }
    }
    if (!chosen->IsObject()) {
      fail(std::string("expected ") + list_name + " to hold objects; found " + json_kind(*chosen) +
           ".");
    }
    if (cancelled(*chosen)) {
      fail("the annotation " + shown_name(who) + " was cancelled.");
    }
    const auto result = chosen->FindMember("result");
    if (result == chosen->MemberEnd() || !result->value.IsArray()) {
      fail("expected \"result\", the array of the annotation's labelled spans.");
    }
    return result->value;
  }

 private:
  static bool cancelled(const json_value& a) {
    const auto c = a.FindMember("was_cancelled");
    return c != a.MemberEnd() && c->value.IsBool() && c->value.GetBool();
  }
  // completed_by: a user's id, or an object with its id and email.
  static bool by(const json_value& a, const std::string& who) {
    const auto c = a.FindMember("completed_by");
    if (c == a.MemberEnd()) {
      return false;
    }
    if (c->value.IsObject()) {
      for (const char* key : {"id", "email"}) {
        const auto m = c->value.FindMember(key);
        if (m != c->value.MemberEnd() && text_of(m->value) == who) {
          return true;
        }
      }
      return false;
    }
    return text_of(c->value) == who;
  }

  const char* file_;
  size_t ordinal_;
  const json_value& task_;
  std::string id_;
};

// UTF-16 offsets of `text` as offsets in characters; an offset between the
// halves of a surrogate pair, or past the end, is -1.
class utf16_offsets {
 public:
  explicit utf16_offsets(std::string_view text) {
    int64_t chars = 0;
    size_t i = 0;
    for (; i < text.size(); chars++) {
      const size_t n = utf8_sequence(text.substr(i, 4));
      chars_of_unit_.push_back(chars);
      bytes_of_unit_.push_back(i);
      if (n == 4) {
        chars_of_unit_.push_back(-1);  // the second half of the pair
        bytes_of_unit_.push_back(i);
      }
      i += n == 0 ? 1 : n;
    }
    chars_of_unit_.push_back(chars);
    bytes_of_unit_.push_back(i);
  }
  // The byte where a unit's character starts (for units `characters` takes).
  size_t byte(int64_t unit) const { return bytes_of_unit_[static_cast<size_t>(unit)]; }
  // -2: past the end.
  int64_t characters(int64_t unit) const {
    if (unit < 0) {
      return unit;  // reported as given
    }
    if (static_cast<size_t>(unit) >= chars_of_unit_.size()) {
      return -2;
    }
    return chars_of_unit_[static_cast<size_t>(unit)];
  }
  size_t units() const { return chars_of_unit_.size() - 1; }

 private:
  std::vector<int64_t> chars_of_unit_;
  std::vector<size_t> bytes_of_unit_;
};

}  // namespace

std::string labelstudio_as_jsonl(const char* data, size_t size, const char* file,
                                 const std::string& annotator, labelstudio_counts& counts) {
  rapidjson::Document d;
  // Iterative: however deep the arrays nest, the parse takes no stack.
  d.Parse<rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag>(data, size);
  if (d.HasParseError()) {
    fatal(1,
          "%s: Error: expected Label Studio's JSON export, an array of tasks; %s (at byte %zu).\n",
          file, rapidjson::GetParseError_En(d.GetParseError()), d.GetErrorOffset() + 1);
  }
  if (!d.IsArray()) {
    fatal(1, "%s: Error: expected Label Studio's JSON export, an array of tasks; found %s.\n", file,
          json_kind(d));
  }
  std::string out;
  for (rapidjson::SizeType t = 0; t < d.Size(); t++) {
    const task_reader task(file, t + 1, d[t]);
    const std::string text = task.text();
    const utf16_offsets units(text);
    rapidjson::StringBuffer line;
    rapidjson::Writer<rapidjson::StringBuffer> w(line);
    w.StartObject();
    if (!task.id().empty()) {
      w.Key("id");
      w.String(task.id().c_str(), static_cast<rapidjson::SizeType>(task.id().size()));
    }
    w.Key("task");
    w.Uint64(t + 1);
    w.Key("text");
    w.String(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
    w.Key("spans");
    w.StartArray();
    const json_value& results = task.results(annotator);
    for (rapidjson::SizeType r = 0; r < results.Size(); r++) {
      const json_value& res = results[r];
      const json_value* v = nullptr;
      if (res.IsObject()) {
        const auto found = res.FindMember("value");
        if (found != res.MemberEnd() && found->value.IsObject()) {
          v = &found->value;
        }
      }
      if (!v || !v->HasMember("start") || !v->HasMember("end") || !v->HasMember("labels")) {
        counts.other_results++;
        continue;
      }
      const json_value& val = *v;
      const std::string name = "result " + std::to_string(r + 1);
      if (!val["start"].IsInt64() || !val["end"].IsInt64()) {
        task.fail(name + ": expected whole numbers for \"start\" and \"end\".");
      }
      int64_t bounds[2] = {val["start"].GetInt64(), val["end"].GetInt64()};
      const int64_t given[2] = {bounds[0], bounds[1]};
      for (int64_t& b : bounds) {
        if (b < 0) {
          task.fail(name + ": the offset " + std::to_string(b) + " is negative.");
        }
        const int64_t c = units.characters(b);
        if (c == -1) {
          task.fail(name + ": the offset " + std::to_string(b) +
                    " falls between the two halves of a character beyond U+FFFF.");
        }
        if (c == -2) {
          task.fail(name + ": the offset " + std::to_string(b) + " is past the end of the text (" +
                    std::to_string(units.units()) + " UTF-16 units).");
        }
        b = c;
      }
      // The span's text, when the export gives it, is the text there.
      const auto shown_text = val.FindMember("text");
      if (shown_text != val.MemberEnd() && shown_text->value.IsString() && given[0] < given[1]) {
        const size_t from = units.byte(given[0]), to = units.byte(given[1]);
        const std::string_view at(text.data() + from, to - from);
        const std::string_view says(shown_text->value.GetString(),
                                    shown_text->value.GetStringLength());
        if (at != says) {
          task.fail(name + ": its text \"" + shown_name(says) + "\" is not the text at " +
                    std::to_string(given[0]) + "-" + std::to_string(given[1]) + ", \"" +
                    shown_name(at) + "\".");
        }
      }
      // The result's id, by which the tool knows it.
      std::string result_id;
      const auto rid = res.FindMember("id");
      if (rid != res.MemberEnd()) {
        result_id = text_of(rid->value);
        if (!is_utf8(result_id)) {
          task.fail(name +
                    ": its id holds a character that is not Unicode (half a surrogate pair).");
        }
      }
      const json_value& labels = val["labels"];
      if (!labels.IsArray() || labels.Empty()) {
        task.fail(name + ": expected \"labels\", an array of at least one label.");
      }
      if (labels.Size() > 1) {
        counts.several_labels++;
      }
      for (const json_value& label : labels.GetArray()) {
        if (!label.IsString() || label.GetStringLength() == 0) {
          task.fail(name + ": a label is " + (label.IsString() ? "empty" : json_kind(label)) +
                    ", not a name (a string).");
        }
        w.StartObject();
        w.Key("start");
        w.Int64(bounds[0]);
        w.Key("end");
        w.Int64(bounds[1]);
        w.Key("label");
        w.String(label.GetString(), label.GetStringLength());
        if (!result_id.empty()) {
          w.Key("id");
          w.String(result_id.c_str(), static_cast<rapidjson::SizeType>(result_id.size()));
        }
        w.Key("result");
        w.Uint64(r + 1);
        w.EndObject();
      }
    }
    w.EndArray();
    w.EndObject();
    out.append(line.GetString(), line.GetSize());
    out += '\n';
  }
  return out;
}

std::vector<std::string> labelstudio_warnings(const char* file, const labelstudio_counts& counts) {
  std::vector<std::string> out;
  if (counts.several_labels > 0) {
    out.push_back(std::string(file) + ": Warning: " + std::to_string(counts.several_labels) +
                  (counts.several_labels == 1 ? " span holds" : " spans hold") +
                  " several labels: each label is read as an entity of its own.\n");
  }
  if (counts.other_results > 0) {
    out.push_back(std::string(file) + ": Note: " + std::to_string(counts.other_results) +
                  (counts.other_results == 1 ? " result is" : " results are") +
                  " no labelled span (choices, relations, text...) and not evaluated.\n");
  }
  return out;
}

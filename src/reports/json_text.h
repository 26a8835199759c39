// Strings for the JSON that the reports write (the JSON report, the visual
// report's data): Unicode text, whatever bytes the documents hold.
#pragma once

#include <rapidjson/rapidjson.h>
#include <rapidjson/writer.h>

#include <string>
#include <string_view>

#include "base/utf8.h"

// Writes `s` as a JSON string with a RapidJSON writer; each byte that begins
// no valid UTF-8 sequence is written as U+FFFD. The writer escapes quotes,
// backslashes and control characters.
template <class Writer>
void put_json_string(Writer& w, std::string_view s) {
  if (is_utf8(s)) {
    w.String(s.data(), static_cast<rapidjson::SizeType>(s.size()));
    return;
  }
  const std::string repaired = repaired_utf8(s);
  w.String(repaired.data(), static_cast<rapidjson::SizeType>(repaired.size()));
}

// JSON inside a <script> element, into a string: a "<" (only ever inside a
// JSON string) is written as \u003c, so that no "</script>" or "<!--" can
// end the element.
class script_json_stream {
 public:
  typedef char Ch;
  explicit script_json_stream(std::string& out) : out_(out) {}
  void Put(char c) {
    if (c == '<') {
      out_ += "\\u003c";
    } else {
      out_ += c;
    }
  }
  void Flush() {}

 private:
  std::string& out_;
};

using script_writer = rapidjson::Writer<script_json_stream>;

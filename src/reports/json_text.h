// Strings for the JSON that the reports write (the JSON report, the visual
// report's data): Unicode text, whatever bytes the documents hold.
#pragma once

#include <rapidjson/rapidjson.h>

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

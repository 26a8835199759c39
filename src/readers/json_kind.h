// What a JSON value is, as messages name it ("an object", "a number"...),
// for the readers of JSON documents.
#pragma once

#include <rapidjson/document.h>

inline const char* json_kind(const rapidjson::Value& v) {
  return v.IsObject()   ? "an object"
         : v.IsArray()  ? "an array"
         : v.IsString() ? "a string"
         : v.IsNumber() ? "a number"
         : v.IsBool()   ? "a boolean"
                        : "null";
}

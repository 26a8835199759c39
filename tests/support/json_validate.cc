// Checks JSON documents against a JSON Schema (draft 4):
//
//   json_validate SCHEMA [FILE...]
//
// reads each FILE (standard input when there is none) and reports, for each
// document that does not parse or does not conform, where and why. Exits 1
// when one fails.
#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/schema.h>
#include <rapidjson/stringbuffer.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

bool read_all(const char* path, std::string& text) {
  if (path == nullptr) {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return true;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return false;
  }
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

bool parse(const char* name, const std::string& text, rapidjson::Document& d) {
  d.Parse(text.c_str(), text.size());
  if (d.HasParseError()) {
    fprintf(stderr, "%s: offset %zu: %s\n", name, d.GetErrorOffset(),
            rapidjson::GetParseError_En(d.GetParseError()));
    return false;
  }
  return true;
}

bool check(const rapidjson::SchemaDocument& schema, const char* path) {
  const char* name = path ? path : "<stdin>";
  std::string text;
  if (!read_all(path, text)) {
    fprintf(stderr, "%s: cannot read\n", name);
    return false;
  }
  rapidjson::Document d;
  if (!parse(name, text, d)) {
    return false;
  }
  rapidjson::SchemaValidator validator(schema);
  if (!d.Accept(validator)) {
    rapidjson::StringBuffer where, rule;
    validator.GetInvalidSchemaPointer().StringifyUriFragment(rule);
    validator.GetInvalidDocumentPointer().StringifyUriFragment(where);
    fprintf(stderr, "%s: %s breaks '%s' of %s\n", name, where.GetString(),
            validator.GetInvalidSchemaKeyword(), rule.GetString());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: json_validate SCHEMA [FILE...]\n");
    return 2;
  }
  std::string text;
  rapidjson::Document schema_json;
  if (!read_all(argv[1], text) || !parse(argv[1], text, schema_json)) {
    return 2;
  }
  const rapidjson::SchemaDocument schema(schema_json);
  bool ok = true;
  if (argc == 2) {
    ok = check(schema, nullptr);
  }
  for (int i = 2; i < argc; i++) {
    ok = check(schema, argv[i]) && ok;
  }
  return ok ? 0 : 1;
}

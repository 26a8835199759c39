#include "fuzz_support.h"

#include <rapidjson/document.h>
#include <unistd.h>

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/run.h"

std::vector<std::string> split_input(const uint8_t* data, size_t size, size_t parts) {
  std::vector<std::string> out;
  const char* p = reinterpret_cast<const char*>(data);
  const char* end = p + size;
  while (out.size() + 1 < parts) {
    const void* nul = std::memchr(p, '\0', static_cast<size_t>(end - p));
    if (!nul) {
      break;
    }
    out.emplace_back(p, static_cast<const char*>(nul));
    p = static_cast<const char*>(nul) + 1;
  }
  out.emplace_back(p, end);
  while (out.size() < parts) {
    out.emplace_back();
  }
  return out;
}

std::vector<char> writable(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  return buffer;
}

namespace {

std::string folder;

void remove_folder() {
  std::string command = "rm -rf '" + folder + "'";
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "could not remove %s\n", folder.c_str());
  }
}

}  // namespace

std::string scratch_file(const std::string& name, const std::string& content) {
  if (folder.empty()) {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/orvane-fuzz-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
      std::perror("mkdtemp");
      std::abort();
    }
    folder = buffer.data();
    std::atexit(remove_folder);
  }
  const std::string path = folder + "/" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(content.data(), 1, content.size(), f) != content.size() ||
      std::fclose(f) != 0) {
    std::perror(path.c_str());
    std::abort();
  }
  return path;
}

name_table fuzz_types() {
  name_table types;
  for (const char* name : {"pers", "loc", "org", "PER", "x-y", "a=b"}) {
    types.get(name);
  }
  return types;
}

void check_tag_order(const std::vector<simple_tag>& tags, const char* bare) {
  const int length = static_cast<int>(std::strlen(bare));
  int last = 0;
  for (const simple_tag& t : tags) {
    assert(t.pos >= last && t.pos <= length);
    last = t.pos;
  }
  (void)length;
  (void)last;
}

void run_command_line(std::vector<const char*> args) {
  static FILE* sink = std::fopen("/dev/null", "w");
  assert(!args.empty());
  args.insert(args.begin() + 1, {"--search-limit", "20000"});
  args.push_back(nullptr);
  const command cmd =
      parse_command_line(static_cast<int>(args.size()) - 1, const_cast<char**>(args.data()));
  assert(cmd.what == command::action::run);
  if (!cmd.options.reports.json) {
    const int status = run_evaluation(cmd.options, sink, sink);
    assert(status == 0 || status == 1);
    (void)status;
    return;
  }
  // A JSON report must be one well-formed document in valid UTF-8,
  // whatever bytes the documents hold.
  char* buffer = nullptr;
  size_t size = 0;
  FILE* out = open_memstream(&buffer, &size);
  assert(out);
  const int status = run_evaluation(cmd.options, out, sink);
  fclose(out);
  assert(status == 0 || status == 1);
  if (status == 0) {
    rapidjson::Document d;
    d.Parse<rapidjson::kParseValidateEncodingFlag>(buffer, size);
    assert(!d.HasParseError() && d.IsObject() && d.HasMember("summary"));
  }
  free(buffer);
}

// Writes a large synthetic evaluation corpus for timing whole runs: a task
// description, a reference and a hypothesis with nested entities, whitespace
// differences and every kind of outcome.
//
//   make_corpus DIR SENTENCES [aref]
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

const char* kDescription =
    "function get_all_tags() return {'pers', 'org', 'loc', 'func'} end\n"
    "function get_miss_cost(e) return 1, e.hyp and 'insertion' or 'deletion' end\n"
    "function get_substitution_cost(r, h)\n"
    "  local t, b = r.type == h.type, r.spos == h.spos and r.epos == h.epos\n"
    "  if t and b then return 0 end\n"
    "  if b then return 0.5, 'type' end\n"
    "  if t then return 0.5, 'boundary' end\n"
    "  return 1, {'type', 'boundary'}\n"
    "end\n";

bool write_file(const std::string& path, const std::string& text) {
  FILE* f = fopen(path.c_str(), "w");
  if (!f) {
    perror(path.c_str());
    return false;
  }
  fwrite(text.data(), 1, text.size(), f);
  return fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: make_corpus DIR SENTENCES [aref]\n");
    return 1;
  }
  std::string dir = argv[1];
  long sentences = strtol(argv[2], nullptr, 10);
  bool aref = argc > 3 && std::string(argv[3]) == "aref";
  std::mt19937 rng(42);
  std::string ref, hyp;
  int id = 0;
  for (long i = 0; i < sentences; i++) {
    int r = static_cast<int>(rng() % 6);
    // Reference: "<pers>Jean Dupont</pers>, <func>head of <org>Acme</org></func>, in
    // <loc>Lyon</loc>."
    if (aref) {
      int p = id++, f = id++, o = id++, l = id++;
      ref += "<annotation id=\"" + std::to_string(p) + "\" type=\"pers\" ftype=\"s\"/>Mr " +
             "<annotation id=\"" + std::to_string(p) + "\" ftype=\"s\"/>Jean Dupont" +
             "<annotation id=\"" + std::to_string(p) + "\" ftype=\"e\"/>, " + "<annotation id=\"" +
             std::to_string(f) + "\" type=\"func\" ftype=\"s\"/>head of " + "<annotation id=\"" +
             std::to_string(o) + "\" type=\"org\" ftype=\"s\" depth=\"1\" " + "parent=\"" +
             std::to_string(f) + "\"/>Acme<annotation id=\"" + std::to_string(o) +
             "\" ftype=\"e\"/><annotation id=\"" + std::to_string(f) + "\" ftype=\"e\"/>, in " +
             "<annotation id=\"" + std::to_string(l) + "\" type=\"loc\" ftype=\"s\"/>Lyon" +
             "<annotation id=\"" + std::to_string(l) + "\" ftype=\"e\"/>.\n";
    } else {
      ref +=
          "Mr <pers>Jean Dupont</pers>, <func>head of <org>Acme</org></func>, in "
          "<loc>Lyon</loc>.\n";
    }
    switch (r) {
      case 0:
        hyp +=
            "Mr <pers>Jean Dupont</pers>, <func>head of <org>Acme</org></func>, in "
            "<loc>Lyon</loc>.\n";
        break;
      case 1:
        hyp += "<pers>Mr Jean</pers> Dupont,  head of <loc>Acme</loc>, in\n<loc>Lyon</loc>.\n";
        break;
      case 2:
        hyp += "Mr Jean <org>Dupont</org>, head <func>of Acme</func>, in <pers>Lyon</pers>.\n";
        break;
      case 3:
        hyp += "Mr Jean Dupont, head of Acme, in Lyon.\n";
        break;
      case 4:
        hyp += "<pers>Mr Jean Dupont</pers>, <org>head of Acme</org>, <loc>in Lyon</loc>.\n";
        break;
      default:
        hyp +=
            "Mr <pers>Jean <pers>Dupont</pers></pers>, <func>head of <org>Acme</org></func>, "
            "in <loc>Lyon</loc>.\n";
        break;
    }
  }
  bool ok = write_file(dir + "/task.lua", kDescription) &&
            write_file(dir + (aref ? "/ref.aref" : "/ref.txt"), ref) &&
            write_file(dir + "/hyp.txt", hyp);
  return ok ? 0 : 1;
}

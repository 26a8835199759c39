// Writes a synthetic evaluation corpus for timing whole runs: a task
// description, a reference and a hypothesis.
//
//   make_corpus DIR KIND SIZE
//
// KIND and SIZE:
//   flat TOKENS     entities side by side, about one token in ten starting one
//   nested TOKENS   entities nested up to 4 levels deep
//   aref TOKENS     an aref reference, every entity with 2 to 5 start and
//                   2 to 5 end candidates
//   classic SENTENCES  one sentence shape repeated, nested and with titles,
//                   in both formats (the older bench corpus; "classic-aref")
//   pairs COUNT TOKENS  a corpus of COUNT flat pairs of TOKENS tokens each,
//                   under ref/ and hyp/ (a hundred to a folder), and all of
//                   them concatenated as ref.txt and hyp.txt
// and the worst cases, small documents whose search or cost passes blow up
// without care:
//   chain DEPTH        an aref parent chain, 3 start and 3 end candidates per
//                      entity, and a hypothesis of the same nesting
//   candidates K       one aref entity with K start and K end candidates
//                      against one hypothesis entity
//   common-start N     N nested aref entities with one start and 3 end
//                      candidates each, a hypothesis without entities
//   deep-ref N, deep-hyp N  N nested tags around one byte on one side only
//   staggered-ref N    N nested reference entities, each starting one word
//                      later, a hypothesis without entities
//   wide N             one reference entity spanning N hypothesis entities
//   stack N            N nested entities over one byte, the same document on
//                      both sides
//   stagger N          N nested entities, each starting one word later, the
//                      same document on both sides
// The hypothesis shifts, retypes, drops and adds entities, and its
// whitespace differs from the reference's. Everything is drawn from a fixed
// seed, so a corpus is the same on every run.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

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

const char* const kTypes[] = {"pers", "org", "loc", "func"};

bool write_file(const std::string& path, const std::string& text) {
  FILE* f = fopen(path.c_str(), "w");
  if (!f) {
    perror(path.c_str());
    return false;
  }
  fwrite(text.data(), 1, text.size(), f);
  return fclose(f) == 0;
}

// An entity over tokens [start, end), with its type and, for an aref
// reference, its candidate token boundaries.
struct span {
  int start;
  int end;
  int type;
  int depth;
  std::vector<int> starts;  // aref candidates, token indices
  std::vector<int> ends;

  span(int start_, int end_, int type_, int depth_ = 0)
      : start(start_), end(end_), type(type_), depth(depth_) {}
};

struct generator {
  std::mt19937 rng{42};
  std::vector<std::string> words;

  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng) < p; }

  generator() {
    const char* letters = "abcdefghijklmnopqrstuvwxyzeeaaiioo";
    for (int i = 0; i < 400; i++) {
      std::string w;
      int n = pick(2, 9);
      for (int k = 0; k < n; k++) {
        w += letters[pick(0, 33)];
      }
      if (chance(0.3)) {
        w[0] = static_cast<char>(w[0] - 'a' + 'A');
      }
      words.push_back(w);
    }
  }

  std::vector<std::string> tokens(long n) {
    std::vector<std::string> t;
    t.reserve(static_cast<size_t>(n));
    for (long i = 0; i < n; i++) {
      t.push_back(words[static_cast<size_t>(pick(0, 399))]);
    }
    return t;
  }

  // Entities side by side: one starts at about one token in ten.
  std::vector<span> flat(int ntok) {
    std::vector<span> out;
    for (int i = 0; i < ntok;) {
      if (chance(0.14)) {
        int len = std::min(pick(1, 3), ntok - i);
        out.push_back(span{i, i + len, pick(0, 3)});
        i += len + 1;
      } else {
        i++;
      }
    }
    return out;
  }

  // Laminar entities up to 4 levels deep inside [lo, hi).
  void nest(std::vector<span>& out, int lo, int hi, int depth) {
    for (int i = lo; i < hi;) {
      if (chance(depth == 0 ? 0.07 : 0.3)) {
        int len = std::min(depth == 0 ? pick(2, 8) : pick(1, hi - i), hi - i);
        out.push_back(span{i, i + len, pick(0, 3), depth});
        if (depth < 3 && len > 1) {
          nest(out, i, i + len, depth + 1);
        }
        i += len + (depth == 0 ? 1 : pick(0, 1));
      } else {
        i++;
      }
    }
  }

  // Entities with gaps between them, each with candidate boundaries: its
  // own, and one to four others within two tokens, inside the gaps.
  std::vector<span> with_candidates(int ntok) {
    std::vector<span> out;
    int free_from = 0;  // no candidate of a later entity may come before this token
    for (int i = 2; i + 6 < ntok;) {
      if (!chance(0.12)) {
        i++;
        continue;
      }
      span s{i, i + pick(2, 5), pick(0, 3)};
      s.starts.push_back(s.start);
      s.ends.push_back(s.end);
      const int want_starts = pick(1, 4), want_ends = pick(1, 4);
      for (int d : {-2, -1, 1, 2}) {
        int p = s.start + d;
        if (static_cast<int>(s.starts.size()) <= want_starts && p >= free_from && p < s.end) {
          s.starts.push_back(p);
        }
      }
      for (int d : {-2, -1, 1, 2}) {
        int p = s.end + d;
        if (static_cast<int>(s.ends.size()) <= want_ends && p > s.start && p <= ntok) {
          s.ends.push_back(p);
        }
      }
      std::sort(s.starts.begin(), s.starts.end());
      std::sort(s.ends.begin(), s.ends.end());
      free_from = s.ends.back();
      i = free_from + 3;
      out.push_back(s);
    }
    return out;
  }

  // The hypothesis: most entities kept, some retyped, shifted or dropped,
  // and new ones added; crossing ones are left out.
  std::vector<span> perturb(const std::vector<span>& ref, int ntok) {
    std::vector<span> out;
    for (const span& r : ref) {
      span h{r.start, r.end, r.type, r.depth};
      double x = std::uniform_real_distribution<double>(0, 1)(rng);
      if (x < 0.06) {
        continue;
      } else if (x < 0.14) {
        h.type = (h.type + pick(1, 3)) % 4;
      } else if (x < 0.20 && h.end - h.start > 1) {
        h.start++;
      } else if (x < 0.26) {
        h.end = std::min(ntok, h.end + 1);
      }
      out.push_back(h);
    }
    size_t added = ref.size() / 6;
    for (size_t k = 0; k < added; k++) {
      int s = pick(0, ntok - 2);
      out.push_back(span{s, s + pick(1, 2), pick(0, 3)});
    }
    std::sort(out.begin(), out.end(), [](const span& a, const span& b) {
      return a.start != b.start ? a.start < b.start : a.end > b.end;
    });
    // Keep what nests: a stack of the open spans.
    std::vector<span> kept;
    std::vector<int> open;
    for (const span& h : out) {
      while (!open.empty() && kept[static_cast<size_t>(open.back())].end <= h.start) {
        open.pop_back();
      }
      if (!open.empty() && kept[static_cast<size_t>(open.back())].end < h.end) {
        continue;
      }
      open.push_back(static_cast<int>(kept.size()));
      kept.push_back(h);
    }
    return kept;
  }

  // The words between tokens: mostly one space, a line break now and then;
  // the hypothesis breaks its lines elsewhere and doubles some spaces.
  std::string gap(bool hyp, int i) {
    if (i % 17 == 16) {
      return hyp && chance(0.5) ? " " : "\n";
    }
    if (hyp && chance(0.03)) {
      return chance(0.5) ? "  " : "\n";
    }
    return " ";
  }

  std::string annotated(const std::vector<std::string>& toks, const std::vector<span>& ents,
                        bool hyp) {
    // Tags at each token boundary: closings innermost first, then openings
    // outermost first.
    std::vector<std::vector<int>> opens(toks.size() + 1), closes(toks.size() + 1);
    for (size_t k = 0; k < ents.size(); k++) {
      opens[static_cast<size_t>(ents[k].start)].push_back(static_cast<int>(k));
      closes[static_cast<size_t>(ents[k].end)].push_back(static_cast<int>(k));
    }
    std::string out;
    out.reserve(toks.size() * 9);
    for (size_t i = 0; i <= toks.size(); i++) {
      std::vector<int>& c = closes[i];
      std::sort(c.begin(), c.end(), [&](int a, int b) {
        return ents[static_cast<size_t>(a)].start != ents[static_cast<size_t>(b)].start
                   ? ents[static_cast<size_t>(a)].start > ents[static_cast<size_t>(b)].start
                   : a > b;
      });
      for (int k : c) {
        out += "</";
        out += kTypes[ents[static_cast<size_t>(k)].type];
        out += '>';
      }
      if (i == toks.size()) {
        break;
      }
      if (i > 0) {
        out += gap(hyp, static_cast<int>(i));
      }
      std::vector<int>& o = opens[i];
      std::sort(o.begin(), o.end(), [&](int a, int b) {
        return ents[static_cast<size_t>(a)].end != ents[static_cast<size_t>(b)].end
                   ? ents[static_cast<size_t>(a)].end > ents[static_cast<size_t>(b)].end
                   : a < b;
      });
      for (int k : o) {
        out += '<';
        out += kTypes[ents[static_cast<size_t>(k)].type];
        out += '>';
      }
      out += toks[i];
    }
    out += '\n';
    return out;
  }

  std::string aref(const std::vector<std::string>& toks, const std::vector<span>& ents) {
    // Markers at each token boundary; an end marker sits before the space.
    std::vector<std::string> before(toks.size() + 1), after(toks.size() + 1);
    for (size_t k = 0; k < ents.size(); k++) {
      const span& s = ents[k];
      std::string id = std::to_string(k);
      for (size_t c = 0; c < s.starts.size(); c++) {
        std::string m = "<annotation id=\"" + id + "\"";
        if (c == 0) {
          m += " type=\"" + std::string(kTypes[s.type]) + "\"";
        }
        after[static_cast<size_t>(s.starts[c])] += m + " ftype=\"s\"/>";
      }
      for (int p : s.ends) {
        before[static_cast<size_t>(p)] += "<annotation id=\"" + id + "\" ftype=\"e\"/>";
      }
    }
    std::string out;
    for (size_t i = 0; i <= toks.size(); i++) {
      out += before[i];
      if (i == toks.size()) {
        break;
      }
      if (i > 0) {
        out += gap(false, static_cast<int>(i));
      }
      out += after[i];
      out += toks[i];
    }
    out += '\n';
    return out;
  }
};

// The older bench corpus: one nested sentence shape, repeated.
void classic(long sentences, bool aref, std::string& ref, std::string& hyp) {
  std::mt19937 rng(42);
  int id = 0;
  for (long i = 0; i < sentences; i++) {
    int r = static_cast<int>(rng() % 6);
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
}

std::string words(long n, const char* sep = " ") {
  std::string out;
  for (long i = 0; i < n; i++) {
    out += (i ? sep : "") + std::string("w") + std::to_string(i);
  }
  return out;
}

std::string marker(long id, const char* ftype, const std::string& extra = "") {
  return "<annotation id=\"" + std::to_string(id) + "\"" + extra + " ftype=\"" + ftype + "\"/>";
}

// The worst cases; false for an unknown kind.
bool worst_case(const std::string& kind, long n, std::string& ref, std::string& hyp, bool& aref) {
  aref = false;
  if (kind == "chain" || kind == "common-start") {
    // Entity d (depth d, parent d - 1): candidate starts at tokens 3d .. 3d+2
    // (all at token 0 for common-start), candidate ends mirrored from the end.
    aref = true;
    const long depth = n;
    const long ntok = 6 * depth + 2;
    std::vector<std::string> before(static_cast<size_t>(ntok) + 1);
    std::vector<std::string> after(static_cast<size_t>(ntok) + 1);
    for (long d = 0; d < depth; d++) {
      const std::string head = " type=\"pers\" depth=\"" + std::to_string(d) + "\" parent=\"" +
                               std::to_string(d - 1) + "\"";
      for (long k = 0; k < 3; k++) {
        const long s = kind == "chain" ? 3 * d + k : 0;
        if (kind == "chain" || k == 0) {
          after[static_cast<size_t>(s)] += marker(d, "s", k == 0 ? head : "");
        }
        before[static_cast<size_t>(ntok - 3 * d - k)] += marker(d, "e");
      }
    }
    for (long t = 0; t <= ntok; t++) {
      ref += before[static_cast<size_t>(t)];
      if (t == ntok) {
        break;
      }
      ref += (t ? " " : "") + after[static_cast<size_t>(t)] + "w" + std::to_string(t);
    }
    if (kind == "chain") {
      for (long t = 0; t < ntok; t++) {
        for (long d = 0; d < depth; d++) {
          if (t == 3 * d + 1) {
            hyp += "<pers>";
          }
        }
        hyp += "w" + std::to_string(t);
        for (long d = depth - 1; d >= 0; d--) {
          if (t + 1 == ntok - 3 * d - 1) {
            hyp += "</pers>";
          }
        }
        hyp += t + 1 < ntok ? " " : "";
      }
    } else {
      hyp = words(ntok);
    }
  } else if (kind == "candidates") {
    aref = true;
    for (long t = 0; t < 2 * n; t++) {
      if (t < n) {
        ref += marker(0, "s", t == 0 ? " type=\"pers\"" : "");
      }
      ref += "w" + std::to_string(t);
      if (t >= n) {
        ref += marker(0, "e");
      }
      ref += " ";
    }
    hyp = "w0 <pers>" + words(2 * n).substr(3) + "</pers>";
  } else if (kind == "deep-ref" || kind == "deep-hyp") {
    std::string deep;
    for (long i = 0; i < n; i++) {
      deep += "<pers>";
    }
    deep += "x";
    for (long i = 0; i < n; i++) {
      deep += "</pers>";
    }
    ref = kind == "deep-ref" ? deep : "x";
    hyp = kind == "deep-ref" ? "x" : deep;
  } else if (kind == "staggered-ref" || kind == "stagger") {
    for (long i = 0; i < n; i++) {
      ref += "<pers>w" + std::to_string(i) + " ";
    }
    ref += "end";
    for (long i = 0; i < n; i++) {
      ref += "</pers>";
    }
    hyp = kind == "stagger" ? ref : words(n) + " end";
  } else if (kind == "wide") {
    ref = "<pers>" + words(n) + "</pers>";
    for (long i = 0; i < n; i++) {
      hyp += (i ? " " : "") + std::string("<pers>w") + std::to_string(i) + "</pers>";
    }
  } else if (kind == "stack") {
    for (long i = 0; i < n; i++) {
      ref += "<pers>";
    }
    ref += "x";
    for (long i = 0; i < n; i++) {
      ref += "</pers>";
    }
    hyp = ref;
  } else {
    return false;
  }
  ref += "\n";
  hyp += "\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: make_corpus DIR KIND SIZE (see the head of make_corpus.cc)\n");
    return 1;
  }
  const std::string dir = argv[1];
  const std::string kind = argv[2];
  const long size = strtol(argv[3], nullptr, 10);
  std::string ref, hyp;
  bool aref = kind == "aref" || kind == "classic-aref";
  if (kind == "classic" || kind == "classic-aref") {
    classic(size, aref, ref, hyp);
  } else if (kind == "flat" || kind == "nested" || kind == "aref") {
    generator g;
    std::vector<std::string> toks = g.tokens(size);
    const int n = static_cast<int>(toks.size());
    std::vector<span> ents;
    if (kind == "flat") {
      ents = g.flat(n);
    } else if (kind == "nested") {
      g.nest(ents, 0, n, 0);
    } else {
      ents = g.with_candidates(n);
    }
    std::vector<span> hyp_ents = g.perturb(ents, n);
    ref = aref ? g.aref(toks, ents) : g.annotated(toks, ents, false);
    hyp = g.annotated(toks, hyp_ents, true);
  } else if (kind == "pairs") {
    const long tokens = argc > 4 ? strtol(argv[4], nullptr, 10) : 100;
    generator g;  // one stream of draws: every pair differs
    for (long i = 0; i < size; i++) {
      std::vector<std::string> toks = g.tokens(tokens);
      const int n = static_cast<int>(toks.size());
      std::vector<span> ents = g.flat(n);
      std::vector<span> hyp_ents = g.perturb(ents, n);
      const std::string r = g.annotated(toks, ents, false) + "\n";
      const std::string h = g.annotated(toks, hyp_ents, true) + "\n";
      char name[64];
      snprintf(name, sizeof name, "/d%03ld/p%06ld.txt", i / 100, i);
      std::filesystem::create_directories(dir + "/ref" + std::string(name, 5));
      std::filesystem::create_directories(dir + "/hyp" + std::string(name, 5));
      if (!write_file(dir + "/ref" + name, r) || !write_file(dir + "/hyp" + name, h)) {
        return 1;
      }
      ref += r;
      hyp += h;
    }
  } else if (!worst_case(kind, size, ref, hyp, aref)) {
    fprintf(stderr, "make_corpus: unknown kind %s\n", kind.c_str());
    return 1;
  }
  bool ok = write_file(dir + "/task.lua", kDescription) &&
            write_file(dir + (aref ? "/ref.aref" : "/ref.txt"), ref) &&
            write_file(dir + "/hyp.txt", hyp);
  return ok ? 0 : 1;
}

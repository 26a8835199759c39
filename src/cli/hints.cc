#include "cli/hints.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "base/escape.h"
#include "base/fatal.h"

namespace {

bool is_folder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_other_than_folder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool is_tag(const std::string& word) {
  return word == "O" ||
         (word.size() > 2 && std::strchr("BIESLU", word[0]) != nullptr && word[1] == '-');
}

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

bool preset_without_types(const run_options& options, const description_choice& chosen) {
  return chosen.preset && !options.input.conll && !options.input.standoff && !options.input.jsonl &&
         options.input.types.empty();
}

// The names of the two documents, or of the one file, for a suggested
// command line.
std::string document_words(const run_options& options) {
  std::string words = shell_word(options.input.reference);
  if (!options.input.one_file) {
    words += " " + shell_word(options.input.hypothesis);
  }
  return words;
}

}  // namespace

bool looks_token_per_line(const std::string& path) {
  // Not blocking on a FIFO, nor reading a device: a hint is not worth it.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  struct stat st;
  std::string head;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    head.resize(65536);
    const ssize_t n = read(fd, &head[0], head.size());
    head.resize(n > 0 ? static_cast<size_t>(n) : 0);
  }
  close(fd);
  size_t line = 0;
  while (line < head.size()) {
    size_t end = head.find('\n', line);
    if (end == std::string::npos) {
      end = head.size();
    }
    std::vector<std::string> columns;
    size_t p = line;
    while (p < end) {
      while (p < end && is_blank(head[p])) {
        p++;
      }
      const size_t start = p;
      while (p < end && !is_blank(head[p])) {
        p++;
      }
      if (p > start) {
        columns.emplace_back(head, start, p - start);
      }
    }
    if (!columns.empty()) {
      return columns.size() >= 2 && is_tag(columns.back());
    }
    line = end + 1;
  }
  return false;
}

std::string shell_quoted(const std::string& word) {
  if (!word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                              "0123456789-_./=,:+@%") == std::string::npos) {
    return word;
  }
  std::string quoted = "'";
  for (char c : word) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

std::string shell_word(const std::string& word) {
  return shell_quoted(shown_name(word));
}

std::string usage_hint(const run_options& options, const std::vector<std::string>& names,
                       const char* progname) {
  // Two names: a description and one token-per-line file, without --conll.
  if (options.input.conll || options.corpus || names.size() != 2 ||
      !looks_token_per_line(names[1])) {
    return std::string();
  }
  return shown_name(names[1]) +
         " looks like a token-per-line file: with --conll, one file holds both tag columns (" +
         shown_name(progname) + " --conll " + shell_word(names[0]) + " " + shell_word(names[1]) +
         ").\n";
}

std::string fault_hint(const run_options& options, const description_choice& chosen, int status,
                       const char* progname) {
  const evaluation_input& input = options.input;
  // The description is loaded first, so nothing else can be at fault yet;
  // a preset without types has had its say.
  if (preset_without_types(options, chosen)) {
    return std::string();
  }
  // A name that ends with ".lua" is plainly a file's, which the message
  // before says is missing.
  if (!chosen.found && !lua_file_name(chosen.name)) {
    const std::string closest = closest_preset(chosen.name);
    return shown_name(chosen.name) + " is neither a file nor a preset; the presets are " +
           preset_list() + (closest.empty() ? "" : ". Did you mean " + closest + "?") + "\n";
  }
  if (options.corpus) {
    const corpus_options& corpus = options.corpus_run;
    if (status == 2 && !corpus.from_list &&
        (is_other_than_folder(corpus.reference_dir) ||
         (!corpus.one_folder && is_other_than_folder(corpus.hypothesis_dir)))) {
      return input.conll ? "--corpus takes two folders, or one or two token-per-line files.\n"
                         : "--corpus takes folders of documents (with --conll, token-per-line "
                           "files too).\n";
    }
    return std::string();
  }
  if (status == 2 &&
      (is_folder(input.reference) || (!input.one_file && is_folder(input.hypothesis)))) {
    return "Use --corpus for folders of documents.\n";
  }
  if (status == 1 && !input.conll && !input.standoff && !input.jsonl &&
      (looks_token_per_line(input.reference) || looks_token_per_line(input.hypothesis))) {
    return "The documents look like token-per-line files: add --conll (" + shown_name(progname) +
           " --conll " + shell_word(chosen.name) + " " + document_words(options) +
           "); one such file may also hold both tag columns.\n";
  }
  return std::string();
}

void check_preset_types(const run_options& options, const description_choice& chosen) {
  if (!preset_without_types(options, chosen)) {
    return;
  }
  fatal(1,
        "Error: the preset %s declares no entity types: add --conll if the documents are "
        "token-per-line files (their tags give the types), or name the types with --types "
        "(--types PER,LOC,ORG).\n",
        shown_name(chosen.name).c_str());
}

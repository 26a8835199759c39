#include "corpus/pairs.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "base/escape.h"
#include "base/fatal.h"
#include "base/file_load.h"
#include "readers/conll_reader.h"
#include "readers/jsonl_reader.h"
#include "readers/labelstudio_reader.h"

namespace fs = std::filesystem;

namespace {

// The folder name as the user gave it, without trailing slashes, so that
// joined paths read naturally ("refs/a.txt", not "refs//a.txt").
std::string folder_prefix(const std::string& dir) {
  std::string d = dir;
  while (d.size() > 1 && d.back() == '/') {
    d.pop_back();
  }
  return d == "/" ? d : d + "/";
}

// What stands under a name of a folder, links followed: a document, a
// folder to walk, or a fault (a broken or looping link, a FIFO, a device),
// whose message is then in `fault`. Links to folders are not followed, so
// that no loop can keep the walk going.
enum class entry_kind { document, folder, skipped, fault };

entry_kind kind_of_entry(const std::string& path, unsigned char type, std::string& fault) {
  if (type == DT_REG) {
    return entry_kind::document;
  }
  if (type == DT_DIR) {
    return entry_kind::folder;
  }
  struct stat st;
  const bool link = type == DT_LNK || (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode));
  if (stat(path.c_str(), &st) != 0) {
    const int error = errno;
    fault = "Open " + shown_name(path) + ": " + strerror(error) +
            (link && error == ENOENT ? " (a broken link)\n" : "\n");
    return entry_kind::fault;
  }
  if (S_ISREG(st.st_mode)) {
    return entry_kind::document;
  }
  if (S_ISDIR(st.st_mode)) {
    return link ? entry_kind::skipped : entry_kind::folder;
  }
  fault = "Read " + shown_name(path) + ": not a regular file\n";
  return entry_kind::fault;
}

// Adds the relative paths of the regular files under `dir` + `sub` to
// `files`. Links to files count as files; anything else that is not a
// folder is a fault: skipped without a word, a broken link would make a
// corpus smaller, and a missing hypothesis look missing.
void walk(const std::string& dir, const std::string& sub, const char* what,
          std::vector<std::string>& files) {
  const std::string path = sub.empty() ? dir : dir + "/" + sub;
  DIR* d = opendir(path.c_str());
  if (!d) {
    const int error = errno;
    fatal(2, "Read %s folder %s: %s\n", what, shown_name(path).c_str(), strerror(error));
  }
  std::vector<std::string> folders;
  std::string fault;
  errno = 0;
  while (const dirent* entry = readdir(d)) {
    const char* name = entry->d_name;
    if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) {
      continue;
    }
    const std::string relative = sub.empty() ? name : sub + "/" + name;
    const entry_kind kind = kind_of_entry(folder_prefix(dir) + relative, entry->d_type, fault);
    if (kind == entry_kind::document) {
      files.push_back(relative);
    } else if (kind == entry_kind::folder) {
      folders.push_back(relative);
    } else if (kind == entry_kind::fault) {
      break;
    }
    errno = 0;
  }
  const int read_error = errno;
  closedir(d);
  if (!fault.empty()) {
    fatal(2, "%s", fault.c_str());
  }
  if (read_error != 0) {
    fatal(2, "Read %s folder %s: %s\n", what, shown_name(path).c_str(), strerror(read_error));
  }
  for (const std::string& f : folders) {
    walk(dir, f, what, files);
  }
}

// The relative paths of the regular files under `dir`, sorted bytewise.
std::vector<std::string> files_under(const std::string& dir, const char* what) {
  struct stat st;
  if (stat(dir.c_str(), &st) != 0) {
    const int error = errno;
    fatal(2, "Open %s: %s\n", shown_name(dir).c_str(), strerror(error));
  }
  if (!S_ISDIR(st.st_mode)) {
    fatal(2, "Open %s: %s\n", shown_name(dir).c_str(), strerror(ENOTDIR));
  }
  std::vector<std::string> files;
  walk(dir, std::string(), what, files);
  std::sort(files.begin(), files.end());
  return files;
}

// Whether `path` is missing: nothing by that name, or a folder on the way
// that is not one. A name that exists is never missing: what is not a
// regular file (a broken link, a folder, a FIFO) is a fault.
bool is_missing(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) {
      return true;
    }
    fatal(2, "Open %s: %s\n", shown_name(path).c_str(), strerror(error));
  }
  if (stat(path.c_str(), &st) != 0) {
    const int error = errno;
    fatal(2, "Open %s: %s%s\n", shown_name(path).c_str(), strerror(error),
          error == ENOENT ? " (a broken link)" : "");
  }
  if (S_ISDIR(st.st_mode)) {
    fatal(2, "Read %s: %s\n", shown_name(path).c_str(), strerror(EISDIR));
  }
  if (!S_ISREG(st.st_mode)) {
    fatal(2, "Read %s: not a regular file\n", shown_name(path).c_str());
  }
  return false;
}

document_pair named_pair(std::string reference, std::string hypothesis) {
  document_pair p;
  p.reference = std::move(reference);
  p.hypothesis = std::move(hypothesis);
  return p;
}

[[noreturn]] void no_reference(const std::string& hypothesis, const std::string& reference) {
  fatal(1, "Error: %s has no reference %s.\n", shown_name(hypothesis).c_str(),
        shown_name(reference).c_str());
}

}  // namespace

namespace {

// Keeps the names that end with `extension`.
void keep_ending(std::vector<std::string>& names, const char* extension) {
  const std::string ending = extension;
  auto other = [&](const std::string& f) {
    return f.size() < ending.size() || f.compare(f.size() - ending.size(), ending.size(), ending);
  };
  names.erase(std::remove_if(names.begin(), names.end(), other), names.end());
}

}  // namespace

std::vector<std::string> files_in_folder(const std::string& dir, const char* what,
                                         const char* extension) {
  std::vector<std::string> files = files_under(dir, what);
  keep_ending(files, extension);
  const std::string prefix = folder_prefix(dir);
  for (std::string& f : files) {
    f.insert(0, prefix);
  }
  return files;
}

std::vector<document_pair> pairs_from_folders(const std::string& ref_dir,
                                              const std::string& hyp_dir, bool missing_as_empty,
                                              const char* extension) {
  std::vector<std::string> refs = files_under(ref_dir, "reference");
  std::vector<std::string> hyps = files_under(hyp_dir, "hypothesis");
  if (extension) {
    keep_ending(refs, extension);
    keep_ending(hyps, extension);
  }
  const std::string ref_prefix = folder_prefix(ref_dir), hyp_prefix = folder_prefix(hyp_dir);
  std::vector<document_pair> pairs;
  size_t h = 0;
  for (const std::string& rel : refs) {
    if (h < hyps.size() && hyps[h] < rel) {
      no_reference(hyp_prefix + hyps[h], ref_prefix + hyps[h]);
    }
    document_pair p = named_pair(ref_prefix + rel, hyp_prefix + rel);
    if (h < hyps.size() && hyps[h] == rel) {
      h++;
    } else if (!is_missing(p.hypothesis)) {
      // Made since the folder was listed: it is there.
    } else if (missing_as_empty) {
      p.hypothesis_missing = true;
    } else {
      fatal(1, "Error: %s has no hypothesis %s (--missing-as-empty counts it as empty).\n",
            shown_name(p.reference).c_str(), shown_name(p.hypothesis).c_str());
    }
    pairs.push_back(std::move(p));
  }
  if (h < hyps.size()) {
    no_reference(hyp_prefix + hyps[h], ref_prefix + hyps[h]);
  }
  return pairs;
}

const char* document_extension(const evaluation_input& format) {
  return format.standoff      ? ".ann"
         : format.labelstudio ? ".json"
         : format.jsonl       ? ".jsonl"
                              : nullptr;
}

std::vector<document_pair> pairs_from_folder(const std::string& dir) {
  const std::string prefix = folder_prefix(dir);
  std::vector<document_pair> pairs;
  for (const std::string& rel : files_under(dir, "document")) {
    pairs.push_back(named_pair(prefix + rel, prefix + rel));
  }
  return pairs;
}

std::vector<document_pair> pairs_from_list(const std::string& list_file, bool missing_as_empty) {
  text_buffer text = file_load(list_file.c_str());
  const fs::path base = fs::path(list_file).parent_path();
  auto resolve = [&](const std::string& name) {
    const fs::path p(name);
    return p.is_absolute() || base.empty() ? name : (base / p).string();
  };
  std::vector<document_pair> pairs;
  const char* p = text.data();
  const char* end = p + text.size;
  for (int line = 1; p < end; line++) {
    const char* eol = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(end - p)));
    if (!eol) {
      eol = end;
    }
    std::string l(p, eol);
    p = eol + 1;
    if (!l.empty() && l.back() == '\r') {
      l.pop_back();
    }
    if (l.empty()) {
      continue;
    }
    const size_t tab = l.find('\t');
    if (tab == std::string::npos || tab == 0 || tab + 1 == l.size() ||
        l.find('\t', tab + 1) != std::string::npos || l.find('\0') != std::string::npos) {
      fatal(1, "%s:%d: Error: expected a reference and a hypothesis separated by one tab.\n",
            shown_name(list_file).c_str(), line);
    }
    document_pair pair = named_pair(resolve(l.substr(0, tab)), resolve(l.substr(tab + 1)));
    if (missing_as_empty && is_missing(pair.hypothesis)) {
      pair.hypothesis_missing = true;
    }
    pairs.push_back(std::move(pair));
  }
  return pairs;
}

bool is_regular_file(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

std::string document_name(const std::string& file, size_t ordinal, const conll_section& s) {
  return file + "#" + std::to_string(ordinal) + " (line " +
         std::to_string(s.first_token_line != 0 ? s.first_token_line : s.first_line) + ")";
}

file_part part_of(const std::shared_ptr<const text_buffer>& file, const conll_section& s) {
  return file_part{file, s.begin, s.end, s.first_line};
}

}  // namespace

std::vector<document_pair> pairs_from_conll_files(const evaluation_input& base,
                                                  const std::string& ref_file,
                                                  const std::string& hyp_file,
                                                  std::shared_ptr<const text_buffer> ref) {
  if (!ref) {
    ref = std::make_shared<const text_buffer>(file_load(ref_file.c_str()));
  }
  const std::string ref_shown = shown_name(ref_file);
  const conll_reading ref_reading = conll_reading_of(base, false);
  const conll_input ref_input{ref->data(), ref->size, ref_shown.c_str(), ref_reading};
  std::shared_ptr<const text_buffer> hyp;
  conll_sections_of sections;
  if (!hyp_file.empty()) {
    hyp = std::make_shared<const text_buffer>(file_load(hyp_file.c_str()));
    const std::string hyp_shown = shown_name(hyp_file);
    const conll_reading hyp_reading = conll_reading_of(base, true);
    const conll_input hyp_input{hyp->data(), hyp->size, hyp_shown.c_str(), hyp_reading};
    sections = conll_sections(ref_input, &hyp_input);
  } else {
    sections = conll_sections(ref_input);
  }
  std::vector<document_pair> pairs;
  for (size_t k = 0; k < sections.ref.size(); k++) {
    document_pair p;
    p.reference = ref_file;
    p.hypothesis = hyp_file.empty() ? ref_file : hyp_file;
    p.reference_part = part_of(ref, sections.ref[k]);
    p.reference_name = document_name(ref_file, k + 1, sections.ref[k]);
    if (hyp) {
      p.hypothesis_part = part_of(hyp, sections.hyp[k]);
      p.hypothesis_name = document_name(hyp_file, k + 1, sections.hyp[k]);
    } else {
      p.hypothesis_name = p.reference_name;
    }
    pairs.push_back(std::move(p));
  }
  return pairs;
}

std::vector<document_pair> pairs_from_jsonl_files(const evaluation_input& base,
                                                  const std::string& ref_file,
                                                  const std::string& hyp_file, FILE* err) {
  const std::string shown[2] = {shown_name(ref_file), shown_name(hyp_file)};
  std::shared_ptr<const text_buffer> files[2];
  std::vector<jsonl_line> lines[2];
  std::vector<jsonl_document> docs[2];
  for (int k = 0; k < 2; k++) {
    text_buffer bytes = file_load((k ? hyp_file : ref_file).c_str());
    if (base.labelstudio) {
      labelstudio_counts counts;
      const std::string as_lines =
          labelstudio_as_jsonl(bytes.data(), bytes.size, shown[k].c_str(),
                               k ? base.hypothesis_annotator : base.reference_annotator, counts);
      for (const std::string& w : labelstudio_warnings(shown[k].c_str(), counts)) {
        fputs(w.c_str(), err);
      }
      bytes = text_copy(as_lines.data(), as_lines.size());
    }
    files[k] = std::make_shared<const text_buffer>(std::move(bytes));
    lines[k] = jsonl_lines(files[k]->data(), files[k]->size);
    for (const jsonl_line& l : lines[k]) {
      docs[k].push_back(
          read_jsonl_line(std::string_view(files[k]->data() + l.begin, l.end - l.begin), l.number,
                          shown[k].c_str(), base.labelstudio));
    }
  }
  const std::vector<size_t> partner =
      pair_jsonl_documents(docs[0], docs[1], shown[0].c_str(), shown[1].c_str());
  // A document is named by its id, or its place among the lines.
  auto name = [&](int k, size_t i) {
    const jsonl_document& d = docs[k][i];
    return (k ? hyp_file : ref_file) + "#" + (d.has_id ? d.id : std::to_string(i + 1)) +
           (base.labelstudio ? " (task " : " (line ") + std::to_string(d.line) + ")";
  };
  std::vector<document_pair> pairs;
  for (size_t i = 0; i < docs[0].size(); i++) {
    const size_t h = partner[i];
    document_pair p;
    p.reference = ref_file;
    p.hypothesis = hyp_file;
    p.reference_part = file_part{files[0], lines[0][i].begin, lines[0][i].end, lines[0][i].number,
                                 base.labelstudio};
    p.hypothesis_part = file_part{files[1], lines[1][h].begin, lines[1][h].end, lines[1][h].number,
                                  base.labelstudio};
    p.reference_name = name(0, i);
    p.hypothesis_name = name(1, h);
    pairs.push_back(std::move(p));
  }
  return pairs;
}

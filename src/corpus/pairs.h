// The document pairs of a corpus: found in two folders by relative path, or
// listed in a pairs file.
#pragma once

#include <string>
#include <vector>

struct document_pair {
  std::string reference;
  std::string hypothesis;
  bool hypothesis_missing = false;  // taken as the reference's text without entities
};

// Every regular file under `ref_dir` (recursively, in byte order of the
// relative path) with the file of the same relative path under `hyp_dir`.
// A reference without its hypothesis is a fault unless `missing_as_empty`;
// a hypothesis without its reference always is.
std::vector<document_pair> pairs_from_folders(const std::string& ref_dir,
                                              const std::string& hyp_dir, bool missing_as_empty);

// Every regular file under `dir`, as above, each holding both documents (a
// token-per-line file with the reference's and the hypothesis's tags).
std::vector<document_pair> pairs_from_folder(const std::string& dir);

// The pairs of a file with one "REF<TAB>HYP" line each; relative paths are
// relative to the file's folder. Blank lines are skipped.
std::vector<document_pair> pairs_from_list(const std::string& list_file, bool missing_as_empty);

// The document pairs of a corpus: found in two folders by relative path, or
// listed in a pairs file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "evaluation/evaluation.h"

struct document_pair {
  std::string reference;
  std::string hypothesis;
  bool hypothesis_missing = false;  // taken as the reference's text without entities
  // A document of a token-per-line file: where it lies in the file (or
  // files), and its names in reports, "FILE#N (line L)" (the file names
  // above stay those of messages and listings).
  file_part reference_part;
  file_part hypothesis_part;
  std::string reference_name;
  std::string hypothesis_name;

  const std::string& shown_reference() const {
    return reference_name.empty() ? reference : reference_name;
  }
  const std::string& shown_hypothesis() const {
    return hypothesis_name.empty() ? hypothesis : hypothesis_name;
  }
};

// Every regular file under `ref_dir` (recursively, in byte order of the
// relative path) with the file of the same relative path under `hyp_dir`.
// A reference without its hypothesis is a fault unless `missing_as_empty`;
// a hypothesis without its reference always is. With `extension`, only the
// files whose names end with it are documents (the others, such as the text
// files beside annotation files, are not listed).
std::vector<document_pair> pairs_from_folders(const std::string& ref_dir,
                                              const std::string& hyp_dir, bool missing_as_empty,
                                              const char* extension = nullptr);

// The regular files under `dir` (recursively, in byte order of the relative
// path) whose names end with `extension`, as paths under `dir`; `what`
// names the folder in messages ("Read shard folder ...").
std::vector<std::string> files_in_folder(const std::string& dir, const char* what,
                                         const char* extension);

// The ending of the documents' files in folders of the annotation tools'
// formats (.ann, .jsonl, .json); null for the others, whose every file is
// a document.
const char* document_extension(const evaluation_input& format);

// Every regular file under `dir`, as above, each holding both documents (a
// token-per-line file with the reference's and the hypothesis's tags).
std::vector<document_pair> pairs_from_folder(const std::string& dir);

// The documents of two JSON-lines files: a line each, paired as
// pair_jsonl_documents pairs them (by id, or in order), each side a part of
// its file.
// Label Studio exports (base.labelstudio) are read as JSON lines first,
// their warnings given to `err`.
std::vector<document_pair> pairs_from_jsonl_files(const evaluation_input& base,
                                                  const std::string& ref_file,
                                                  const std::string& hyp_file, FILE* err);

// The documents of token-per-line files, cut at the reference's
// "-DOCSTART-" lines: of `ref_file` alone when `hyp_file` is empty (it
// holds both sides), else of both, the hypothesis cut where its lines pair
// with the reference's (see conll_sections). The files are read as `base`
// reads them. Each file is read once, and kept for the pairs to read from;
// `ref`, when given, is the reference file already read.
std::vector<document_pair> pairs_from_conll_files(const evaluation_input& base,
                                                  const std::string& ref_file,
                                                  const std::string& hyp_file,
                                                  std::shared_ptr<const text_buffer> ref = nullptr);

// Whether `path` names a regular file (for the corpus of one file's
// documents, rather than of a folder's files).
bool is_regular_file(const std::string& path);

// The pairs of a file with one "REF<TAB>HYP" line each; relative paths are
// relative to the file's folder. Blank lines are skipped.
std::vector<document_pair> pairs_from_list(const std::string& list_file, bool missing_as_empty);

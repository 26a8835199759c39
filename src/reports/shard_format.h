// What a JSON report carries so that the results of runs over parts of a
// corpus (shards, evaluated anywhere) can be merged into the reports of one
// run over the whole: its "merge" member. It holds each pair's counts, not
// its outcomes, and what the runs must agree on to be merged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reports/pooled.h"

class json_report_writer;

// The version of the "merge" member's layout; a merge reads only its own.
constexpr int shard_format_version = 1;

// What must be the same in every shard of one merge.
struct shard_identity {
  std::string program;      // the program's version
  std::string description;  // the description's name, for messages
  std::string digest;       // of the description's bytes
  // The options that change what is counted, by name, each value as text.
  std::vector<std::pair<std::string, std::string>> options;
  // Types a corpus declares before its pairs bring theirs (token-per-line
  // files read whole): the pooled reports list them first.
  std::vector<std::string> declared_types;
};

// A report of one part of a corpus split into `parts` (--shard): its pairs
// carry their places in the whole, which holds `corpus_pairs`.
struct shard_part {
  size_t part = 0;  // from 1; 0: the report is of no such part
  size_t parts = 0;
  size_t corpus_pairs = 0;
};
constexpr size_t no_place = SIZE_MAX;

// A pair as a JSON object, for the "pairs" array of the member; with its
// place in the corpus unless `place` is no_place.
std::string shard_pair_json(const std::string& reference, const std::string& hypothesis,
                            const pair_counts& figures, size_t place = no_place);

// Writes the "merge" member: `pairs` is the pairs' objects separated by
// commas, in corpus order.
void write_merge_member(json_report_writer& json, const shard_identity& identity,
                        const std::string& pairs, const shard_part& part = shard_part());

// The JSON report's "documents" member, as text: what a merge names when
// every shard names the same.
struct shard_documents {
  std::string reference;
  std::string hypothesis;
  std::string pairs;  // a pairs file, in place of the two
  std::string description;
  size_t shards = 0;  // a merge's report: the shards it merged, in place of the documents
  bool operator==(const shard_documents& o) const {
    return reference == o.reference && hypothesis == o.hypothesis && pairs == o.pairs &&
           description == o.description && shards == o.shards;
  }
};

// The pairs of the shards read so far, held compactly until they can be
// ordered: names back to back, counts in pools, each pair's list of type
// names interned (the pairs of a corpus mostly share one).
class shard_pairs {
 public:
  // Without `with_cells`, the pairs' confusion cells are not kept: for
  // reports that show no confusion.
  explicit shard_pairs(bool with_cells = true) : with_cells_(with_cells) {}
  void add(uint32_t shard, std::string_view reference, std::string_view hypothesis,
           const pair_counts& figures, size_t place = no_place);
  size_t size() const { return records_.size(); }
  std::string_view reference(size_t i) const;
  std::string_view hypothesis(size_t i) const;
  uint32_t shard(size_t i) const { return records_[i].shard; }
  size_t place(size_t i) const { return records_[i].place; }  // or no_place
  int64_t entities(size_t i) const;                           // reference and hypothesis
  uint64_t tokens(size_t i) const { return records_[i].tokens; }
  // The pair's figures as its run counted them.
  pair_counts figures(size_t i) const;

 private:
  struct record {
    size_t names;  // where the reference's name begins in names_, the hypothesis's after it
    uint32_t reference_size;
    uint32_t hypothesis_size;
    uint32_t shard;
    uint32_t type_list;
    size_t per_type;  // where its 4 counts a type begin in per_type_
    size_t cells;     // where its cells begin in cells_, 4 values each
    uint32_t cell_count;
    int counts[8];  // outcome_counts' ints, in the shard's order
    double sums[2];
    uint64_t tokens;
    uint64_t equal_tags;
    size_t place;
  };
  std::vector<record> records_;
  std::string names_;
  std::vector<std::vector<std::string>> type_lists_;
  std::map<std::vector<std::string>, uint32_t> type_list_ids_;
  std::vector<int> per_type_;
  std::vector<int32_t> cells_;
  bool with_cells_;
};

// One shard's own: what must agree with the others, the documents it
// names, and which part of a corpus it is.
struct shard_contents {
  shard_identity identity;
  shard_documents documents;
  shard_part part;
};

// Reads the JSON report in `file` and adds its pairs to `pairs`, as shard
// number `shard`: a merge holds one shard's JSON at a time. A file that is
// no such report, or whose member is of another version or malformed, is a
// fatal error that names it.
shard_contents read_shard(const std::string& file, shard_pairs& pairs, uint32_t shard);

// A hash of `bytes` as 16 hex digits (FNV-1a, 64 bits): it tells apart
// descriptions that differ, it is no protection against one made to match.
std::string digest_of(const char* bytes, size_t size);

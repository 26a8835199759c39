// What a JSON report carries so that the results of runs over parts of a
// corpus (shards, evaluated anywhere) can be merged into the reports of one
// run over the whole: its "merge" member. It holds each pair's counts, not
// its outcomes, and what the runs must agree on to be merged.
#pragma once

#include <cstdio>
#include <string>
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

// One pair's part of a shard.
struct shard_pair {
  std::string reference;
  std::string hypothesis;
  pair_counts figures;
};

// A pair as a JSON object, for the "pairs" array of the member.
std::string shard_pair_json(const std::string& reference, const std::string& hypothesis,
                            const pair_counts& figures);

// Writes the "merge" member: `pairs` is the pairs' objects separated by
// commas, in corpus order.
void write_merge_member(json_report_writer& json, const shard_identity& identity,
                        const std::string& pairs);

// The JSON report's "documents" member, as text: what a merge names when
// every shard names the same.
struct shard_documents {
  std::string reference;
  std::string hypothesis;
  std::string pairs;  // a pairs file, in place of the two
  std::string description;
  bool operator==(const shard_documents& o) const {
    return reference == o.reference && hypothesis == o.hypothesis && pairs == o.pairs &&
           description == o.description;
  }
};

// One shard, read. Its pairs are appended to `pairs` (`shard` set to the
// shard's number), so that a merge holds one shard's JSON at a time.
struct shard_contents {
  shard_identity identity;
  shard_documents documents;
};

// Reads the JSON report in `file` and appends its pairs. A file that is no
// such report, or whose member is of another version or malformed, is a
// fatal error that names it.
shard_contents read_shard(const std::string& file, std::vector<shard_pair>& pairs);

// A hash of `bytes` as 16 hex digits (FNV-1a, 64 bits): it tells apart
// descriptions that differ, it is no protection against one made to match.
std::string digest_of(const char* bytes, size_t size);

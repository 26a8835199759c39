#include "reports/shard_format.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "reports/json_report.h"
#include "support/test_support.h"

namespace {

// One pair as a shard holds it.
struct shard_pair {
  std::string reference;
  std::string hypothesis;
  pair_counts figures;
};

shard_identity sample_identity() {
  shard_identity id;
  id.program = "1.2.3";
  id.description = "task \"1\".lua";
  id.digest = digest_of("x", 1);
  id.options = {{"format", "conll"}, {"scheme", "iob2"}, {"types", ""}};
  id.declared_types = {"PER", "LOC"};
  return id;
}

// A shard's whole report around the member, as a run writes it.
std::string shard_text(const shard_identity& id, const std::vector<shard_pair>& pairs) {
  std::string records;
  for (const shard_pair& p : pairs) {
    records += (records.empty() ? "" : ",") + shard_pair_json(p.reference, p.hypothesis, p.figures);
  }
  return capture([&](FILE* out) {
    json_report_writer json(out);
    json.documents("ref", "hyp", "task.lua");
    write_merge_member(json, id, records);
    json.finish();
  });
}

// Reads `text` as a shard file; the pairs read go to `pairs`.
shard_contents read_text(const std::string& text, shard_pairs& pairs, uint32_t shard = 0) {
  const std::string file = temp_file(text);
  struct remover {
    std::string name;
    ~remover() { std::remove(name.c_str()); }
  } removed{file};
  return read_shard(file, pairs, shard);
}

shard_pair random_pair(std::mt19937_64& rng, int k) {
  std::uniform_int_distribution<int> small(0, 5);
  shard_pair p;
  p.reference = "ref/" + std::to_string(k) + ".txt";
  p.hypothesis = "hyp/\xc3\xa9" + std::to_string(k);
  pair_counts& f = p.figures;
  const int types = small(rng);
  outcome_counts& c = f.counts;
  for (int t = 0; t < types; t++) {
    f.types.push_back("T" + std::to_string(small(rng)) + std::to_string(t));
    const int ref = small(rng), hyp = small(rng), correct = std::min(ref, hyp) / 2;
    c.ref_per_type.push_back(ref);
    c.hyp_per_type.push_back(hyp);
    c.correct_per_type.push_back(correct);
    c.correct_hyp_per_type.push_back(correct);
    c.reference_entities += ref;
    c.hypothesis_entities += hyp;
    c.corrects += correct;
    if (ref > 0) {
      f.confusion.cells.push_back(confusion_cell{t, ref > 1 ? no_type : t, 1, 0});
    }
  }
  c.substitutions = std::min(c.reference_entities, c.hypothesis_entities) - c.corrects;
  c.deletions = c.reference_entities - c.corrects - c.substitutions;
  c.insertions = c.hypothesis_entities - c.corrects - c.substitutions;
  c.total_errors = c.insertions + c.deletions + c.substitutions;
  // Sums of costs of every kind: the read must give back the same double.
  std::uniform_real_distribution<double> any(0, 1e6);
  const double sums[] = {any(rng),
                         1.0 / 3,
                         0.1 + 0.2,
                         std::numeric_limits<double>::denorm_min(),
                         std::numeric_limits<double>::max(),
                         INFINITY,
                         0};
  c.slot_error_sum = sums[k % 7];
  c.credits = any(rng) / 7;
  c.tokens = rng() >> 1;
  c.equal_tags = c.tokens / 3;
  c.overlapping_misses = c.deletions;
  return p;
}

}  // namespace

TEST(ShardFormat, PairsReadBackExactly) {
  std::mt19937_64 rng(7);
  std::vector<shard_pair> written;
  for (int k = 0; k < 200; k++) {
    written.push_back(random_pair(rng, k));
  }
  // Pairs read are added to those of the shards before.
  shard_pairs read;
  const shard_pair before = random_pair(rng, 999);
  read.add(4, before.reference, before.hypothesis, before.figures);
  const shard_contents got = read_text(shard_text(sample_identity(), written), read, 5);
  ASSERT_EQ(written.size() + 1, read.size());
  EXPECT_EQ(4u, read.shard(0));
  EXPECT_EQ(before.reference, read.reference(0));
  for (size_t k = 0; k < written.size(); k++) {
    const shard_pair& a = written[k];
    const pair_counts b = read.figures(k + 1);
    EXPECT_EQ(5u, read.shard(k + 1));
    EXPECT_EQ(a.reference, read.reference(k + 1));
    EXPECT_EQ(a.hypothesis, read.hypothesis(k + 1));
    EXPECT_EQ(a.figures.counts.reference_entities + a.figures.counts.hypothesis_entities,
              read.entities(k + 1));
    EXPECT_EQ(a.figures.types, b.types);
    const outcome_counts &x = a.figures.counts, &y = b.counts;
    EXPECT_EQ(0, std::memcmp(&x.slot_error_sum, &y.slot_error_sum, sizeof(double))) << k;
    EXPECT_EQ(0, std::memcmp(&x.credits, &y.credits, sizeof(double))) << k;
    EXPECT_EQ(
        std::vector<int>({x.reference_entities, x.hypothesis_entities, x.corrects, x.insertions,
                          x.deletions, x.substitutions, x.total_errors, x.overlapping_misses}),
        std::vector<int>({y.reference_entities, y.hypothesis_entities, y.corrects, y.insertions,
                          y.deletions, y.substitutions, y.total_errors, y.overlapping_misses}));
    EXPECT_EQ(x.tokens, y.tokens);
    EXPECT_EQ(x.equal_tags, y.equal_tags);
    EXPECT_EQ(x.ref_per_type, y.ref_per_type);
    EXPECT_EQ(x.hyp_per_type, y.hyp_per_type);
    EXPECT_EQ(x.correct_per_type, y.correct_per_type);
    EXPECT_EQ(x.correct_hyp_per_type, y.correct_hyp_per_type);
    ASSERT_EQ(a.figures.confusion.cells.size(), b.confusion.cells.size());
    for (size_t i = 0; i < a.figures.confusion.cells.size(); i++) {
      const confusion_cell &p = a.figures.confusion.cells[i], &q = b.confusion.cells[i];
      EXPECT_EQ(std::vector<int>({p.ref_type, p.hyp_type, p.count, p.correct}),
                std::vector<int>({q.ref_type, q.hyp_type, q.count, q.correct}));
    }
  }
  const shard_identity want = sample_identity();
  EXPECT_EQ(want.program, got.identity.program);
  EXPECT_EQ(want.description, got.identity.description);
  EXPECT_EQ(want.digest, got.identity.digest);
  EXPECT_EQ(want.options, got.identity.options);
  EXPECT_EQ(want.declared_types, got.identity.declared_types);
  EXPECT_EQ((shard_documents{"ref", "hyp", "", "task.lua"}), got.documents);
}

TEST(ShardFormat, DigestTellsTextsApart) {
  EXPECT_EQ("cbf29ce484222325", digest_of("", 0));
  EXPECT_EQ(16u, digest_of("a", 1).size());
  EXPECT_NE(digest_of("return 0.5", 10), digest_of("return 0.25", 11));
}

// A pair whose counts contradict each other is refused before any of it is
// summed: a hand-edited shard cannot overflow the totals nor index a type
// the pair does not have.
TEST(ShardFormat, ContradictoryCountsAreRefused) {
  const shard_identity id = sample_identity();
  shard_pair good;
  good.reference = "r";
  good.hypothesis = "h";
  good.figures.types = {"A"};
  outcome_counts& c = good.figures.counts;
  c.reference_entities = c.hypothesis_entities = 2;
  c.corrects = 1;
  c.deletions = c.insertions = 1;
  c.total_errors = 2;
  c.ref_per_type = c.hyp_per_type = {2};
  c.correct_per_type = c.correct_hyp_per_type = {1};
  good.figures.confusion.cells = {{0, 0, 1, 1}, {0, no_type, 1, 0}, {no_type, 0, 1, 0}};
  shard_pairs pairs;
  read_text(shard_text(id, {good}), pairs);
  ASSERT_EQ(1u, pairs.size());

  struct fault {
    void (*spoil)(shard_pair&);
    const char* what;
  };
  const fault faults[] = {
      {[](shard_pair& p) { p.figures.counts.total_errors = 3; },
       "pairs[0].counts[6] is not the sum of the errors"},
      // Errors within their bounds one by one, but more than the entities.
      {[](shard_pair& p) { p.figures.counts.substitutions = 1; },
       "pairs[0].counts do not account for the entities"},
      {[](shard_pair& p) { p.figures.counts.corrects = 3; }, "pairs[0].counts[2] is out of range"},
      {[](shard_pair& p) { p.figures.counts.reference_entities = -1; },
       "pairs[0].counts[0] is not a count"},
      {[](shard_pair& p) {
         p.figures.types.push_back("B");
         for (auto* v :
              {&p.figures.counts.ref_per_type, &p.figures.counts.hyp_per_type,
               &p.figures.counts.correct_per_type, &p.figures.counts.correct_hyp_per_type}) {
           v->push_back(1);
         }
       },
       "pairs[0].per_type counts more entities than the pair holds"},
      {[](shard_pair& p) { p.figures.confusion.cells[0].hyp_type = 1; },
       "pairs[0].confusion[0] names no type of the pair"},
      {[](shard_pair& p) { p.figures.confusion.cells[1].count = 4; },
       "pairs[0].confusion counts more outcomes than the pair holds"},
      {[](shard_pair& p) { p.figures.counts.equal_tags = 1; },
       "pairs[0].counts[9] and the next are not a count of tokens and of equal tags"},
  };
  for (const fault& f : faults) {
    shard_pair bad = good;
    f.spoil(bad);
    const std::string text = shard_text(id, {bad});
    const std::string file = temp_file(text);
    EXPECT_FATAL(read_shard(file, pairs, 0), 1,
                 "Error: " + file + ": the merge member's " + f.what + ".\n");
    std::remove(file.c_str());
  }
}

// A shard as a user may keep it: pretty-printed (by jq, say), its members in
// another order, with outcomes whose members bear the names the reader
// looks for. The pairs and what the shards share read the same.
TEST(ShardFormat, ReformattedReportsReadTheSame) {
  std::mt19937_64 rng(3);
  std::vector<shard_pair> written;
  for (int k = 0; k < 20; k++) {
    written.push_back(random_pair(rng, k));
  }
  const std::string compact = shard_text(sample_identity(), written);
  // Numbers kept as their text (then quoted: the reader takes them so too),
  // for the library's reading of doubles is not exact.
  rapidjson::Document doc;
  doc.Parse<rapidjson::kParseNumbersAsStringsFlag>(compact.c_str());
  ASSERT_FALSE(doc.HasParseError());
  // Outcomes first, holding decoys, then the members in reverse order.
  rapidjson::Document reordered(rapidjson::kObjectType);
  auto& a = reordered.GetAllocator();
  rapidjson::Value outcomes(rapidjson::kArrayType);
  rapidjson::Value decoy(rapidjson::kObjectType);
  decoy.AddMember("merge", rapidjson::Value(rapidjson::kObjectType).Move(), a);
  decoy.AddMember("pairs", rapidjson::Value(rapidjson::kArrayType).Move(), a);
  decoy.AddMember("documents", "x", a);
  outcomes.PushBack(decoy, a);
  reordered.AddMember("outcomes", outcomes, a);
  reordered.AddMember("merge", doc["merge"], a);
  reordered.AddMember("documents", doc["documents"], a);
  rapidjson::StringBuffer pretty;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> w(pretty);
  reordered.Accept(w);

  shard_pairs one, other;
  const shard_contents x = read_text(compact, one);
  const shard_contents y = read_text(pretty.GetString(), other);
  ASSERT_EQ(written.size(), other.size());
  for (size_t k = 0; k < one.size(); k++) {
    EXPECT_EQ(one.reference(k), other.reference(k));
    EXPECT_EQ(one.figures(k).counts.slot_error_sum, other.figures(k).counts.slot_error_sum);
    EXPECT_EQ(one.figures(k).confusion.cells.size(), other.figures(k).confusion.cells.size());
  }
  EXPECT_EQ(x.identity.options, y.identity.options);
  EXPECT_EQ(x.documents, y.documents);
}

// Tests of the enumeration of pairing alternatives: the order of the
// alternatives, the two rejections, the scratch it leaves, and the pruned
// walk against a literal loop over every alternative number.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "alignment/alternatives.h"

namespace {

// The entities of one segment's pairing step: references are ids 0 to
// nref - 1, hypotheses the ids after them (all references are added first). `taken` are paired
// earlier on the path; `open` are the path's open pairings (hypothesis id, reference id).
struct step {
  int nref = 0;
  std::vector<int> depth;  // per id
  std::vector<starter> starters;
  std::vector<int32_t> targets;
  std::set<int32_t> taken;
  std::vector<id_pair> open;

  int ref(int d = 0) {
    EXPECT_EQ(size_t(nref), depth.size()) << "references come before hypotheses";
    depth.push_back(d);
    return nref++;
  }
  int hyp(int d = 0) {
    depth.push_back(d);
    return static_cast<int>(depth.size()) - 1;
  }
  void starts(int x, const std::vector<int>& with) {
    starters.push_back(
        starter{x, static_cast<uint32_t>(targets.size()), static_cast<uint32_t>(with.size())});
    targets.insert(targets.end(), with.begin(), with.end());
  }
  id_pair pair_of(int32_t x, int32_t y) const { return x >= nref ? id_pair(x, y) : id_pair(y, x); }
  bool crosses(const id_pair& a, const id_pair& b) const {
    const int edh = depth[size_t(a.first)], edr = depth[size_t(a.second)];
    const int pdh = depth[size_t(b.first)], pdr = depth[size_t(b.second)];
    return (edr > pdr && edh < pdh) || (edr < pdr && edh > pdh);
  }
  std::string name(int32_t id) const {
    return id < nref ? "r" + std::to_string(id) : "h" + std::to_string(id - nref);
  }
  // The pairs of one alternative, in starter order: "r0=h1 r2=h0", "none".
  std::string render(const std::vector<int>& digits) const {
    std::string out;
    for (size_t i = 0; i < starters.size(); i++) {
      if (digits[i] > 0) {
        const starter& st = starters[i];
        const id_pair p = pair_of(st.x, targets[st.first + uint32_t(digits[i] - 1)]);
        out += (out.empty() ? "" : " ") + name(p.second) + "=" + name(p.first);
      }
    }
    return out.empty() ? "none" : out;
  }
};

// Every accepted alternative, by its digits, in the order visited.
std::vector<std::vector<int>> pruned(const step& s) {
  std::vector<uint8_t> used(s.depth.size(), 0);
  std::vector<int> digit;
  std::vector<std::pair<int, id_pair>> chosen;
  std::vector<std::vector<int>> out;
  auto accepted = [&](const id_pair& p) {
    return pairing_accepted(
        p, [&](int32_t id) { return s.taken.count(id) > 0; }, used,
        [&](const id_pair& q) {
          return std::any_of(s.open.begin(), s.open.end(),
                             [&](const id_pair& o) { return s.crosses(q, o); }) ||
                 std::any_of(chosen.begin(), chosen.end(), [&](const std::pair<int, id_pair>& c) {
                   return s.crosses(q, c.second);
                 });
        });
  };
  for_each_accepted_alternative(
      s.starters, s.targets, [&](int32_t x, int32_t y) { return s.pair_of(x, y); }, accepted, used,
      digit, chosen, [&](const std::vector<int>& d) { out.push_back(d); });
  EXPECT_TRUE(std::all_of(used.begin(), used.end(), [](uint8_t u) { return u == 0; }))
      << "scratch left dirty";
  return out;
}

std::string alternatives(const step& s) {
  std::string out;
  for (const std::vector<int>& d : pruned(s)) {
    out += (out.empty() ? "" : " | ") + s.render(d);
  }
  return out;
}

TEST(Pairing, NoStarterGivesOneEmptyAlternative) {
  step s;
  s.ref();
  s.hyp();
  const std::vector<std::vector<int>> all = pruned(s);
  ASSERT_EQ(1u, all.size());
  EXPECT_TRUE(all[0].empty());
}

TEST(Pairing, ReferenceWithTwoTargetsAndAHypothesisWithNone) {
  step s;
  const int r = s.ref(), h0 = s.hyp(), h1 = s.hyp(), h2 = s.hyp();
  s.starts(r, {h0, h1});
  s.starts(h2, {});
  const std::vector<std::vector<int>> all = pruned(s);
  EXPECT_EQ((std::vector<std::vector<int>>{{0, 0}, {1, 0}, {2, 0}}), all);
  EXPECT_EQ("none | r0=h0 | r0=h1", alternatives(s));
}

TEST(Pairing, SameSpanIsOfferedFromTheReferenceSideOnly) {
  step s;
  const int r = s.ref(), h = s.hyp();
  s.starts(r, {h});
  s.starts(h, {});
  EXPECT_EQ("none | r0=h0", alternatives(s));
}

TEST(Pairing, HypothesisPairedTwiceIsRejected) {
  step s;
  const int r0 = s.ref(), r1 = s.ref(), h = s.hyp();
  s.starts(r0, {h});
  s.starts(r1, {h});
  s.starts(h, {});
  EXPECT_EQ("none | r0=h0 | r1=h0", alternatives(s));
}

TEST(Pairing, EntitiesPairedEarlierOnThePathAreRejected) {
  step s;
  const int r0 = s.ref(), r1 = s.ref(), h0 = s.hyp(), h1 = s.hyp(), h2 = s.hyp();
  s.taken = {h0, r1};
  s.open = {{h0, r1}};
  s.starts(r0, {h0, h1});
  // A starting hypothesis entity meets the references the path started:
  // one is still paired, one is free.
  s.starts(h2, {r1, r0});
  EXPECT_EQ("none | r0=h1 | r0=h2", alternatives(s));
}

TEST(Pairing, CrossedNestingWithAnOpenPairingIsRejected) {
  // Open pairing: hypothesis at depth 0 with reference at depth 1.
  step s;
  const int r0 = s.ref(1), r1 = s.ref(0), r2 = s.ref(1);
  const int h0 = s.hyp(0), h1 = s.hyp(1), h2 = s.hyp(0);
  s.taken = {h0, r0};
  s.open = {{h0, r0}};
  s.starts(r1, {h1, h2});
  s.starts(r2, {h1, h2});
  // r1 (depth 0) may not take h1 (depth 1); equal depths on a side never reject.
  EXPECT_EQ("none | r1=h2 | r2=h1 | r1=h2 r2=h1 | r2=h2", alternatives(s));
}

TEST(Pairing, CrossedNestingWithinOneAlternativeIsRejected) {
  step s;
  const int r0 = s.ref(0), r1 = s.ref(1), h0 = s.hyp(1), h1 = s.hyp(0);
  s.starts(r0, {h0, h1});
  s.starts(r1, {h0, h1});
  s.starts(h0, {});
  s.starts(h1, {});
  // r0=h0 with r1=h1 crosses (reference 0 / hypothesis 1 against 1 / 0).
  EXPECT_EQ("none | r0=h0 | r0=h1 | r1=h0 | r0=h1 r1=h0 | r1=h1", alternatives(s));
}

TEST(Pairing, StartersWithoutTargetsKeepDigitZero) {
  step s;
  const int r0 = s.ref(), r1 = s.ref(), h0 = s.hyp(), h1 = s.hyp();
  s.starts(r0, {});
  s.starts(r1, {h0});
  s.starts(h1, {r0});
  EXPECT_EQ((std::vector<std::vector<int>>{{0, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 1, 1}}), pruned(s));
}

TEST(Pairing, AlternativesBeyondAnyIntegerWidthAreEnumeratedByPruning) {
  // 70 reference entities start inside one open hypothesis entity: 2^70
  // alternative numbers, of which only 71 pair the hypothesis at most once,
  // in increasing number: none, then r0, r1, ... (each a higher digit).
  step s;
  for (int i = 0; i < 70; i++) {
    s.ref();
  }
  const int h = s.hyp();
  for (int r = 0; r < 70; r++) {
    s.starts(r, {h});
  }
  const std::vector<std::vector<int>> all = pruned(s);
  ASSERT_EQ(71u, all.size());
  for (size_t k = 0; k < all.size(); k++) {
    for (size_t i = 0; i < 70; i++) {
      EXPECT_EQ(k > 0 && i == k - 1 ? 1 : 0, all[k][i]) << k << " " << i;
    }
  }
}

// The pairing step read literally: every alternative number in turn, decoded
// digit by digit (the first starter least significant), rejected at the
// first pair that pairs an entity twice or crosses the nesting of a pairing
// open before it.
std::vector<std::vector<int>> literal_pairings(const step& s) {
  uint64_t nalt = 1;
  for (const starter& st : s.starters) {
    nalt *= st.count + 1;
  }
  std::vector<std::vector<int>> out;
  for (uint64_t k = 0; k < nalt; k++) {
    std::vector<int> digits;
    std::vector<id_pair> pairs = s.open;
    std::set<int32_t> active = s.taken;
    uint64_t idx = k;
    bool rejected = false;
    for (const starter& st : s.starters) {
      const int d = static_cast<int>(idx % (st.count + 1));
      idx /= st.count + 1;
      digits.push_back(d);
      if (d == 0 || rejected) {
        continue;
      }
      const id_pair p = s.pair_of(st.x, s.targets[st.first + uint32_t(d - 1)]);
      if (active.count(p.first) || active.count(p.second)) {
        rejected = true;
        continue;
      }
      for (const id_pair& q : pairs) {
        rejected = rejected || s.crosses(p, q);
      }
      pairs.push_back(p);
      active.insert(p.first);
      active.insert(p.second);
    }
    if (!rejected) {
      out.push_back(digits);
    }
  }
  return out;
}

TEST(PairingRandom, PrunedEnumerationEqualsTheLiteralOne) {
  std::mt19937 rng(20240611);
  auto draw = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  int nonempty = 0;
  for (int round = 0; round < 1500; round++) {
    step s;
    const int nref = draw(1, 4), nhyp = draw(1, 4);
    for (int i = 0; i < nref; i++) {
      s.ref(draw(0, 2));
    }
    for (int i = 0; i < nhyp; i++) {
      s.hyp(draw(0, 2));
    }
    const int nid = nref + nhyp;
    // Some entities paired earlier, some of them in open pairings.
    for (int id = 0; id < nid; id++) {
      if (draw(0, 3) == 0) {
        s.taken.insert(id);
      }
    }
    for (int i = draw(0, 2); i > 0; i--) {
      s.open.emplace_back(draw(nref, nid - 1), draw(0, nref - 1));
    }
    // Starting references meet hypotheses, then starting hypotheses meet
    // references, each with a random choice of targets.
    auto some = [&](int lo, int hi) {
      std::vector<int> picked;
      for (int id = lo; id < hi; id++) {
        if (draw(0, 1)) {
          picked.push_back(id);
        }
      }
      if (draw(0, 3) == 0) {
        std::shuffle(picked.begin(), picked.end(), rng);
      }
      return picked;
    };
    for (int r = 0; r < nref; r++) {
      if (draw(0, 2) > 0) {
        s.starts(r, some(nref, nid));
      }
    }
    for (int h = nref; h < nid; h++) {
      if (draw(0, 2) == 0) {
        s.starts(h, some(0, nref));
      }
    }
    const std::vector<std::vector<int>> got = pruned(s);
    ASSERT_EQ(literal_pairings(s), got) << "round " << round;
    nonempty += got.size() > 1;
  }
  EXPECT_GT(nonempty, 900);
}

}  // namespace

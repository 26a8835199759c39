// Pairing alternatives: targets of each starting entity, the pruned
// enumeration of accepted alternatives, and the child node of each.
#include "alignment/pairing.h"

#include <cassert>
#include <functional>
#include <set>
#include <utility>
#include <vector>

namespace {

using entity_pair = std::pair<const entity*, const entity*>;  // (hypothesis, reference)

// A starting entity with the entities it may be paired with.
struct starter {
  entity* x;
  std::vector<entity*> targets;
};

std::vector<starter> collect_starters(const align_node& pan, const segment& seg,
                                      const start_choice_map& choices) {
  std::vector<starter> starters;
  for (const auto& [e, f] : choices) {
    if (f.ef == -1) {
      continue;
    }
    starter st{e, {}};
    int s = e->start[f.sf];
    int t = e->end[f.ef];
    for (entity* h : seg.entities) {
      if (h->hyp && h->start.front() < t && h->end.back() > s) {
        st.targets.push_back(h);
      }
    }
    starters.push_back(std::move(st));
  }
  for (entity* h : seg.starting_hyp_entities) {
    starter st{h, {}};
    // Reference entities that start in this combination reach h from their side.
    for (entity* r : seg.entities) {
      if (r->hyp) {
        continue;
      }
      const frontier_choice* f = pan.find_frontier(r);
      if (f && r->end[f->ef] > seg.start) {
        st.targets.push_back(r);
      }
    }
    starters.push_back(std::move(st));
  }
  return starters;
}

// The pair that digit d (> 0) of starter st makes.
entity_pair pair_of(const starter& st, int d) {
  entity* y = st.targets[d - 1];
  return st.x->hyp ? entity_pair(st.x, y) : entity_pair(y, st.x);
}

// Whether two pairings open at the same time invert the nesting: the one with
// the deeper reference entity has the shallower hypothesis entity.
bool crosses(const entity_pair& a, const entity_pair& b) {
  int edh = a.first->depth, edr = a.second->depth;
  int pdh = b.first->depth, pdr = b.second->depth;
  return (edr > pdr && edh < pdh) || (edr < pdr && edh > pdh);
}

// Hands each accepted alternative to `visit`, as one digit per starter, in
// increasing alternative number. The number is mixed-radix with the last
// starter's digit most significant, so a depth-first walk from the last
// starter to the first, each digit ascending, meets them in that order. Both
// rejections (an entity paired twice, crossed nesting) hold or fail whatever
// the order of the pairs, so a partial assignment that fails one is abandoned
// at once: the count of alternatives never has to be formed.
void for_each_accepted_alternative(const align_node& pan, const std::vector<starter>& starters,
                                   const std::function<void(const std::vector<int>&)>& visit) {
  int m = static_cast<int>(starters.size());
  std::vector<int> digit(m, -1);
  std::vector<std::pair<int, entity_pair>> chosen;  // (level, pair), innermost level last
  std::set<const entity*> used;
  int i = m - 1;
  while (i < m) {
    if (i < 0) {
      visit(digit);
      i = 0;
      continue;
    }
    if (!chosen.empty() && chosen.back().first == i) {
      used.erase(chosen.back().second.first);
      used.erase(chosen.back().second.second);
      chosen.pop_back();
    }
    int d = ++digit[i];
    if (d > static_cast<int>(starters[i].targets.size())) {
      digit[i] = -1;
      i++;
      continue;
    }
    if (d == 0) {
      i--;
      continue;
    }
    entity_pair p = pair_of(starters[i], d);
    bool ok = !pan.active(p.first) && !pan.active(p.second) && !used.count(p.first) &&
              !used.count(p.second);
    for (auto it = pan.current_pairs.begin(); ok && it != pan.current_pairs.end(); ++it) {
      ok = !crosses(p, *it);
    }
    for (auto it = chosen.begin(); ok && it != chosen.end(); ++it) {
      ok = !crosses(p, it->second);
    }
    if (ok) {
      chosen.emplace_back(i, p);
      used.insert(p.first);
      used.insert(p.second);
      i--;
    }
  }
}

double miss_cost(entity* x, const start_choice_map& choices) {
  const error_d* miss;
  if (x->hyp) {
    miss = &x->miss_errors[0][0];
  } else {
    const frontier_choice& f = choices.find(x)->second;
    miss = &x->miss_errors[f.sf][f.ef];
  }
  assert(miss->asked && "miss cost of a span that was never costed");
  return miss->cost;
}

// Builds the node of one accepted alternative. Costs are added in starter
// order, so that equal paths get bit-identical scores.
align_node* build_alternative(align_node* pan, const segment& seg, const start_choice_map& choices,
                              const std::vector<starter>& starters, const std::vector<int>& digit) {
  align_node* an = new align_node(pan, &seg);
  for (const auto& [e, f] : choices) {
    if (f.ef != -1) {
      an->add_frontier(e, f);
    }
  }
  for (size_t i = 0; i < starters.size(); i++) {
    entity* x = starters[i].x;
    int tidx = digit[i];
    if (tidx == 0) {
      // A starting hypothesis entity that a starting reference entity paired.
      if (an->active(x)) {
        continue;
      }
      an->unmapped_entities.push_back(x);
      an->score += miss_cost(x, choices);
      continue;
    }
    entity* y = starters[i].targets[tidx - 1];
    entity* eh = x->hyp ? x : y;
    entity* er = x->hyp ? y : x;
    assert(!an->active(er) && !an->active(eh) && "accepted alternative pairs an entity twice");
    for (const entity_pair& p : an->current_pairs) {
      assert(!crosses(entity_pair(eh, er), p) && "accepted alternative crosses the nesting");
      (void)p;
    }
    const frontier_choice* erf = an->find_frontier(er);
    assert(erf && "paired reference entity has no choice");
    auto costs = er->subst_errors.find(eh);
    assert(costs != er->subst_errors.end() && "paired entities never shared a segment");
    const error_d* err = &costs->second[erf->sf][erf->ef];
    assert(err->asked && "pairing whose cost was never asked");
    an->added_pairs.emplace_back(er, eh, err);
    an->current_pairs.emplace_back(eh, er);
    an->active_set.insert(eh);
    an->active_set.insert(er);
    an->score += err->cost;
  }
  return an;
}

}  // namespace

void add_pairing_alternatives(align_node* pan, const segment& seg, const start_choice_map& choices,
                              std::list<align_node*>& opened_nodes) {
  std::vector<starter> starters = collect_starters(*pan, seg, choices);
  for_each_accepted_alternative(*pan, starters, [&](const std::vector<int>& digit) {
    opened_nodes.push_back(build_alternative(pan, seg, choices, starters, digit));
  });
}

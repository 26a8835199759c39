#include "reports/text_report.h"

#include <algorithm>
#include <cinttypes>
#include <string>
#include <vector>

#include "base/escape.h"
#include "reports/corpus_sections.h"
#include "reports/details.h"
#include "reports/type_table.h"

namespace {

// The columns a name takes on a terminal, near enough: one per UTF-8
// character.
size_t display_width(const std::string& s) {
  return static_cast<size_t>(
      std::count_if(s.begin(), s.end(), [](char ch) { return (ch & 0xC0) != 0x80; }));
}

void print_padded(FILE* out, const std::string& s, size_t width, bool right) {
  const size_t pad = width - std::min(width, display_width(s));
  if (right) {
    fprintf(out, "%*s", static_cast<int>(pad), "");
  }
  fputs(s.c_str(), out);
  if (!right) {
    fprintf(out, "%*s", static_cast<int>(pad), "");
  }
}

void print_entity(FILE* out, char letter, const listed_entity& le) {
  fprintf(out, "%c: %s: %s - %s\n", letter, le.e->hyp ? "hyp" : "ref", le.label.c_str(),
          le.text.c_str());
}

// An entity's place: its file and line, and the annotation's id in a
// standoff document ("doc.ann:3 (T2)").
std::string place_of(const listed_entity& le, const char* file, const evaluated_pair& pair) {
  return std::string(file) + shown_name(pair.place_after_file(*le.e));
}

// `ref` and `hyp`: the file names as the listing shows them.
void print_outcome(FILE* out, const listed_outcome& lo, const char* ref, const char* hyp,
                   const evaluated_pair& pair) {
  const double cost = lo.o.record->cost;
  if (!lo.ref.e || !lo.hyp.e) {
    const listed_entity& le = lo.ref.e ? lo.ref : lo.hyp;
    fprintf(out, "%c: %s (%g): %s\n", lo.letter, lo.names.c_str(), cost,
            place_of(le, le.e->hyp ? hyp : ref, pair).c_str());
    print_entity(out, lo.letter, le);
  } else {
    fprintf(out, "%c: %s (%g): %s %s\n", lo.letter, lo.names.c_str(), cost,
            place_of(lo.ref, ref, pair).c_str(), place_of(lo.hyp, hyp, pair).c_str());
    print_entity(out, lo.letter, lo.ref);
    print_entity(out, lo.letter, lo.hyp);
  }
  fputc('\n', out);
}

// Past this many types (as many as the page's heat map shows) a table would be mostly zeros, and
// its size would grow with their square: the cells in use are listed instead.
constexpr size_t confusion_table_types = 32;

// The cells that are not zero, one a line, in the table's order of rows and
// columns; names are padded to a width of at most 30 columns, so that one
// long name does not widen every line.
template <class Index>
void print_confusion_cells(FILE* out, const confusion_report& c,
                           const std::vector<std::string>& labels, const Index& index) {
  const size_t most = 30;
  size_t ref_width = display_width("reference");
  size_t hyp_width = display_width("hypothesis");
  long long total = 0;
  for (const confusion_cell& cell : c.cells) {
    ref_width = std::max(ref_width, std::min(most, display_width(labels[index(cell.ref_type)])));
    hyp_width = std::max(hyp_width, std::min(most, display_width(labels[index(cell.hyp_type)])));
    total += cell.count;
  }
  const size_t count_width = std::max<size_t>(5, std::to_string(total).size());
  fprintf(out,
          "Confusion (%zu types: the pairs of reference and hypothesis types that occur, "
          "in place of a table)\n",
          labels.size() - 1);
  auto line = [&](const std::string& ref, const std::string& hyp, const std::string& count) {
    print_padded(out, ref, ref_width, false);
    fputs("  ", out);
    print_padded(out, hyp, hyp_width, false);
    fputs("  ", out);
    print_padded(out, count, count_width, true);
    fputc('\n', out);
  };
  line("reference", "hypothesis", "count");
  for (const confusion_cell& cell : c.cells) {
    line(labels[index(cell.ref_type)], labels[index(cell.hyp_type)], std::to_string(cell.count));
  }
  line("total", "", std::to_string(total));
}

}  // namespace

void print_summary(FILE* out, const summary_report& s) {
  fprintf(out, "Slot Error Rate: %5.1f%% (%g %d)\n\n", s.slot_error_rate_pct, s.slot_error_sum,
          s.reference_entities);
  fprintf(out, "%6d %5.1f%% corrects\n", s.corrects, s.corrects_pct);
  fprintf(out, "%6d %5.1f%% inserts\n", s.insertions, s.insertions_pct);
  fprintf(out, "%6d %5.1f%% deletes\n", s.deletions, s.deletions_pct);
  fprintf(out, "%6d %5.1f%% substitutions\n", s.substitutions, s.substitutions_pct);
  fprintf(out, "%6d %5.1f%% total errors\n\n", s.total_errors, s.total_errors_pct);
  if (s.precision_defined) {
    fprintf(out, "%5.1f%% overall precision (%d entities in hypothesis)\n", s.precision_pct,
            s.hypothesis_entities);
  } else {
    // One blank wider than the formatted line: the report has always read so.
    fputs("   0.0% overall precision (0 entities in hypothesis)\n", out);
  }
  fprintf(out, "%5.1f%% overall recall (%d entities in reference)\n", s.recall_pct,
          s.reference_entities);
  fprintf(out, "%5.1f%% overall F-measure\n\n", s.f_measure_pct);
  fputs("   P      R      F   tag\n", out);
  for (const type_row& row : s.rows) {
    fprintf(out,
            "%5.1f%% %5.1f%% %5.1f%% %s (hyp_count=%d, ref_count=%d, correct=", row.precision_pct,
            row.recall_pct, row.f_measure_pct, shown_name(row.type).c_str(), row.hypothesis_count,
            row.reference_count);
    // Both counts, in the order of the counts and of P and R, only where a
    // pairing of two types was correct: other rows read as they always have.
    if (row.corrects_differ()) {
      fprintf(out, "%d of hyp, %d of ref)\n", row.correct_of_hypothesis, row.correct);
    } else {
      fprintf(out, "%d)\n", row.correct);
    }
  }
}

void print_credit(FILE* out, const outcome_counts& c) {
  fprintf(out, "Credits: %g (a correct pairing 1, a substitution 1 - its cost, a miss 0)\n",
          c.credits);
  const auto figure = [&](double num, double den) {
    if (den == 0) {
      fputs("     -", out);
    } else {
      fprintf(out, "%5.1f%%", 100 * num / den);
    }
  };
  figure(c.credits, c.hypothesis_entities);
  fprintf(out, " credited precision (%d entities in hypothesis)\n", c.hypothesis_entities);
  figure(c.credits, c.reference_entities);
  fprintf(out, " credited recall (%d entities in reference)\n", c.reference_entities);
  figure(2 * c.credits, static_cast<double>(c.reference_entities) + c.hypothesis_entities);
  fputs(" credited F-measure\n", out);
}

void print_agreement(FILE* out, const agreement_report& a) {
  fprintf(out, "Total entities: %d\n", a.total_items);
  fprintf(out, "Correct: %d\n", a.corrects);
  fprintf(out, "Added void/void corrects: %g\n", a.void_void_corrects);
  fprintf(out, "Tag types: %d\n", a.type_count);
  fputc('\n', out);
  fprintf(out, "S         = %7.5f\n", a.s);
  fprintf(out, "Pi        = %7.5f\n", a.pi);
  fprintf(out, "Kappa     = %7.5f\n", a.kappa);
  fprintf(out, "F-measure = %7.5f\n", a.f_measure);
}

namespace {

// A type's own cell counts its correct pairings and its pairings with other
// boundaries or attributes alike: a line tells the second apart, where
// there are any.
void print_own_cell_errors(FILE* out, const confusion_report& c, const name_table& types) {
  const char* lead = "Of the types' own cells, not correct (other boundaries or attributes): ";
  for (const confusion_cell& cell : c.cells) {
    if (cell.ref_type == cell.hyp_type && cell.ref_type != no_type && cell.correct < cell.count) {
      fprintf(out, "%s%s %d of %d", lead, shown_name(types.name(cell.ref_type)).c_str(),
              cell.count - cell.correct, cell.count);
      lead = ", ";
    }
  }
  if (*lead == ',') {
    fputc('\n', out);
  }
}

}  // namespace

void print_confusion(FILE* out, const confusion_report& c, const name_table& types) {
  // The axis: the types of some cell, in type order, then "(none)". Rows and
  // columns share it, so a type paired on one side only still has its row and
  // column.
  std::vector<int32_t> slot(static_cast<size_t>(types.size()), -1);
  for (const confusion_cell& cell : c.cells) {
    for (int32_t t : {cell.ref_type, cell.hyp_type}) {
      if (t != no_type) {
        slot[static_cast<size_t>(t)] = 0;
      }
    }
  }
  std::vector<std::string> labels;
  for (int t = 0; t < types.size(); t++) {
    if (slot[static_cast<size_t>(t)] == 0) {
      slot[static_cast<size_t>(t)] = static_cast<int32_t>(labels.size());
      labels.push_back(shown_name(types.name(t)));
    }
  }
  const size_t none = labels.size();
  labels.push_back("(none)");
  auto index = [&](int32_t t) {
    return t == no_type ? none : static_cast<size_t>(slot[size_t(t)]);
  };

  const size_t n = labels.size();
  if (n - 1 > confusion_table_types) {
    print_confusion_cells(out, c, labels, index);
    print_own_cell_errors(out, c, types);
    return;
  }
  std::vector<long long> row_total(n), col_total(n);
  long long total = 0;
  for (const confusion_cell& cell : c.cells) {
    row_total[index(cell.ref_type)] += cell.count;
    col_total[index(cell.hyp_type)] += cell.count;
    total += cell.count;
  }
  // A column is as wide as its name and its total, the largest of its counts.
  const std::string total_label = "total";
  size_t label_width = display_width(total_label);
  std::vector<size_t> width(n);
  for (size_t i = 0; i < n; i++) {
    label_width = std::max(label_width, display_width(labels[i]));
    width[i] = std::max(display_width(labels[i]), std::to_string(col_total[i]).size());
  }
  const size_t total_width = std::max(display_width(total_label), std::to_string(total).size());

  fputs("Confusion (rows: reference types, columns: hypothesis types)\n", out);
  print_padded(out, "", label_width, false);
  for (size_t i = 0; i < n; i++) {
    fputs("  ", out);
    print_padded(out, labels[i], width[i], true);
  }
  fputs("  ", out);
  print_padded(out, total_label, total_width, true);
  fputc('\n', out);

  auto print_row = [&](const std::string& label, const std::vector<long long>& counts,
                       long long sum) {
    print_padded(out, label, label_width, false);
    for (size_t i = 0; i < n; i++) {
      fputs("  ", out);
      print_padded(out, std::to_string(counts[i]), width[i], true);
    }
    fputs("  ", out);
    print_padded(out, std::to_string(sum), total_width, true);
    fputc('\n', out);
  };
  // The cells come by row in axis order; one row is spread out at a time.
  std::vector<long long> row(n);
  size_t k = 0;
  for (size_t r = 0; r < n; r++) {
    std::fill(row.begin(), row.end(), 0);
    for (; k < c.cells.size() && index(c.cells[k].ref_type) == r; k++) {
      row[index(c.cells[k].hyp_type)] = c.cells[k].count;
    }
    print_row(labels[r], row, row_total[r]);
  }
  print_row(total_label, col_total, total);
  print_own_cell_errors(out, c, types);
}

void print_details(FILE* out, const evaluated_pair& pair, bool with_corrects) {
  const std::string ref = shown_name(pair.reference_name);
  const std::string hyp = shown_name(pair.hypothesis_name);
  for_each_listed_outcome(pair, with_corrects, [&](const listed_outcome& lo) {
    print_outcome(out, lo, ref.c_str(), hyp.c_str(), pair);
  });
}

void print_totals(FILE* out, const outcome_counts& counts, const name_table& types,
                  const confusion_report& confusion, const report_options& options,
                  const bootstrap_report* intervals, size_t documents) {
  if (options.summary) {
    print_summary(out, summarize(counts, types));
  }
  bool above = options.summary;  // something was printed above
  if (options.table) {
    if (above) {
      fputc('\n', out);
    }
    print_type_table(out, make_type_table(counts, types));
    fprintf(out,
            "\noverlapping misses %d (deletions and insertions that overlap an entity of the "
            "other side)\n",
            counts.overlapping_misses);
    if (counts.tokens > 0) {
      fprintf(out, "token accuracy %6.2f%% (%" PRIu64 " of %" PRIu64 " tokens tagged alike)\n",
              100.0 * static_cast<double>(counts.equal_tags) / static_cast<double>(counts.tokens),
              counts.equal_tags, counts.tokens);
    }
    above = true;
  }
  if (options.credit) {
    if (above) {
      fputc('\n', out);
    }
    print_credit(out, counts);
    above = true;
  }
  // The intervals go below the summary, or where it would be.
  if (intervals) {
    if (above) {
      fputc('\n', out);
    }
    print_bootstrap(out, *intervals, documents);
  }
  if (options.confusion) {
    if (above || intervals) {
      fputc('\n', out);
    }
    print_confusion(out, confusion, types);
    if (options.agreement) {
      fputc('\n', out);
    }
  } else if ((intervals || options.table || options.credit) && options.agreement) {
    // (The summary alone is followed by the agreement values without a
    // blank line: the report has always read so.)
    fputc('\n', out);
  }
  if (options.agreement) {
    print_agreement(out, measure_agreement(counts, options.open, options.expected_count));
  }
}

#include "reports/type_table.h"

#include <algorithm>

#include "base/escape.h"
#include "reports/summary.h"

namespace {

std::optional<double> ratio(double num, double den) {
  return den == 0 ? std::nullopt : std::optional<double>(num / den);
}

// The average of the types' figures, each with `weight`, over `total`.
template <class Weight>
table_row average(const char* name, const std::vector<table_row>& rows, Weight weight,
                  double total) {
  table_row a;
  a.name = name;
  double p = 0, r = 0, f = 0;
  for (const table_row& row : rows) {
    const double w = weight(row);
    p += w * row.precision.value_or(0);
    r += w * row.recall.value_or(0);
    f += w * row.f_measure.value_or(0);
    a.support += row.support;
    a.hypothesis += row.hypothesis;
    a.correct += row.correct;
  }
  a.precision = ratio(p, total);
  a.recall = ratio(r, total);
  a.f_measure = ratio(f, total);
  return a;
}

void print_figure(FILE* out, const std::optional<double>& value) {
  if (value) {
    fprintf(out, " %7.2f", 100 * *value);
  } else {
    fputs("       -", out);
  }
}

void print_row(FILE* out, int width, const table_row& row) {
  fprintf(out, "%-*s", width, shown_name(row.name).c_str());
  print_figure(out, row.precision);
  print_figure(out, row.recall);
  print_figure(out, row.f_measure);
  fprintf(out, " %8d %8d %8d\n", row.support, row.hypothesis, row.correct);
}

}  // namespace

type_table make_type_table(const outcome_counts& c, const name_table& types) {
  type_table t;
  for (int i = 0; i < types.size(); i++) {
    const size_t k = static_cast<size_t>(i);
    const int h = c.hyp_per_type[k], rc = c.ref_per_type[k];
    if (h == 0 && rc == 0) {
      continue;
    }
    table_row row;
    row.name = types.name(i);
    row.support = rc;
    row.hypothesis = h;
    row.correct = c.correct_per_type[k];
    const int kh = c.correct_hyp_per_type[k];
    // As the summary's row, with 0 where it divides by zero.
    row.precision = h ? static_cast<double>(kh) / h : 0;
    row.recall = rc ? static_cast<double>(row.correct) / rc : 0;
    row.f_measure = kh == row.correct ? 2.0 * row.correct / (static_cast<double>(h) + rc)
                                      : harmonic_mean(*row.precision, *row.recall);
    t.types.push_back(std::move(row));
  }
  std::sort(t.types.begin(), t.types.end(),
            [](const table_row& a, const table_row& b) { return a.name < b.name; });
  t.micro.name = "micro avg";
  t.micro.support = c.reference_entities;
  t.micro.hypothesis = c.hypothesis_entities;
  t.micro.correct = c.corrects;
  t.micro.precision = ratio(c.corrects, c.hypothesis_entities);
  t.micro.recall = ratio(c.corrects, c.reference_entities);
  t.micro.f_measure =
      ratio(2.0 * c.corrects, static_cast<double>(c.reference_entities) + c.hypothesis_entities);
  t.macro = average(
      "macro avg", t.types, [](const table_row&) { return 1.0; },
      static_cast<double>(t.types.size()));
  t.weighted = average(
      "weighted avg", t.types, [](const table_row& row) { return double(row.support); },
      static_cast<double>(c.reference_entities));
  return t;
}

void print_type_table(FILE* out, const type_table& table) {
  int width = 12;  // "weighted avg"
  for (const table_row& row : table.types) {
    width = std::max(width, std::min(30, static_cast<int>(shown_name(row.name).size())));
  }
  fprintf(out, "%-*s %7s %7s %7s %8s %8s %8s\n", width, "type", "P", "R", "F1", "support", "hyp",
          "correct");
  for (const table_row& row : table.types) {
    print_row(out, width, row);
  }
  fputc('\n', out);
  for (const table_row* row : {&table.micro, &table.macro, &table.weighted}) {
    print_row(out, width, *row);
  }
}

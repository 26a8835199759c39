#include "reports/html_report.h"

#include <rapidjson/writer.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include "base/utf8.h"
#include "reports/agreement.h"
#include "reports/confusion.h"
#include "reports/entity_text.h"
#include "reports/error_order.h"
#include "reports/html_assets.h"
#include "reports/html_page.h"
#include "reports/json_text.h"
#include "reports/overlaps.h"
#include "reports/summary.h"
#include "reports/type_table.h"

namespace {

const char* const kind_names[] = {"insertion", "deletion", "substitution", "correct"};

void print_pct(FILE* out, double v) {
  fprintf(out, "<td>%.1f%%</td>", v);
}

void write_header(FILE* out, const html_context& c) {
  fprintf(out, "<header><h1>orvane</h1><dl>");
  const std::pair<const char*, const std::string*> items[] = {{"Command", &c.command},
                                                              {"Description", &c.description},
                                                              {"Reference", &c.reference},
                                                              {"Hypothesis", &c.hypothesis},
                                                              {"Date", &c.date}};
  for (const auto& [name, value] : items) {
    fprintf(out, "<dt>%s</dt><dd><code>%s</code></dd>", name, html_escaped(*value).c_str());
  }
  fputs("</dl></header>\n", out);
}

void write_summary(FILE* out, const summary_report& s) {
  fputs(
      "<section id=\"summary\"><h2>Summary</h2>"
      "<p class=\"jump\"><a href=\"#document\" id=\"to-document\">To the document and its "
      "errors &darr;</a></p><table class=\"figures\">",
      out);
  fprintf(out, "<tr><th>Slot error rate</th>");
  print_pct(out, s.slot_error_rate_pct);
  fprintf(out, "<td>%g of %d</td></tr>\n", s.slot_error_sum, s.reference_entities);
  const std::tuple<const char*, int, double> counts[] = {
      {"Corrects", s.corrects, s.corrects_pct},
      {"Insertions", s.insertions, s.insertions_pct},
      {"Deletions", s.deletions, s.deletions_pct},
      {"Substitutions", s.substitutions, s.substitutions_pct},
      {"Total errors", s.total_errors, s.total_errors_pct}};
  for (const auto& [name, n, pct] : counts) {
    fprintf(out, "<tr><th>%s</th>", name);
    print_pct(out, pct);
    fprintf(out, "<td>%d</td></tr>\n", n);
  }
  fputs("<tr><th>Precision</th>", out);
  print_pct(out, s.precision_pct);
  fprintf(out, "<td>%d in hypothesis</td></tr>\n<tr><th>Recall</th>", s.hypothesis_entities);
  print_pct(out, s.recall_pct);
  fprintf(out, "<td>%d in reference</td></tr>\n<tr><th>F-measure</th>", s.reference_entities);
  print_pct(out, s.f_measure_pct);
  fputs("<td></td></tr></table>\n", out);
  fputs(
      "<table class=\"types\"><tr><th>Type</th><th>P</th><th>R</th><th>F</th>"
      "<th>Hypothesis</th><th>Reference</th><th>Correct</th></tr>\n",
      out);
  for (const type_row& row : s.rows) {
    fprintf(out, "<tr><th>%s</th>", html_escaped(row.type).c_str());
    print_pct(out, row.precision_pct);
    print_pct(out, row.recall_pct);
    print_pct(out, row.f_measure_pct);
    fprintf(out, "<td>%d</td><td>%d</td>", row.hypothesis_count, row.reference_count);
    // Both counts only where a pairing of two types was correct.
    if (row.corrects_differ()) {
      fprintf(out, "<td>%d of hypothesis, %d of reference</td></tr>\n", row.correct_of_hypothesis,
              row.correct);
    } else {
      fprintf(out, "<td>%d</td></tr>\n", row.correct);
    }
  }
  fputs("</table></section>\n", out);
}

void print_figure(FILE* out, const std::optional<double>& v) {
  if (v) {
    fprintf(out, "<td>%.2f</td>", 100 * *v);
  } else {
    fputs("<td>-</td>", out);
  }
}

// The per-type table as papers print it, with its averages, the misses that
// overlap the other side, and the token accuracy of token-per-line input.
void write_type_table(FILE* out, const outcome_counts& counts, const name_table& types) {
  const type_table table = make_type_table(counts, types);
  fputs(
      "<section id=\"table\"><h2>Per type</h2><table class=\"types\"><tr><th>Type</th>"
      "<th>P</th><th>R</th><th>F1</th><th>Support</th><th>Hypothesis</th><th>Correct</th>"
      "</tr>\n",
      out);
  auto row = [&](const table_row& r, const char* cls) {
    fprintf(out, "<tr%s><th>%s</th>", cls, html_escaped(r.name).c_str());
    print_figure(out, r.precision);
    print_figure(out, r.recall);
    print_figure(out, r.f_measure);
    fprintf(out, "<td>%d</td><td>%d</td><td>%d</td></tr>\n", r.support, r.hypothesis, r.correct);
  };
  for (const table_row& r : table.types) {
    row(r, "");
  }
  row(table.micro, " class=\"avg first\"");
  row(table.macro, " class=\"avg\"");
  row(table.weighted, " class=\"avg\"");
  fprintf(out,
          "</table><p>Overlapping misses: %d (deletions and insertions that overlap an entity "
          "of the other side).",
          counts.overlapping_misses);
  if (counts.tokens > 0) {
    fprintf(out, " Token accuracy: %.2f%% (%" PRIu64 " of %" PRIu64 " tokens tagged alike).",
            100.0 * static_cast<double>(counts.equal_tags) / static_cast<double>(counts.tokens),
            counts.equal_tags, counts.tokens);
  }
  fputs("</p></section>\n", out);
}

void write_agreement(FILE* out, const agreement_report& a) {
  fprintf(out,
          "<section id=\"agreement\"><h2>Agreement</h2><table class=\"figures\">"
          "<tr><th>Total entities</th><td>%d</td></tr><tr><th>Correct</th><td>%d</td></tr>"
          "<tr><th>Added void/void corrects</th><td>%g</td></tr>"
          "<tr><th>Tag types</th><td>%d</td></tr>"
          "<tr><th>S</th><td>%7.5f</td></tr><tr><th>Pi</th><td>%7.5f</td></tr>"
          "<tr><th>Kappa</th><td>%7.5f</td></tr><tr><th>F-measure</th><td>%7.5f</td></tr>"
          "</table></section>\n",
          a.total_items, a.corrects, a.void_void_corrects, a.type_count, a.s, a.pi, a.kappa,
          a.f_measure);
}

// The confusion table, each cell shaded by its count. Past
// heat_map_types types in use, the map keeps those in most outcomes and
// sums the others into one row and one column, so that its size does not
// grow with the square of a large tag set.
void write_confusion(FILE* out, const confusion_report& c, const name_table& types) {
  // Outcomes per type, on either side: a type paired with itself counts once.
  std::vector<long long> involved(static_cast<size_t>(types.size()));
  std::vector<char> used(static_cast<size_t>(types.size()));
  for (const confusion_cell& cell : c.cells) {
    for (int32_t t : {cell.ref_type, cell.hyp_type}) {
      if (t != no_type) {
        used[static_cast<size_t>(t)] = 1;
      }
    }
    if (cell.ref_type != no_type) {
      involved[static_cast<size_t>(cell.ref_type)] += cell.count;
    }
    if (cell.hyp_type != no_type && cell.hyp_type != cell.ref_type) {
      involved[static_cast<size_t>(cell.hyp_type)] += cell.count;
    }
  }
  std::vector<int32_t> axis;
  for (int t = 0; t < types.size(); t++) {
    if (used[static_cast<size_t>(t)]) {
      axis.push_back(t);
    }
  }
  const size_t others = axis.size() > heat_map_types ? axis.size() - heat_map_types : 0;
  if (others) {
    // The most involved types, ties to the earlier; shown in type order.
    std::stable_sort(axis.begin(), axis.end(), [&](int32_t a, int32_t b) {
      return involved[static_cast<size_t>(a)] > involved[static_cast<size_t>(b)];
    });
    axis.resize(heat_map_types);
    std::sort(axis.begin(), axis.end());
  }
  // Each type's place on the axes: its own, or the others' row and column.
  const size_t rest = axis.size(), none = rest + (others ? 1 : 0), n = none + 1;
  std::vector<size_t> slot(static_cast<size_t>(types.size()), rest);
  for (size_t i = 0; i < axis.size(); i++) {
    slot[static_cast<size_t>(axis[i])] = i;
  }
  auto slot_of = [&](int32_t t) { return t == no_type ? none : slot[static_cast<size_t>(t)]; };
  std::vector<long long> grid(n * n), correct(n * n);
  for (const confusion_cell& cell : c.cells) {
    grid[slot_of(cell.ref_type) * n + slot_of(cell.hyp_type)] += cell.count;
    correct[slot_of(cell.ref_type) * n + slot_of(cell.hyp_type)] += cell.correct;
  }
  const long long most = grid.empty() ? 0 : *std::max_element(grid.begin(), grid.end());
  auto name = [&](size_t i) {
    return i == none   ? std::string("(none)")
           : i == rest ? "(" + std::to_string(others) + " other types)"
                       : html_escaped(types.name(axis[i]));
  };
  fputs(
      "<section id=\"confusion\"><h2>Confusion</h2>"
      "<p>Reference types by row, hypothesis types by column.</p>"
      "<table class=\"heat\"><tr><th></th>",
      out);
  for (size_t i = 0; i < n; i++) {
    fprintf(out, "<th scope=\"col\">%s</th>", name(i).c_str());
  }
  fputs("</tr>\n", out);
  for (size_t r = 0; r < n; r++) {
    fprintf(out, "<tr><th scope=\"row\">%s</th>", name(r).c_str());
    for (size_t h = 0; h < n; h++) {
      const long long count = grid[r * n + h];
      const double share = most ? static_cast<double>(count) / static_cast<double>(most) : 0;
      // The others' own cell mixes agreements and confusions among them.
      const char* kind = r != h || r == none ? "off" : r == rest ? "rest" : "diag";
      // A type's own cell tells its corrects from its pairings with other
      // boundaries or attributes.
      const long long wrong = kind[0] == 'd' ? count - correct[r * n + h] : 0;
      if (wrong > 0) {
        fprintf(out,
                "<td class=\"%s\" style=\"--share:%.3f\" title=\"%lld correct, %lld with other "
                "boundaries or attributes\">%lld<span class=\"split\">%lld&#x2713; %lld&#x2717;"
                "</span></td>",
                kind, share, count - wrong, wrong, count, count - wrong, wrong);
      } else {
        fprintf(out, "<td class=\"%s\" style=\"--share:%.3f\">%lld</td>", kind, share, count);
      }
    }
    fputs("</tr>\n", out);
  }
  fputs("</table>", out);
  if (others) {
    fprintf(out,
            "<p class=\"note\">The %zu types in the most outcomes have a row and a column of "
            "their own; the other %zu are summed in the row and the column "
            "&ldquo;(%zu other types)&rdquo;.</p>",
            axis.size(), others, others);
  }
  fputs("</section>\n", out);
}

// A figure of the index: its value for sorting, and as shown.
void print_index_rate(FILE* out, double num, double den) {
  if (den == 0) {
    fputs("<td data-v=\"\">-</td>", out);
  } else {
    fprintf(out, "<td data-v=\"%.17g\">%.1f%%</td>", num / den, 100 * num / den);
  }
}

// The documents of a corpus with their figures, sortable by each column
// (the script does it); each heading names the order that puts the worst
// first.
void write_index(FILE* out, const std::vector<html_index_entry>& index) {
  fputs(
      "<section id=\"index\"><h2>Documents</h2><p class=\"help\">Click a column&rsquo;s "
      "heading to sort by it, the worst first; click again for the other way.</p><table>"
      "<thead><tr>",
      out);
  const std::pair<const char*, const char*> heads[] = {
      {"Document", "ascending"}, {"Reference", "descending"}, {"Hypothesis", "descending"},
      {"Correct", "ascending"},  {"Errors", "descending"},    {"SER", "descending"},
      {"P", "ascending"},        {"R", "ascending"},          {"F", "ascending"}};
  for (const auto& [name, first] : heads) {
    fprintf(out, "<th data-first=\"%s\" scope=\"col\"><button type=\"button\">%s</button></th>",
            first, name);
  }
  fputs("</tr></thead><tbody>\n", out);
  for (size_t i = 0; i < index.size(); i++) {
    const html_index_entry& e = index[i];
    fprintf(out, "<tr data-n=\"%zu\"><th><a href=\"#document\" data-doc=\"%zu\">%s</a></th>", i, i,
            html_escaped(e.name).c_str());
    for (int n : {e.reference, e.hypothesis, e.corrects, e.errors}) {
      fprintf(out, "<td data-v=\"%d\">%d</td>", n, n);
    }
    const double ref = e.reference, hyp = e.hypothesis;
    print_index_rate(out, e.slot_error_sum, ref);
    print_index_rate(out, e.corrects, hyp);
    print_index_rate(out, e.corrects, ref);
    print_index_rate(out, 2.0 * e.corrects, ref + hyp);
    fputs("</tr>\n", out);
  }
  fputs("</tbody></table></section>\n", out);
}

void write_controls(FILE* out, const filter_counts& f) {
  fputs(
      "<div id=\"controls\" role=\"group\" aria-label=\"Filters\"><fieldset><legend>Outcomes"
      "</legend>",
      out);
  for (int k = 0; k < 4; k++) {
    fprintf(out,
            "<label class=\"k%d\"><input type=\"checkbox\" data-kind=\"%d\" checked> "
            "<span class=\"swatch\"></span>%s <span class=\"count\">(%d)</span></label>",
            k, k, kind_names[k], f.kinds[k]);
  }
  // The error names of a page of many documents come in order of first
  // appearance; the choices list them in the order of their names.
  std::vector<int> error_choice(static_cast<size_t>(f.errors.size()));
  for (int e = 0; e < f.errors.size(); e++) {
    error_choice[static_cast<size_t>(e)] = e;
  }
  std::sort(error_choice.begin(), error_choice.end(),
            [&](int a, int b) { return error_name_before(f.errors.name(a), f.errors.name(b)); });
  fputs("</fieldset><label>Error <select id=\"error-filter\"><option value=\"-1\">any</option>",
        out);
  for (size_t c = 0; c < error_choice.size(); c++) {
    const int e = error_choice[c];
    fprintf(out, "<option value=\"%zu\">%s (%d)</option>", c,
            html_escaped(f.errors.name(e)).c_str(), f.per_error[static_cast<size_t>(e)]);
  }
  fputs(
      "</select></label><label>Type <select id=\"type-filter\"><option value=\"-1\">any"
      "</option>",
      out);
  for (int t = 0; t < f.types.size(); t++) {
    fprintf(out, "<option value=\"%d\">%s (%d)</option>", t, html_escaped(f.types.name(t)).c_str(),
            f.per_type[static_cast<size_t>(t)]);
  }
  fputs(
      "</select></label><span class=\"steps\" role=\"group\" aria-label=\"Errors\">"
      "<button type=\"button\" id=\"prev\">Previous error (p)</button>"
      "<button type=\"button\" id=\"next\">Next error (n)</button></span>"
      "<span id=\"shown\" aria-live=\"polite\"></span>"
      "<span id=\"parts\" role=\"group\" aria-label=\"Parts of the document\" hidden>"
      "<button type=\"button\" id=\"part-prev\">Previous part</button> "
      "<span id=\"part-at\" aria-live=\"polite\"></span> "
      "<button type=\"button\" id=\"part-next\">Next part</button></span></div>\n",
      out);
  // The names the choices stand for, as the documents' data hold them.
  std::string json;
  {
    script_json_stream stream(json);
    script_writer w(stream);
    w.StartObject();
    w.Key("errors");
    w.StartArray();
    for (int e : error_choice) {
      put_json_string(w, f.errors.name(e));
    }
    w.EndArray();
    w.Key("types");
    w.StartArray();
    for (const std::string& name : f.types.names()) {
      put_json_string(w, name);
    }
    w.EndArray();
    w.EndObject();
  }
  fprintf(out, "<script type=\"application/json\" id=\"names\">%s</script>\n", json.c_str());
}

}  // namespace

std::string html_escaped(std::string_view text) {
  const std::string s = is_utf8(text) ? std::string(text) : repaired_utf8(text);
  std::string out;
  out.reserve(s.size());
  for (char ch : s) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          // U+2400 + c, or U+2421 for DEL: the character's visible picture.
          const unsigned picture = c == 0x7F ? 0x2421 : 0x2400 + c;
          out += static_cast<char>(0xE0 | (picture >> 12));
          out += static_cast<char>(0x80 | ((picture >> 6) & 0x3F));
          out += static_cast<char>(0x80 | (picture & 0x3F));
        } else {
          out += ch;
        }
    }
  }
  return out;
}

html_page_writer::html_page_writer(FILE* out, const html_context& context) : out_(out) {
  fprintf(out,
          "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
          "<title>orvane: %s against %s</title><style>%s</style></head><body><main>\n",
          html_escaped(context.hypothesis).c_str(), html_escaped(context.reference).c_str(),
          html_style);
  write_header(out, context);
  // The documents' data come as they are evaluated; what the reader sees,
  // totals first and the document last, follows them.
}

void html_page_writer::document(const html_document& d, const std::string& name,
                                const outcome_counts& counts) {
  fprintf(out_, "<script type=\"application/json\" class=\"doc\">");
  fwrite(d.data.data(), 1, d.data.size(), out_);
  fputs("</script>\n", out_);
  filters_.add(d.filters);
  index_.push_back(html_index_entry{name, counts.reference_entities, counts.hypothesis_entities,
                                    counts.corrects, counts.total_errors, counts.slot_error_sum});
}

void html_page_writer::finish(const outcome_counts& counts, const name_table& types,
                              const confusion_report& confusion, const report_options& options) {
  write_summary(out_, summarize(counts, types));
  if (options.table) {
    write_type_table(out_, counts, types);
  }
  if (options.agreement) {
    write_agreement(out_, measure_agreement(counts, options.open, options.expected_count));
  }
  write_confusion(out_, confusion, types);
  if (index_.size() > 1) {
    write_index(out_, index_);
  }
  write_controls(out_, filters_);
  fputs(
      "<section id=\"document\"><h2>Document</h2>"
      "<p class=\"help\">Reference entities are drawn above the text, hypothesis entities "
      "below; click one, or press n and p, for its outcome.</p>"
      "<div id=\"view\"><div id=\"text\"></div><aside id=\"details\" aria-live=\"polite\">"
      "<p>No outcome chosen.</p></aside></div></section>\n",
      out_);
  fprintf(out_, "</main><script>%s</script>\n</body></html>\n", html_script);
}

void write_html_report(FILE* out, const evaluated_pair& pair, const report_options& options,
                       const html_context& context) {
  html_page_writer page(out, context);
  outcome_counts counts = count_outcomes(pair);
  if (options.table) {
    counts.overlapping_misses = count_overlapping_misses(pair);
  }
  page.document(html_document_of(pair), pair.reference_name, counts);
  page.finish(counts, pair.vocab.types, count_confusions(pair), options);
}

// The visual report's page model and the page's text: which spans, which
// order, and escaping that no document can break out of.
#include "reports/html_report.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <map>
#include <string>
#include <vector>

#include "reports/hand_made.h"
#include "reports/html_page.h"
#include "support/test_support.h"

namespace {

size_t occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    n++;
  }
  return n;
}

// The page's data block, parsed.
rapidjson::Document page_data(const std::string& page) {
  const std::string open = "<script type=\"application/json\" class=\"doc\">";
  const size_t from = page.find(open) + open.size();
  const size_t to = page.find("</script>", from);
  rapidjson::Document d;
  d.Parse(page.substr(from, to - from).c_str());
  EXPECT_FALSE(d.HasParseError());
  return d;
}

// The heat map's axis (column heads) and its rows by head, each row's
// counts followed by each cell's class.
struct heat_map {
  std::vector<std::string> axis;
  std::map<std::string, std::vector<std::string>> rows;
  std::string cell(const std::string& row, const std::string& column) const {
    for (size_t i = 0; i < axis.size(); i++) {
      if (axis[i] == column) {
        return rows.at(row)[i];
      }
    }
    return "no column " + column;
  }
};

std::string between(const std::string& text, size_t& at, const std::string& open,
                    const std::string& close) {
  at = text.find(open, at);
  if (at == std::string::npos) {
    return "";
  }
  at += open.size();
  const size_t end = text.find(close, at);
  std::string inside = text.substr(at, end - at);
  at = end + close.size();
  return inside;
}

heat_map heat_map_of(const std::string& page) {
  heat_map m;
  size_t at = page.find("<table class=\"heat\">");
  const size_t end = page.find("</table>", at);
  const size_t head_end = page.find("</tr>", at);
  for (;;) {
    const size_t before = at;
    const std::string name = between(page, at, "<th scope=\"col\">", "</th>");
    if (at == std::string::npos || at > head_end) {
      at = before;
      break;
    }
    m.axis.push_back(name);
  }
  for (;;) {
    const std::string name = between(page, at, "<th scope=\"row\">", "</th>");
    if (at == std::string::npos || at > end) {
      break;
    }
    const size_t row_end = page.find("</tr>", at);
    std::vector<std::string>& row = m.rows[name];
    while (page.find("<td class=\"", at) < row_end) {
      const std::string kind = between(page, at, "<td class=\"", "\"");
      row.push_back(between(page, at, ">", "</td>") + " " + kind);
    }
  }
  return m;
}

std::string page_of(const run_outcome& run, const std::string& text) {
  return capture([&](FILE* out) {
    write_html_report(
        out, run.pair(text.c_str()), report_options(),
        html_context{"orvane --html p.html <x>", "task.lua", "ref.aref", "hyp.txt", "1970-01-01"});
  });
}

TEST(HtmlReport, Escaping) {
  EXPECT_EQ("&lt;b class=&quot;x&quot;&gt; &amp; &#39;q&#39;",
            html_escaped("<b class=\"x\"> & 'q'"));
  // Control characters show as their pictures; UTF-8 stays; stray bytes
  // become U+FFFD.
  EXPECT_EQ("a\u2401b\u240A\u2421 \u00e9\u65e5 \uFFFD",
            html_escaped("a\x01"
                         "b\n\x7f \xc3\xa9\xe6\x97\xa5 \xe9"));
}

// The model holds every outcome in listing order, corrects too, and the
// entities by start, the longer first, the reference's first.
TEST(HtmlReport, PageModel) {
  run_outcome run;
  build_worked_example(run);
  const page_model m = build_page_model(run.pair(""));
  ASSERT_EQ(4u, m.outcomes.size());
  EXPECT_EQ(outcome_kind::correct, m.outcomes[0].o.kind);
  EXPECT_EQ(outcome_kind::deletion, m.outcomes[3].o.kind);
  ASSERT_EQ(7u, m.entities.size());
  for (size_t i = 1; i < m.entities.size(); i++) {
    const page_entity &a = m.entities[i - 1], &b = m.entities[i];
    EXPECT_TRUE(a.start < b.start || (a.start == b.start && (a.end > b.end || !a.e->hyp)));
  }
  for (size_t o = 0; o < m.outcomes.size(); o++) {
    const page_outcome& p = m.outcomes[o];
    if (p.ref >= 0) {
      EXPECT_EQ(p.o.ref, m.entities[static_cast<size_t>(p.ref)].e);
      EXPECT_EQ(o, m.entities[static_cast<size_t>(p.ref)].outcome);
    }
    if (p.hyp >= 0) {
      EXPECT_EQ(p.o.hyp, m.entities[static_cast<size_t>(p.hyp)].e);
    }
  }
}

// A reference entity is drawn over the candidates the alignment chose.
TEST(HtmlReport, ChosenBoundariesAreDrawn) {
  run_outcome run(make_types({"org"}));
  const entity_id r = add_entity(run, "org", false, {0, 4}, {23}, make_record(run, 1, {"miss"}));
  choose(run, r, frontier_choice(1, 0));
  add_segment(run, {r});
  const page_model m = build_page_model(run.pair("the University of Paris"));
  ASSERT_EQ(1u, m.entities.size());
  EXPECT_EQ(4, m.entities[0].start);
  EXPECT_EQ(23, m.entities[0].end);
  rapidjson::Document d = page_data(page_of(run, "the University of Paris"));
  const rapidjson::Value& e = d["entities"][0];
  EXPECT_EQ(4, e[0].GetInt());
  EXPECT_EQ(2u, e[8][0].Size());  // both start candidates, for the ticks
}

// Nothing of a document ends the data block early, and offsets count
// UTF-16 units, as the page's script indexes its text.
TEST(HtmlReport, DocumentsCannotBreakThePage) {
  const std::string text = "</script><!-- \xc3\xa9\xf0\x9f\x98\x80 Anna & \xe9 Bob";
  run_outcome run(make_types({"pers"}));
  const cost_record miss = make_record(run, 1, {"miss"});
  const int32_t anna = static_cast<int32_t>(text.find("Anna"));
  const int32_t bob = static_cast<int32_t>(text.find("Bob"));
  const entity_id r =
      add_entity(run, "pers", false, {anna}, {anna + 4}, miss, 1, {{"note", "</script>\"'&"}});
  const entity_id h = add_entity(run, "pers", true, {bob}, {bob + 3}, miss);
  add_segment(run, {r, h});
  const std::string page = page_of(run, text);
  EXPECT_EQ(3u, occurrences(page, "</script>"));  // the page's own: data, names, script
  EXPECT_EQ(0u, occurrences(page, "<!--"));
  EXPECT_NE(std::string::npos, page.find("<code>orvane --html p.html &lt;x&gt;</code>"));
  rapidjson::Document d = page_data(page);
  const std::string back(d["text"].GetString(), d["text"].GetStringLength());
  EXPECT_EQ("</script><!-- \xc3\xa9\xf0\x9f\x98\x80 Anna & \xef\xbf\xbd Bob", back);
  // "</script><!-- " is 14 units, é one, the emoji two, the space one.
  EXPECT_EQ(18, d["entities"][0][0].GetInt());
  EXPECT_EQ(22, d["entities"][0][1].GetInt());
  EXPECT_EQ(27, d["entities"][1][0].GetInt());
  EXPECT_STREQ("</script>\"'&", d["entities"][0][7]["note"].GetString());
}

// Up to heat_map_types types in use, each has its row and column.
TEST(HtmlReport, HeatMapShowsEveryTypeUpToItsLimit) {
  std::vector<std::string> names;
  for (size_t t = 0; t < heat_map_types + 3; t++) {
    names.push_back("t" + std::to_string(t));
  }
  run_outcome run(make_types(names));
  const cost_record miss = make_record(run, 1, {"miss"});
  std::vector<entity_id> missed;
  for (size_t t = 0; t < heat_map_types; t++) {
    missed.push_back(
        add_entity(run, names[t], false, {int32_t(2 * t)}, {int32_t(2 * t + 1)}, miss));
  }
  add_segment(run, missed);
  const std::string page = page_of(run, std::string(2 * heat_map_types, 'x'));
  const heat_map m = heat_map_of(page);
  ASSERT_EQ(heat_map_types + 1, m.axis.size());
  EXPECT_EQ("t0", m.axis[0]);
  EXPECT_EQ("(none)", m.axis.back());
  EXPECT_EQ("1 off", m.cell("t31", "(none)"));
  EXPECT_EQ("0 diag", m.cell("t31", "t31"));
  EXPECT_EQ(std::string::npos, page.find("other types"));
}

// Past the limit, the types in the most outcomes (on either side) keep
// their row and column, in type order, and the others are summed.
TEST(HtmlReport, HeatMapSumsTheTypesInTheFewestOutcomes) {
  std::vector<std::string> names;
  for (size_t t = 0; t < heat_map_types + 8; t++) {
    names.push_back("t" + std::to_string(t));
  }
  run_outcome run(make_types(names));
  const cost_record miss = make_record(run, 1, {"miss"});
  int32_t at = 0;
  auto pair = [&](const std::string& r, const std::string& h, double cost) {
    const entity_id a = add_entity(run, r, false, {at}, {at + 1}, miss);
    const entity_id b = add_entity(run, h, true, {at}, {at + 1}, miss);
    add_segment(
        run, {},
        {{a, b,
          add_record(run, cost,
                     cost ? std::vector<std::string>{"type"} : std::vector<std::string>{})}});
    at += 2;
  };
  auto alone = [&](const std::string& type, bool hyp) {
    add_segment(run, {add_entity(run, type, hyp, {at}, {at + 1}, miss)});
    at += 2;
  };
  // t1...t31: two corrects each; t39 three insertions, on the hypothesis
  // side only. The eight others are in one outcome each.
  for (int t = 1; t < 32; t++) {
    pair(names[size_t(t)], names[size_t(t)], 0);
    pair(names[size_t(t)], names[size_t(t)], 0);
  }
  for (int k = 0; k < 3; k++) {
    alone("t39", true);
  }
  pair("t0", "t0", 0);
  pair("t32", "t33", 1);
  alone("t34", false);
  for (const char* t : {"t35", "t36", "t37", "t38"}) {
    pair(t, t, 0);
  }
  const std::string page = page_of(run, std::string(size_t(at), 'x'));
  const heat_map m = heat_map_of(page);
  ASSERT_EQ(heat_map_types + 2, m.axis.size());
  EXPECT_EQ("t1", m.axis[0]);
  EXPECT_EQ("t31", m.axis[30]);
  EXPECT_EQ("t39", m.axis[31]);
  EXPECT_EQ("(8 other types)", m.axis[32]);
  EXPECT_EQ("(none)", m.axis[33]);
  EXPECT_EQ(m.axis.size(), m.rows.size());
  EXPECT_EQ("2 diag", m.cell("t5", "t5"));
  EXPECT_EQ("3 off", m.cell("(none)", "t39"));
  // t0 and t35...t38 with themselves, t32 with t33: agreements and
  // confusions among the others, in a cell of its own kind.
  EXPECT_EQ("6 rest", m.cell("(8 other types)", "(8 other types)"));
  EXPECT_EQ("1 off", m.cell("(8 other types)", "(none)"));
  EXPECT_EQ("0 off", m.cell("t5", "(8 other types)"));
  EXPECT_NE(std::string::npos,
            page.find("the other 8 are summed in the row and the column &ldquo;(8 other types)"));
}

// However many types are declared or used, the page grows with the
// outcomes, never with the square of the types; what it names of them is
// what the outcomes use.
TEST(HtmlReport, ManyTypesKeepThePageSmall) {
  const int used = 4000;
  std::vector<std::string> names;
  for (int t = 0; t < used; t++) {
    names.push_back("T" + std::to_string(t));
  }
  auto page_with = [&](const std::vector<std::string>& declared) {
    run_outcome run(make_types(declared));
    const cost_record miss = make_record(run, 1, {"miss"});
    for (int t = 0; t < used; t++) {
      // Each type confused with the next.
      const entity_id r = add_entity(run, names[size_t(t)], false, {4 * t}, {4 * t + 3}, miss);
      const entity_id h =
          add_entity(run, names[size_t((t + 1) % used)], true, {4 * t}, {4 * t + 3}, miss);
      add_segment(run, {}, {{r, h, add_record(run, 1, {"type"})}});
    }
    return page_of(run, std::string(size_t(4 * used), 'x'));
  };
  const std::string page = page_with(names);
  // About 0.3 kB an outcome (its summary row, its filter, its data); the
  // full map alone would be 4000 x 4000 cells.
  EXPECT_LT(page.size(), 400u * used);
  const heat_map m = heat_map_of(page);
  EXPECT_EQ(heat_map_types + 2, m.axis.size());
  // All tie: the first 32 are shown. T32 to T3999 are confused among
  // themselves but for T31's and T3999's.
  EXPECT_EQ("T31", m.axis[31]);
  EXPECT_EQ("3967 rest", m.cell("(3968 other types)", "(3968 other types)"));
  EXPECT_EQ("1 off", m.cell("T31", "(3968 other types)"));
  EXPECT_EQ("1 off", m.cell("(3968 other types)", "T0"));
  // Types declared but never used add nothing, however many.
  std::vector<std::string> declared = names;
  for (int t = 0; t < 20000; t++) {
    declared.push_back("unused" + std::to_string(t));
  }
  EXPECT_EQ(page, page_with(declared));
}

// A document's data names only the types and error names its outcomes use,
// and its entities and outcomes refer to them by their place there.
TEST(HtmlReport, DataNamesWhatTheOutcomesUse) {
  run_outcome run(make_types({"org", "pers", "loc"}));
  const cost_record miss = make_record(run, 1, {"unused", "miss"});
  make_record(run, 1, {"never"});
  const entity_id r = add_entity(run, "loc", false, {0}, {4}, miss);
  const entity_id h = add_entity(run, "pers", true, {0}, {4}, miss);
  add_segment(run, {}, {{r, h, add_record(run, 0.5, {"type"})}});
  rapidjson::Document d = page_data(page_of(run, "Anna"));
  ASSERT_EQ(2u, d["types"].Size());
  EXPECT_STREQ("pers", d["types"][0].GetString());
  EXPECT_STREQ("loc", d["types"][1].GetString());
  ASSERT_EQ(1u, d["errors"].Size());
  EXPECT_STREQ("type", d["errors"][0].GetString());
  EXPECT_EQ(1, d["entities"][0][4].GetInt());  // the reference loc
  EXPECT_EQ(0, d["entities"][1][4].GetInt());
  EXPECT_EQ(0, d["outcomes"][0][2][0].GetInt());
}

// The per-type table shows both correct counts where they differ, with the
// precision and recall they give.
TEST(HtmlReport, CorrectsAcrossTypes) {
  run_outcome run;
  build_cross_type_example(run);
  const std::string page = page_of(run, std::string(30, 'x'));
  EXPECT_NE(std::string::npos,
            page.find("<tr><th>pers</th><td>100.0%</td><td>100.0%</td><td>100.0%</td>"
                      "<td>1</td><td>2</td><td>1 of hypothesis, 2 of reference</td></tr>"));
  EXPECT_NE(std::string::npos,
            page.find("<tr><th>org</th><td>0.0%</td><td>100.0%</td><td>0.0%</td>"
                      "<td>0</td><td>1</td><td>0 of hypothesis, 1 of reference</td></tr>"));
  run_outcome same;
  build_worked_example(same);
  EXPECT_NE(std::string::npos,
            page_of(same, std::string(40, 'x'))
                .find("<tr><th>pers</th><td>100.0%</td><td>66.7%</td><td>80.0%</td>"
                      "<td>2</td><td>3</td><td>2</td></tr>"));
}

// The options of a select element, as "value:text" joined by '|'.
std::string options_of(const std::string& page, const std::string& select) {
  size_t at = page.find("<select id=\"" + select + "\">");
  const size_t end = page.find("</select>", at);
  std::string out;
  for (;;) {
    const std::string value = between(page, at, "<option value=\"", "\"");
    if (at == std::string::npos || at > end) {
      return out;
    }
    out += (out.empty() ? "" : "|") + value + ":" + between(page, at, ">", "</option>");
  }
}

// The script element that names the filters' choices, parsed.
rapidjson::Document choice_names(const std::string& page) {
  size_t at = 0;
  rapidjson::Document d;
  d.Parse(
      between(page, at, "<script type=\"application/json\" id=\"names\">", "</script>").c_str());
  EXPECT_FALSE(d.HasParseError());
  return d;
}

// The page lists error names in the order of their bytes: in the filter,
// in a document's data, and so in each outcome's details.
TEST(HtmlReport, ErrorNamesInOrderOfTheirBytes) {
  run_outcome run(make_types({"pers"}));
  const entity_id r = add_entity(run, "pers", false, {0}, {4}, make_record(run, 1, {"miss"}));
  const entity_id h = add_entity(run, "pers", true, {0}, {3}, make_record(run, 1, {"miss"}));
  add_segment(run, {}, {{r, h, add_record(run, 0.5, {"type", "boundary"})}});
  const std::string page = page_of(run, "Jean");
  EXPECT_EQ("-1:any|0:boundary (1)|1:type (1)", options_of(page, "error-filter"));
  rapidjson::Document names = choice_names(page);
  ASSERT_EQ(2u, names["errors"].Size());
  EXPECT_STREQ("boundary", names["errors"][0].GetString());
  rapidjson::Document d = page_data(page);
  ASSERT_EQ(2u, d["errors"].Size());
  EXPECT_STREQ("boundary", d["errors"][0].GetString());
  EXPECT_STREQ("type", d["errors"][1].GetString());
  const rapidjson::Value& listed = d["outcomes"][0][2];
  ASSERT_EQ(2u, listed.Size());
  EXPECT_EQ(0, listed[0].GetInt());
  EXPECT_EQ(1, listed[1].GetInt());
}

// Documents of a corpus meet the names in their own orders; the page's
// filter sums them by name, in the order of their bytes.
TEST(HtmlReport, PageOfManyDocumentsOrdersTheErrorFilter) {
  auto document = [](const std::vector<std::string>& names) {
    run_outcome run(make_types({"pers"}));
    const entity_id r = add_entity(run, "pers", false, {0}, {4}, make_record(run, 1, {"miss"}));
    const entity_id h = add_entity(run, "pers", true, {0}, {3}, make_record(run, 1, {"miss"}));
    add_segment(run, {}, {{r, h, add_record(run, 0.5, names)}});
    return html_document_of(run.pair("Jean"));
  };
  const html_document one = document({"type", "span"});
  const html_document two = document({"boundary", "type"});
  const std::string page = capture([&](FILE* out) {
    html_page_writer writer(out, html_context{"orvane", "task.lua", "ref", "hyp", "1970-01-01"});
    writer.document(one, "one", outcome_counts());
    writer.document(two, "two", outcome_counts());
    // The totals play no part here: none, over no type.
    writer.finish(outcome_counts(), name_table(), confusion_report(), report_options());
  });
  EXPECT_EQ("-1:any|0:boundary (1)|1:span (1)|2:type (2)", options_of(page, "error-filter"));
  rapidjson::Document names = choice_names(page);
  ASSERT_EQ(3u, names["errors"].Size());
  EXPECT_STREQ("boundary", names["errors"][0].GetString());
  EXPECT_STREQ("span", names["errors"][1].GetString());
  EXPECT_STREQ("type", names["errors"][2].GetString());
}

// A corpus's index gives each document's figures for the script to sort by
// (a dash, and no value, where one divides by zero); --table adds the
// per-type table with its averages, and the token accuracy only where there
// are tokens.
TEST(HtmlReport, IndexFiguresAndTheTypeTable) {
  outcome_counts one;
  one.reference_entities = 4;
  one.hypothesis_entities = 2;
  one.corrects = 1;
  one.total_errors = 3;
  one.slot_error_sum = 2.5;
  outcome_counts none;  // no entity on either side
  run_outcome run(make_types({"pers"}));
  const html_document d = html_document_of(run.pair("Jean"));
  report_options options;
  options.table = true;
  outcome_counts totals = one;
  totals.ref_per_type = {4};
  totals.hyp_per_type = {2};
  totals.correct_per_type = totals.correct_hyp_per_type = {1};
  totals.overlapping_misses = 2;
  auto page_with = [&](uint64_t tokens) {
    totals.tokens = tokens;
    totals.equal_tags = tokens / 2;
    return capture([&](FILE* out) {
      html_page_writer writer(out, html_context{"orvane", "task.lua", "ref", "hyp", "1970-01-01"});
      writer.document(d, "one", one);
      writer.document(d, "two", none);
      writer.finish(totals, make_types({"pers"}), confusion_report(), options);
    });
  };
  const std::string page = page_with(0);
  EXPECT_NE(std::string::npos,
            page.find("<td data-v=\"0.625\">62.5%</td><td data-v=\"0.5\">50.0%</td>"
                      "<td data-v=\"0.25\">25.0%</td>"
                      "<td data-v=\"0.33333333333333331\">33.3%</td></tr>"));
  EXPECT_EQ(4u, occurrences(page, "<td data-v=\"\">-</td>"));
  EXPECT_EQ(9u, occurrences(page, "<th data-first="));
  EXPECT_NE(std::string::npos, page.find("<tr class=\"avg\"><th>macro avg</th>"));
  EXPECT_NE(std::string::npos, page.find("Overlapping misses: 2 "));
  EXPECT_EQ(std::string::npos, page.find("Token accuracy"));
  EXPECT_NE(std::string::npos, page_with(10).find("Token accuracy: 50.00% (5 of 10 tokens"));
  options.table = false;
  EXPECT_EQ(std::string::npos, page_with(10).find("id=\"table\""));
}

}  // namespace

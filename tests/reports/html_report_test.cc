// The visual report's page model and the page's text: which spans, which
// order, and escaping that no document can break out of.
#include "reports/html_report.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

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

}  // namespace

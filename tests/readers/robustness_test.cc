// Every prefix of a few documents full of tags, markers and quoted values
// must either read cleanly or end with a fault message; the sanitizer build
// catches any read outside the buffer.
#include <cstring>
#include <string>

#include "readers/aref_reader.h"
#include "readers/reposition.h"
#include "readers/text_reader.h"
#include "support/test_support.h"

namespace {

const std::vector<std::string> text_documents = {
    "Le <pers a=1 b = \"x\ny\" c>Jean</pers> <loc note=\"a>b\">Paris</loc>\n"
    "<b x=\"<pers>\">t</ pers> <org\n/>< pers>&amp;<pers a='q r' =x>",
    "<org><loc a=>P</loc \n></org>\r\n<pers b=\"\"/> <pers a b c=d=\"e\">z</pers>",
};

const std::vector<std::string> aref_documents = {
    "Le <annotation id=\"1\" type=\"pers\" ftype=\"s\"/>M. <annotation id=1\nftype=se depth=2 "
    "parent=\"0\"/>x</annotation id=\"1\" ftype=\"e\"/> <p> a < b <annotation foo=\"bar\"/>",
    "< / annotation ftype=s /><annotation id=\"2147483647\" ftype/><annotation id=/>"
    "<annotation/>z<annotation id=1 / />",
};

// Runs `read` on every prefix of `doc`; on success, checks that the tags are
// in order within the bare text, which `check` is handed.
template <typename Read>
void each_prefix(const std::string& doc, Read read) {
  for (size_t n = 0; n <= doc.size(); n++) {
    std::vector<char> buffer = doc_buffer(doc.substr(0, n));
    try {
      read(buffer.data());
    } catch (const fatal_error& e) {
      EXPECT_EQ(1, e.status) << e.text;
    }
  }
}

template <typename Tag>
void expect_ordered(const std::vector<Tag>& tags, const char* bare) {
  int last = 0;
  for (const Tag& t : tags) {
    EXPECT_LE(last, t.pos);
    last = t.pos;
  }
  EXPECT_LE(last, static_cast<int>(std::string(bare).size()));
}

TEST(ReaderRobustness, TextReaderOnEveryPrefix) {
  const name_table types = make_types({"pers", "loc", "org"});
  for (const std::string& doc : text_documents) {
    each_prefix(doc, [&types](char* data) {
      text_tags read;
      xml_extract_tags(read, data, std::strlen(data), "hyp.txt", types);
      expect_ordered(read.tags, data);
      for (const simple_tag& t : read.tags) {
        EXPECT_LE(t.attrs + t.nattrs, read.attributes.size());
      }
      // The bare text always lines up with itself.
      std::string ref(data);
      align_and_reposition(ref.c_str(), data, read.tags);
      expect_ordered(read.tags, ref.c_str());
    });
  }
}

TEST(ReaderRobustness, ArefReaderOnEveryPrefix) {
  const name_table types = make_types({"pers", "loc"});
  for (const std::string& doc : aref_documents) {
    each_prefix(doc, [&types](char* data) {
      std::vector<aref_tag> tags;
      aref_extract_tags(tags, data, std::strlen(data), "ref.aref", types);
      expect_ordered(tags, data);
    });
  }
}

}  // namespace

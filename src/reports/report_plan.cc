#include "reports/report_plan.h"

#include <new>
#include <utility>

#include "base/output_file.h"
#include "reports/corpus_sections.h"
#include "reports/json_report.h"
#include "reports/overlaps.h"
#include "reports/text_report.h"

document_report report_document(const evaluated_pair& pair, const report_options& options,
                                memory_stream* scratch) {
  document_report d;
  d.figures.counts = count_outcomes(pair);
  // A JSON report keeps them for a later merge, whose reports may ask.
  if (options.table || options.json) {
    d.figures.counts.overlapping_misses = count_overlapping_misses(pair);
  }
  d.figures.types = pair.vocab.types.names();
  if (options.confusion || options.json || !options.html_file.empty()) {
    d.figures.confusion = count_confusions(pair);
  }
  if (!options.html_file.empty()) {
    d.page = html_document_of(pair);
  }
  if (!scratch) {
    d.live = &pair;
  } else if (options.details && options.json) {
    d.listing = json_outcomes(pair, options.details_correct);
  } else if (options.details) {
    if (!scratch->file()) {
      throw std::bad_alloc();
    }
    print_details(scratch->file(), pair, options.details_correct);
    d.listing = scratch->take();
  }
  return d;
}

namespace {

void write_documents(json_report_writer& json, const run_header& header);

class text_writer : public report_writer {
 public:
  text_writer(FILE* out, const report_options& options, bool flush_listings)
      : out_(out), options_(options), flush_listings_(flush_listings) {}

  void document(const std::string&, document_report& d) override {
    if (d.live && options_.details) {
      print_details(out_, *d.live, options_.details_correct);
    }
    fwrite(d.listing.data(), 1, d.listing.size(), out_);
    if (flush_listings_) {
      fflush(out_);  // before a progress line is drawn again
    }
  }

  void failed(size_t, const std::string&, const std::string&, int) override {}

  void finish(const pooled_results& totals, const confusion_report& confusion,
              const corpus_sections& sections) override {
    if (sections.table) {
      print_document_table(out_, *sections.table);
      if (options_.summary || options_.table || options_.credit || options_.confusion ||
          options_.agreement || sections.intervals) {
        fputc('\n', out_);
      }
    }
    print_totals(out_, totals.counts(), totals.types(), confusion, options_, sections.intervals,
                 sections.documents);
  }

 private:
  FILE* out_;
  const report_options& options_;
  bool flush_listings_;
};

// A single pair's document puts the summary before the outcomes; a
// corpus's streams the outcomes as the pairs come, and the totals follow.
class json_writer : public report_writer {
 public:
  json_writer(FILE* out, const report_options& options, const run_header& header)
      : out_(out), options_(options), header_(header) {
    if (header_.corpus) {
      begin();
      if (options_.details) {
        json_->begin_outcomes();
      }
    }
  }

  void document(const std::string& name, document_report& d) override {
    if (header_.shard) {
      if (!shard_pairs_.empty()) {
        shard_pairs_ += ',';
      }
      shard_pairs_ += shard_pair_json(name, d.hypothesis_name, d.figures,
                                      header_.part.parts > 0 ? d.place : no_place);
    }
    if (!options_.details) {
      return;
    }
    if (header_.corpus) {
      json_->outcomes(d.listing);
    } else {
      // Its outcomes follow its summary.
      live_ = d.live;
      listing_ = std::move(d.listing);
    }
  }

  void failed(size_t pair, const std::string& reference, const std::string& hypothesis,
              int status) override {
    if (!header_.corpus) {
      return;  // nothing was written
    }
    // Say what ended the document rather than stop in the middle of a value.
    if (options_.details) {
      json_->end_outcomes();
    }
    json_->key("error");
    json_->begin_object();
    if (pair != no_pair) {
      json_->count("pair", pair + 1);
      json_->string("reference", reference);
      json_->string("hypothesis", hypothesis);
    }
    json_->count("status", static_cast<uint64_t>(status));
    json_->end_object();
    json_->finish();
  }

  void finish(const pooled_results& totals, const confusion_report& confusion,
              const corpus_sections& sections) override {
    if (!header_.corpus) {
      begin();
      json_->summary(totals.counts(), totals.types(), options_);
      if (options_.agreement) {
        json_->agreement(totals.counts(), options_);
      }
      if (options_.details) {
        json_->begin_outcomes();
        if (live_) {
          json_->outcomes(*live_, options_.details_correct);
        } else {
          json_->outcomes(listing_);
        }
        json_->end_outcomes();
      }
    } else {
      if (options_.details) {
        json_->end_outcomes();
      }
      json_->summary(totals.counts(), totals.types(), options_);
      if (sections.intervals) {
        write_bootstrap(*json_, *sections.intervals);
      }
      if (sections.table) {
        write_document_table(*json_, *sections.table);
      }
      if (options_.agreement) {
        json_->agreement(totals.counts(), options_);
      }
    }
    json_->confusion(confusion, totals.types());
    if (header_.shard) {
      write_merge_member(*json_, *header_.shard, shard_pairs_, header_.part);
    }
    json_->finish();
  }

 private:
  void begin() {
    json_ = std::make_unique<json_report_writer>(out_);
    write_documents(*json_, header_);
  }

  FILE* out_;
  const report_options& options_;
  const run_header& header_;
  std::unique_ptr<json_report_writer> json_;
  // A single pair's outcomes, held until its summary is out.
  const evaluated_pair* live_ = nullptr;
  std::string listing_;
  std::string shard_pairs_;  // the pairs' records, separated by commas
};

class page_writer : public report_writer {
 public:
  page_writer(const report_options& options, const run_header& header)
      : options_(options), file_("--html", options.html_file), page_(file_.file(), header.page) {}

  void document(const std::string& name, document_report& d) override {
    page_.document(d.page, name, d.figures.counts);
  }

  // The unfinished page goes with the file.
  void failed(size_t, const std::string&, const std::string&, int) override {}

  void finish(const pooled_results& totals, const confusion_report& confusion,
              const corpus_sections&) override {
    page_.finish(totals.counts(), totals.types(), confusion, options_);
    file_.commit();
  }

 private:
  const report_options& options_;
  output_file file_;
  html_page_writer page_;
};

void write_documents(json_report_writer& json, const run_header& header) {
  if (header.merged_shards > 0) {
    json.key("documents");
    json.begin_object();
    json.count("shards", header.merged_shards);
    json.string("description", header.description);
    json.end_object();
    return;
  }
  if (header.pairs_file.empty()) {
    json.documents(header.reference.c_str(), header.hypothesis.c_str(), header.description.c_str());
    return;
  }
  json.key("documents");
  json.begin_object();
  json.string("pairs", header.pairs_file);
  json.string("description", header.description);
  json.end_object();
}

}  // namespace

report_plan::report_plan(const report_options& options, const run_header& header, FILE* out,
                         bool flush_listings)
    : options_(options) {
  std::unique_ptr<report_writer> page;
  if (!options.html_file.empty()) {
    page = std::make_unique<page_writer>(options, header);
  }
  std::unique_ptr<report_writer> stream;
  if (options.json) {
    stream = std::make_unique<json_writer>(out, options, header);
  } else {
    stream = std::make_unique<text_writer>(out, options, flush_listings);
  }
  // A corpus's totals go out only once its page is complete; a single
  // pair's report goes out before its page is written.
  if (header.corpus && page) {
    writers_.push_back(std::move(page));
  }
  writers_.push_back(std::move(stream));
  if (page) {
    writers_.push_back(std::move(page));
  }
}

report_plan::~report_plan() = default;

void report_plan::document(const std::string& name, document_report& d) {
  for (auto& w : writers_) {
    w->document(name, d);
  }
}

void report_plan::failed(size_t pair, const std::string& reference, const std::string& hypothesis,
                         int status) {
  for (auto& w : writers_) {
    w->failed(pair, reference, hypothesis, status);
  }
}

void report_plan::finish(const pooled_results& totals, const corpus_sections& sections) {
  const confusion_report confusion =
      options_.confusion || options_.json || !options_.html_file.empty() ? totals.confusion()
                                                                         : confusion_report();
  for (auto& w : writers_) {
    w->finish(totals, confusion, sections);
  }
}

void report_pair(report_plan& plan, const evaluated_pair& pair, const report_options& options) {
  document_report report = report_document(pair, options, nullptr);
  report.hypothesis_name = pair.hypothesis_name;
  plan.document(pair.reference_name, report);
  pooled_results totals;
  totals.add(report.figures);
  plan.finish(totals);
}

void write_pair_reports(FILE* out, const evaluated_pair& pair, const report_options& options,
                        const html_context& page, const shard_identity* shard) {
  run_header header;
  header.shard = shard;
  header.reference = pair.reference_name;
  header.hypothesis = pair.hypothesis_name;
  header.description = pair.description_name;
  header.page = page;
  report_plan plan(options, header, out);
  report_pair(plan, pair, options);
}

void write_comparison_report(FILE* out, const report_options& options, const run_header& header,
                             const std::string& second_system, const pooled_results& one,
                             const pooled_results& two, const comparison_report& c) {
  if (!options.json) {
    print_comparison(out, header.hypothesis, one.counts(), second_system, two.counts(), c,
                     options.table);
    return;
  }
  json_report_writer json(out);
  write_documents(json, header);
  json.summary(one.counts(), one.types());
  json.key("comparison");
  json.begin_object();
  json.string("hypothesis", second_system);
  json.summary(two.counts(), two.types());
  write_comparison(json, c, options.table);
  json.end_object();
  json.confusion(one.confusion(), one.types());
  json.finish();
}

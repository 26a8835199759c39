// The Python extension over the library: documents and tag sequences in,
// results out as Python values. The GIL is held while Python objects are
// read or made, and released while orvane evaluates, so that evaluations on
// several Python threads run side by side.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "orvane/orvane.h"

namespace py = pybind11;

namespace {

// Text from orvane as a Python string: bytes that are not UTF-8 (a
// document's own) as U+FFFD, never a decoding error.
py::str text_of(const std::string& text) {
  PyObject* s = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
  if (!s) {
    throw py::error_already_set();
  }
  return py::reinterpret_steal<py::str>(s);
}

py::object type_of(const std::optional<std::string>& type) {
  return type ? py::object(text_of(*type)) : py::object(py::none());
}

// A document from Python: its name, and its text unless it is a file.
orvane::document document_of(const std::string& name, const std::optional<std::string>& text) {
  return text ? orvane::document::text(name, *text) : orvane::document::file(name);
}

orvane::format format_of(const std::string& name) {
  if (name == "text") {
    return orvane::format::annotated_text;
  }
  if (name == "aref") {
    return orvane::format::aref;
  }
  if (name == "conll") {
    return orvane::format::token_per_line;
  }
  if (name == "brat") {
    return orvane::format::brat;
  }
  if (name == "jsonl") {
    return orvane::format::jsonl;
  }
  if (name == "labelstudio") {
    return orvane::format::labelstudio;
  }
  throw py::value_error(
      "format is 'text', 'aref', 'conll', 'brat', 'jsonl' or 'labelstudio', not '" + name + "'");
}

orvane::description description_of(const std::string& kind, const std::string& value,
                                   const std::string& name) {
  if (kind == "preset") {
    return orvane::description::preset(value);
  }
  if (kind == "source") {
    return orvane::description::source(value, name);
  }
  return orvane::description::file(value);
}

struct call_options {
  std::string description_kind;
  std::string description;
  std::string description_name;
  std::string format;
  std::string scheme;
  int reference_column = 0;
  int hypothesis_column = 0;
  std::vector<std::string> types;
  std::vector<std::string> only_types;
  std::vector<std::string> preset_folders;
  std::string reference_annotator;
  std::string hypothesis_annotator;

  orvane::options options() const {
    orvane::options o;
    o.task = description_of(description_kind, description, description_name);
    o.reference_format = format_of(format);
    o.scheme = scheme;
    o.reference_column = reference_column;
    o.hypothesis_column = hypothesis_column;
    o.types = types;
    o.only_types = only_types;
    o.reference_annotator = reference_annotator;
    o.hypothesis_annotator = hypothesis_annotator;
    o.preset_folders = preset_folders;
    return o;
  }
};

// Runs `evaluate` (given the stop flag to set in its options) on a thread of
// its own, without the GIL, while the caller's thread looks for signals
// every 50 ms: Ctrl-C stops the evaluation and raises KeyboardInterrupt.
// An evaluation that does not stop within a second (blocked in reading a
// FIFO that no one writes) is left to end on its own: the worker owns all
// it uses, and the interpreter goes on.
template <class Evaluate>
auto off_the_gil(Evaluate evaluate) {
  using value = decltype(evaluate(static_cast<const std::atomic<bool>*>(nullptr)));
  struct shared {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::optional<value> result;
    std::exception_ptr fault;
  };
  auto s = std::make_shared<shared>();
  bool interrupted = false;
  {
    py::gil_scoped_release unlocked;
    std::thread worker([s, evaluate = std::move(evaluate)]() mutable {
      try {
        s->result = evaluate(&s->stop);
      } catch (...) {
        s->fault = std::current_exception();
      }
      std::lock_guard<std::mutex> lock(s->mutex);
      s->done = true;
      s->finished.notify_one();
    });
    std::unique_lock<std::mutex> lock(s->mutex);
    while (!s->finished.wait_for(lock, std::chrono::milliseconds(50), [&] { return s->done; })) {
      lock.unlock();
      {
        py::gil_scoped_acquire held;
        interrupted = PyErr_CheckSignals() != 0;
      }
      lock.lock();
      if (interrupted) {
        s->stop = true;
        s->finished.wait_for(lock, std::chrono::seconds(1), [&] { return s->done; });
        break;
      }
    }
    const bool done = s->done;
    lock.unlock();
    if (done) {
      worker.join();
    } else {
      worker.detach();
    }
  }
  if (interrupted) {
    throw py::error_already_set();  // the signal's exception, KeyboardInterrupt for Ctrl-C
  }
  if (s->fault) {
    std::rethrow_exception(s->fault);
  }
  return std::move(*s->result);
}

orvane::result evaluated(orvane::document reference, orvane::document hypothesis,
                         orvane::options options) {
  return off_the_gil([reference = std::move(reference), hypothesis = std::move(hypothesis),
                      options](const std::atomic<bool>* stop) mutable {
    options.stop = stop;
    return orvane::evaluate(reference, hypothesis, options);
  });
}

// `corpus` is made on the worker, which may read folders.
template <class Corpus>
orvane::corpus_result corpus_evaluated(Corpus corpus, orvane::options options, unsigned threads) {
  return off_the_gil(
      [corpus = std::move(corpus), options, threads](const std::atomic<bool>* stop) mutable {
        options.stop = stop;
        return orvane::evaluate_corpus(corpus(), options, threads);
      });
}

// Tag sequences as one token-per-line document: a token and its tag a line,
// a blank line after each sentence. Tokens are all "_": only the tags count.
std::string tag_document(const py::handle& sentences, const char* side) {
  std::string out;
  size_t index = 0;
  for (const py::handle sentence : sentences) {
    if (py::isinstance<py::str>(sentence)) {
      throw py::type_error(std::string(side) + "[" + std::to_string(index) +
                           "] is a string: give a list of tags for each sentence");
    }
    for (const py::handle tag : sentence) {
      if (!py::isinstance<py::str>(tag)) {
        throw py::type_error(std::string(side) + "[" + std::to_string(index) + "] holds " +
                             std::string(py::str(py::type::handle_of(tag).attr("__name__"))) +
                             " where a tag, a string, goes");
      }
      const auto text = tag.cast<std::string_view>();
      if (text.empty() || text.find_first_of(" \t\r\n") != std::string_view::npos) {
        throw py::value_error(std::string(side) + "[" + std::to_string(index) +
                              "] holds the tag '" + std::string(text) + "': a tag is one word");
      }
      out += "_ ";
      out.append(text.data(), text.size());
      out += '\n';
    }
    out += '\n';
    index++;
  }
  return out;
}

py::object entity_dict(const std::optional<orvane::entity_value>& e) {
  if (!e) {
    return py::none();
  }
  py::dict d;
  d["type"] = text_of(e->type);
  d["text"] = text_of(e->text);
  d["start"] = e->start;
  d["end"] = e->end;
  d["line"] = e->line;
  py::dict attributes;
  for (const auto& [name, value] : e->attributes) {
    attributes[text_of(name)] = text_of(value);
  }
  d["attributes"] = attributes;
  return d;
}

const char* kind_name(orvane::outcome_kind k) {
  switch (k) {
    case orvane::outcome_kind::insertion:
      return "insertion";
    case orvane::outcome_kind::deletion:
      return "deletion";
    case orvane::outcome_kind::substitution:
      return "substitution";
    case orvane::outcome_kind::correct:
      return "correct";
  }
  return "";
}

py::list confusion_list(const std::vector<orvane::confusion_entry>& entries) {
  py::list cells;
  for (const orvane::confusion_entry& c : entries) {
    cells.append(py::make_tuple(type_of(c.reference_type), type_of(c.hypothesis_type), c.count));
  }
  return cells;
}

py::dict agreement_dict(const orvane::agreement_report& a) {
  py::dict d;
  d["items"] = a.total_items;
  d["corrects"] = a.corrects;
  d["void_void_corrects"] = a.void_void_corrects;
  d["types"] = a.type_count;
  d["s"] = a.s;
  d["pi"] = a.pi;
  d["kappa"] = a.kappa;
  d["f_measure"] = a.f_measure;
  return d;
}

// A corpus's pair from Python: each side's name, and its text unless it is a file.
using pair_spec =
    std::tuple<std::string, std::optional<std::string>, std::string, std::optional<std::string>>;

}  // namespace

PYBIND11_MODULE(_orvane, m) {
  m.doc() = "The evaluator's core; use the orvane package, not this module.";
  static py::exception<orvane::error> error(m, "CoreError");
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) {
        std::rethrow_exception(p);
      }
    } catch (const orvane::error& e) {
      py::object value = py::make_tuple(text_of(e.what()), e.status(), text_of(e.warnings()));
      PyErr_SetObject(error.ptr(), value.ptr());
    }
  });

  py::class_<call_options>(m, "Options")
      .def(py::init<>())
      .def_readwrite("description_kind", &call_options::description_kind)
      .def_readwrite("description", &call_options::description)
      .def_readwrite("description_name", &call_options::description_name)
      .def_readwrite("format", &call_options::format)
      .def_readwrite("reference_annotator", &call_options::reference_annotator)
      .def_readwrite("hypothesis_annotator", &call_options::hypothesis_annotator)
      .def_readwrite("scheme", &call_options::scheme)
      .def_readwrite("reference_column", &call_options::reference_column)
      .def_readwrite("hypothesis_column", &call_options::hypothesis_column)
      .def_readwrite("types", &call_options::types)
      .def_readwrite("only_types", &call_options::only_types)
      .def_readwrite("preset_folders", &call_options::preset_folders);

  // The reports a text or a JSON document holds, as the command line's
  // options choose them.
  py::class_<orvane::report_choice>(m, "Reports")
      .def(py::init<>())
      .def_readwrite("summary", &orvane::report_choice::summary)
      .def_readwrite("details", &orvane::report_choice::details)
      .def_readwrite("with_corrects", &orvane::report_choice::with_corrects)
      .def_readwrite("confusion", &orvane::report_choice::confusion)
      .def_readwrite("table", &orvane::report_choice::table)
      .def_readwrite("credit", &orvane::report_choice::credit)
      .def_readwrite("agreement", &orvane::report_choice::agreement)
      .def_readwrite("open", &orvane::report_choice::open)
      .def_readwrite("expected_count", &orvane::report_choice::expected_count);
  py::class_<orvane::corpus_choice>(m, "Sections")
      .def(py::init<>())
      .def_readwrite("per_document", &orvane::corpus_choice::per_document)
      .def_readwrite("bootstrap", &orvane::corpus_choice::bootstrap)
      .def_readwrite("seed", &orvane::corpus_choice::seed);

  py::class_<orvane::result>(m, "Result")
      .def_property_readonly("confusion",
                             [](const orvane::result& r) { return confusion_list(r.confusion()); })
      .def_property_readonly("outcomes",
                             [](const orvane::result& r) {
                               py::list out;
                               for (const orvane::outcome_value& o : r.outcomes()) {
                                 py::dict d;
                                 d["kind"] = kind_name(o.kind);
                                 d["cost"] = o.cost;
                                 py::list errors;
                                 for (const std::string& e : o.errors) {
                                   errors.append(text_of(e));
                                 }
                                 d["errors"] = errors;
                                 d["reference"] = entity_dict(o.reference);
                                 d["hypothesis"] = entity_dict(o.hypothesis);
                                 out.append(d);
                               }
                               return out;
                             })
      .def_property_readonly("warnings",
                             [](const orvane::result& r) { return text_of(r.warnings); })
      .def(
          "agreement",
          [](const orvane::result& r, int expected_count, bool open) {
            return agreement_dict(r.agreement(expected_count, open));
          },
          py::arg("expected_count") = 0, py::arg("open") = false)
      .def(
          "text",
          [](const orvane::result& r, const orvane::report_choice& c) {
            std::string text;
            {
              py::gil_scoped_release unlocked;
              text = r.text(c);
            }
            return text_of(text);
          },
          py::arg("reports"))
      .def(
          "json",
          [](const orvane::result& r, const orvane::report_choice& c) {
            std::string text;
            {
              py::gil_scoped_release unlocked;
              text = r.json(c);
            }
            return text_of(text);
          },
          py::arg("reports"));

  py::class_<orvane::corpus_result>(m, "CorpusResult")
      .def_property_readonly("documents", &orvane::corpus_result::documents)
      .def_property_readonly(
          "confusion", [](const orvane::corpus_result& r) { return confusion_list(r.confusion()); })
      .def_property_readonly("warnings",
                             [](const orvane::corpus_result& r) { return text_of(r.warnings); })
      .def(
          "agreement",
          [](const orvane::corpus_result& r, int expected_count, bool open) {
            return agreement_dict(r.agreement(expected_count, open));
          },
          py::arg("expected_count") = 0, py::arg("open") = false)
      .def(
          "text",
          [](const orvane::corpus_result& r, const orvane::report_choice& c,
             orvane::corpus_choice sections) {
            // Resampling may take long: off the GIL, and Ctrl-C ends it.
            return text_of(off_the_gil([r, c, sections](const std::atomic<bool>* stop) mutable {
              sections.stop = stop;
              return r.text(c, sections);
            }));
          },
          py::arg("reports"), py::arg("sections"))
      .def(
          "json",
          [](const orvane::corpus_result& r, const orvane::report_choice& c,
             orvane::corpus_choice sections) {
            return text_of(off_the_gil([r, c, sections](const std::atomic<bool>* stop) mutable {
              sections.stop = stop;
              return r.json(c, sections);
            }));
          },
          py::arg("reports"), py::arg("sections"));

  m.def(
      "evaluate_corpus",
      [](const std::vector<pair_spec>& pairs, const std::string& reference,
         const std::string& hypothesis, const call_options& o, unsigned threads) {
        orvane::corpus c;
        c.reference = reference;
        c.hypothesis = hypothesis;
        for (const auto& [ref, ref_text, hyp, hyp_text] : pairs) {
          c.pairs.emplace_back(document_of(ref, ref_text), document_of(hyp, hyp_text));
        }
        return corpus_evaluated([c = std::move(c)]() -> const orvane::corpus& { return c; },
                                o.options(), threads);
      },
      py::arg("pairs"), py::arg("reference"), py::arg("hypothesis"), py::arg("options"),
      py::arg("threads"));

  m.def(
      "evaluate_folders",
      [](const std::string& reference, const std::string& hypothesis, const call_options& o,
         unsigned threads) {
        const orvane::options options = o.options();
        const orvane::format documents = options.reference_format;
        return corpus_evaluated(
            [reference, hypothesis, documents] {
              return orvane::corpus::folders(reference, hypothesis, documents);
            },
            options, threads);
      },
      py::arg("reference"), py::arg("hypothesis"), py::arg("options"), py::arg("threads"));

  m.def(
      "compare",
      [](const orvane::corpus_result& one, const orvane::corpus_result& two, unsigned resamples,
         uint64_t seed, bool table) {
        const orvane::comparison c =
            off_the_gil([one, two, resamples, seed, table](const std::atomic<bool>* stop) {
              return orvane::compare(one, two, resamples, seed, stop, table);
            });
        return py::make_tuple(text_of(c.text), text_of(c.json));
      },
      py::arg("one"), py::arg("two"), py::arg("resamples"), py::arg("seed"), py::arg("table"));

  m.def(
      "evaluate_documents",
      [](const std::string& reference, const std::optional<std::string>& reference_text,
         const std::string& hypothesis, const std::optional<std::string>& hypothesis_text,
         const call_options& o) {
        return evaluated(document_of(reference, reference_text),
                         document_of(hypothesis, hypothesis_text), o.options());
      },
      py::arg("reference"), py::arg("reference_text"), py::arg("hypothesis"),
      py::arg("hypothesis_text"), py::arg("options"));

  m.def(
      "evaluate_tags",
      [](const py::iterable& y_true, const py::iterable& y_pred, const call_options& o) {
        orvane::document ref = orvane::document::text("y_true", tag_document(y_true, "y_true"));
        orvane::document hyp = orvane::document::text("y_pred", tag_document(y_pred, "y_pred"));
        return evaluated(ref, hyp, o.options());
      },
      py::arg("y_true"), py::arg("y_pred"), py::arg("options"));
}

"""orvane: evaluation of named-entity annotation.

Scores a system's entities (or a second annotator's) against a reference:
the least-cost alignment of the two sides' entities under a task
description, then the slot error rate, precision, recall and F-measure
overall and per type, the confusion of types, every outcome, and agreement
values. The numbers are those of the ``orvane`` command line.

    >>> import orvane
    >>> r = orvane.evaluate([["B-PER", "I-PER", "O"]], [["B-PER", "O", "O"]])
    >>> r.summary["f_measure"]
    0.0

Three ways in, each giving a :class:`Result`:

* :func:`evaluate` takes tag sequences, as seqeval does: one list of tags per
  sentence;
* :func:`evaluate_spans` takes spans, as nervaluate and annotation tools
  give them: one list of ``{"start", "end", "label"}`` per document;
* :func:`evaluate_documents` takes documents in orvane's own formats
  (annotated text, aref, token-per-line), as text or as file paths.

Faults of the input raise :class:`Error`, with the command line's message
and exit status.
"""

import bisect
import collections.abc
import json
import operator
import os
import re

from . import _orvane

__all__ = ["Error", "Result", "CorpusResult", "Comparison", "evaluate", "evaluate_spans",
           "evaluate_documents", "compare", "PRESETS"]

_PRESET_FOLDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "presets")

#: The presets shipped with orvane, by name.
PRESETS = ("boundary", "exact", "partial", "ser", "type")


class Error(Exception):
    """A fault of the input: a malformed document, a description that fails,
    a file that cannot be read.

    ``message`` is what the command line prints (without its final newline),
    ``status`` the exit status it ends with (1, or 2 for a file that cannot be
    read), ``warnings`` what was warned before the fault, and ``file`` and
    ``line`` the place the message names, when it names one.
    """

    def __init__(self, message, status=1, warnings=""):
        super().__init__(message)
        self.message = message
        self.status = status
        self.warnings = warnings
        place = re.match(r"^(?!Error)([^:\n]+):(\d+):", message)
        self.file = place.group(1) if place else None
        self.line = int(place.group(2)) if place else None


def _core_call(function, *args):
    """Calls the core, its faults raised as Error."""
    try:
        return function(*args)
    except _orvane.CoreError as e:
        message, status, warnings = e.args
        raise Error(message, status, warnings) from None


def _call(kind, function, *args):
    return kind(_core_call(function, *args))


def _path(value, what):
    """A path as the file system names it: bytes, a str's undecodable bytes
    (surrogate escapes) given back."""
    value = os.fsencode(value)
    if b"\0" in value:
        raise ValueError("%s holds a NUL character" % what)
    return value


def _bytes(text):
    """A text as bytes: UTF-8, with what Python decoded as surrogate escapes
    given back as the bytes they were, and other lone surrogates as they
    encode."""
    if not isinstance(text, str):
        raise TypeError("a document's text is a string, not %s" % type(text).__name__)
    try:
        return text.encode("utf-8", "surrogateescape")
    except UnicodeEncodeError:
        return text.encode("utf-8", "surrogatepass")


def _count(value, what, least, most):
    """A whole number (any integral type, not a bool) from `least` to `most`."""
    try:
        n = operator.index(value)
    except TypeError:
        n = None
    if n is None or isinstance(value, bool) or not least <= n <= most:
        raise ValueError("%s is a whole number from %d to %d, not %r" % (what, least, most, value))
    return n


def _types(types):
    if types is None:
        return []
    if isinstance(types, (str, bytes)):
        raise TypeError("types is a list of type names, not a string")
    names = list(types)
    for name in names:
        if not isinstance(name, str):
            raise TypeError("a type name is a string, not %s" % type(name).__name__)
    return names


def _options(description, preset, format, scheme, columns, types, only_types=None):
    o = _orvane.Options()
    if description is None:
        o.description_kind, o.description = "preset", _path(preset, "preset")
    elif isinstance(description, os.PathLike):
        o.description_kind, o.description = "file", _path(description, "description")
    elif not isinstance(description, str):
        raise TypeError("description is a preset's name, a Lua script or a file's path")
    elif description in PRESETS:
        o.description_kind, o.description = "preset", description
    elif "\n" not in description and os.path.exists(description):
        o.description_kind, o.description = "file", _path(description, "description")
    elif "\n" in description or "function" in description or "(" in description:
        o.description_kind, o.description_name = "source", "description"
        o.description = _bytes(description)
    elif "/" not in description and not description.endswith(".lua"):
        o.description_kind, o.description = "preset", _path(description, "preset")  # a slip of a name
    else:
        o.description_kind, o.description = "file", _path(description, "description")
    o.format = format
    o.scheme = scheme
    if columns is not None:
        o.reference_column, o.hypothesis_column = columns
    o.types = _types(types)
    o.only_types = _types(only_types)
    o.preset_folders = [_PRESET_FOLDER]
    return o


def evaluate(y_true, y_pred, preset="exact", scheme="conlleval", types=None, description=None,
             only_types=None):
    """Scores tag sequences: one list of tags per sentence, as seqeval takes them.

    ``scheme`` groups tags into entities as the command line's ``--scheme``
    does: ``"conlleval"`` (conlleval's rules, the default), ``"iob2"``
    (also ``"bio"``) or ``"iobes"`` (also ``"bioes"``, ``"bilou"``), in any
    case. ``preset`` names the costs (``"exact"``: an entity is correct when
    its type and both boundaries are); ``description`` may instead be a Lua
    script or a file's path. ``types`` lists the entity types, when the
    description declares none (the presets declare none: the types are those
    the tags use). ``only_types`` scores the entities of these types only, as
    the command line's ``--only-types`` (nervaluate's ``tags=``).

    Raises :class:`Error` on a fault of the input, ValueError when the two
    sides differ in shape.
    """
    y_true = _sentences(y_true, "y_true")
    y_pred = _sentences(y_pred, "y_pred")
    if len(y_true) != len(y_pred):
        raise ValueError("y_true holds %d sentences and y_pred %d" % (len(y_true), len(y_pred)))
    for i, (t, p) in enumerate(zip(y_true, y_pred)):
        if len(t) != len(p):
            raise ValueError("sentence %d: y_true holds %d tags and y_pred %d" % (i, len(t), len(p)))
    o = _options(description, preset, "conll", scheme, None, types, only_types)
    return _call(Result, _orvane.evaluate_tags, y_true, y_pred, o)


def _sentences(value, side):
    if isinstance(value, (str, bytes)):
        raise TypeError("%s is a string: give one list of tags per sentence" % side)
    return value if isinstance(value, list) else list(value)


def evaluate_documents(reference=None, hypothesis=None, description="exact", format="text",
                       scheme="conlleval", columns=None, types=None, reference_text=None,
                       hypothesis_text=None, corpus=None, threads=0, only_types=None,
                       annotators=None):
    """Scores documents in orvane's own formats.

    ``reference`` and ``hypothesis`` are file paths, or names for messages
    when their text is given as ``reference_text`` and ``hypothesis_text``.
    ``format`` is ``"text"`` (annotated text: ``<pers>Jean</pers>``),
    ``"aref"`` (the reference in aref form, the hypothesis annotated text),
    ``"conll"`` (token-per-line, tags in the last column, or in
    ``columns=(reference, hypothesis)``), ``"brat"`` (``.ann`` files, each
    over the ``.txt`` file beside it, given by path) or ``"jsonl"`` (a
    document a line: ``{"text", "spans": [{"start", "end", "label"}]}`` or
    ``{"text", "label": [[start, end, label]]}``, lines paired by ``id``;
    the totals of all lines) or ``"labelstudio"`` (Label Studio's JSON
    export, ``annotators=(reference's, hypothesis's)`` choosing whose spans:
    a ``completed_by`` value, ``"#N"`` or ``"prediction"``; the first
    annotation not cancelled by default). ``description`` is a preset's name,
    a Lua script, or a file's path. ``only_types`` scores the entities of
    these types only (``--only-types``).

    ``corpus`` scores many pairs instead, each on its own, pooled as the
    command line's ``--corpus`` pools them, on ``threads`` threads (0: one
    per core), and gives a :class:`CorpusResult`. It is either two folders,
    ``(reference_folder, hypothesis_folder)``, whose files pair by relative
    path, or a list of ``(reference, hypothesis)`` pairs, each side a file
    path or a ``(name, text)`` tuple.
    """
    o = _options(description, "exact", format, scheme, columns, types, only_types)
    if annotators is not None:
        if format != "labelstudio":
            raise ValueError("annotators apply to format='labelstudio' only")
        if isinstance(annotators, str):
            annotators = (annotators, annotators)
        o.reference_annotator, o.hypothesis_annotator = (str(a) for a in annotators)
    if corpus is None:
        if reference is None or hypothesis is None:
            raise TypeError("give a reference and a hypothesis, or a corpus")
        return _call(Result, _orvane.evaluate_documents, _path(reference, "reference"),
                     None if reference_text is None else _bytes(reference_text),
                     _path(hypothesis, "hypothesis"),
                     None if hypothesis_text is None else _bytes(hypothesis_text), o)
    if reference is not None or hypothesis is not None:
        raise TypeError("give a reference and a hypothesis, or a corpus, not both")
    if reference_text is not None or hypothesis_text is not None:
        raise TypeError("a corpus's texts go in its pairs: (name, text) for a side")
    if isinstance(corpus, collections.abc.Mapping):
        raise TypeError("corpus is two folders or a list of (reference, hypothesis) pairs, "
                        "not a mapping")
    threads = _count(threads, "threads", 0, 1024)
    if _are_folders(corpus):
        return _call(CorpusResult, _orvane.evaluate_folders, _path(corpus[0], "corpus"),
                     _path(corpus[1], "corpus"), o, threads)
    pairs = [_pair(p, i) for i, p in enumerate(corpus)]
    return _call(CorpusResult, _orvane.evaluate_corpus, pairs, "reference", "hypothesis", o,
                 threads)


def _are_folders(corpus):
    # A pair of names can only be two folders: a corpus's pair is no name.
    return (isinstance(corpus, (tuple, list)) and len(corpus) == 2
            and all(isinstance(side, (str, bytes, os.PathLike)) for side in corpus))


def _pair(pair, index):
    """A corpus's pair as the core takes it: (name, text or None) for each side."""
    try:
        reference, hypothesis = pair
    except (TypeError, ValueError):
        raise TypeError("corpus[%d] is no (reference, hypothesis) pair" % index) from None
    sides = []
    for side in (reference, hypothesis):
        if isinstance(side, tuple) and len(side) == 2 and isinstance(side[1], str):
            sides += [_path(side[0], "a document's name"), _bytes(side[1])]
        elif isinstance(side, (str, bytes, os.PathLike)):
            sides += [_path(side, "a document"), None]
        else:
            raise TypeError("corpus[%d]: a document is a file's path or a (name, text) tuple"
                            % index)
    return tuple(sides)


def compare(one, two, resamples=1000, seed=1, table=False):
    """Two systems' :class:`CorpusResult` over the same references (the same
    documents in the same order): their figures side by side and the paired
    bootstrap of their difference, as the command line's ``--compare``
    gives them; with ``table``, each type's F-measures and their difference
    too (``--compare --table``, :attr:`Comparison.per_type`). Returns a
    :class:`Comparison`."""
    if not isinstance(one, CorpusResult) or not isinstance(two, CorpusResult):
        raise TypeError("compare takes two corpus results")
    resamples = _count(resamples, "resamples", 1, 1000000)
    seed = _count(seed, "seed", 0, 2 ** 64 - 1)
    text, document = _core_call(_orvane.compare, one._core, two._core, resamples, seed,
                                bool(table))
    return Comparison(text, document)


def evaluate_spans(y_true, y_pred, texts=None, preset="exact", types=None, description=None,
                   only_types=None):
    """Scores spans: one list per document of ``{"start", "end", "label"}``.

    Offsets are character offsets into ``texts[i]`` when ``texts`` is given,
    token offsets otherwise; ``end`` is exclusive either way. Spans may nest
    but not cross. The types are the labels, in order of first appearance,
    unless ``types`` or the description gives them (a label then must be one
    of ``types``).

    An entity is its span without the blanks at its edges, as orvane reads
    annotated text: a span of ``"Jean "`` is the entity ``"Jean"``. The
    documents are scored as one, in order (the figures are the same as for
    each apart, pooled); ``outcomes`` give each entity's ``document``, its
    ``start`` and ``end`` in the offsets given, and its ``line`` in its own
    text. ``to_dict`` and ``report`` show the documents as orvane reads
    them: the texts (or a ``_`` for each token) one after the other, a
    blank line between two, each ``<`` of a text read as ``‹`` (U+2039) so
    that no text can open a tag.
    """
    y_true, y_pred = _documents(y_true, "y_true"), _documents(y_pred, "y_pred")
    if len(y_true) != len(y_pred):
        raise ValueError("y_true holds %d documents and y_pred %d" % (len(y_true), len(y_pred)))
    if texts is not None:
        texts = _documents(texts, "texts")
        if len(texts) != len(y_true):
            raise ValueError("texts holds %d documents and y_true %d" % (len(texts), len(y_true)))
    labels = []
    for side, documents in (("y_true", y_true), ("y_pred", y_pred)):
        for i, document in enumerate(documents):
            for span in document:
                label = _label(span, side, i)
                if label not in labels:
                    labels.append(label)
    types = _types(types)
    for label in labels:
        if types and label not in types:
            raise ValueError("the label %r is not one of types" % label)
    ref_parts, hyp_parts, places = [], [], _SpanPlaces(texts)
    for i, (t, p) in enumerate(zip(y_true, y_pred)):
        if texts is not None:
            if not isinstance(texts[i], str):
                raise TypeError("texts[%d] is no string" % i)
            if "\0" in texts[i]:
                raise ValueError("texts[%d] holds a NUL character" % i)
            # A '<' would open a tag: one character for another keeps the offsets.
            text, unit = texts[i].replace("<", "\u2039"), 1
        else:
            last = max([_offsets(s, "y_true", i)[1] for s in t] +
                       [_offsets(s, "y_pred", i)[1] for s in p] + [0])
            if last > 2 ** 29:
                raise ValueError("a span of document %d ends at token %d: orvane takes up to 2**29"
                                 % (i, last))
            text, unit = " ".join(["_"] * last), 2
        ref_parts.append(_annotated(text, t, unit, "y_true", i))
        hyp_parts.append(_annotated(text, p, unit, "y_pred", i))
        places.add(text)
    # Without any entity, the types are no matter, but the presets declare none.
    o = _options(description, preset, "text", "conlleval", None, types or labels or ["_"],
                 only_types)
    # A line first: a text's byte-order mark would be dropped at the start of the file.
    joined_ref = _bytes("\n" + "\n\n".join(ref_parts))
    joined_hyp = _bytes("\n" + "\n\n".join(hyp_parts))
    result = _call(Result, _orvane.evaluate_documents, b"y_true", joined_ref, b"y_pred",
                   joined_hyp, o)
    result._places = places
    return result


def _documents(value, what):
    if isinstance(value, (str, bytes)):
        raise TypeError("%s is a string: give one list for each document" % what)
    return value if isinstance(value, list) else list(value)


def _label(span, side, index):
    label = span["label"]
    if not isinstance(label, str):
        raise TypeError("%s[%d]: a label is a string, not %s" % (side, index, type(label).__name__))
    if not re.fullmatch(r"[^\s<>/\x00-\x1f\x7f]+", label):
        raise ValueError("%s[%d]: the label %r is not one word" % (side, index, label))
    return label


def _offsets(span, side, index):
    try:
        return operator.index(span["start"]), operator.index(span["end"])
    except TypeError:
        raise TypeError("%s[%d]: the span %r: start and end are whole numbers"
                        % (side, index, span)) from None


class _SpanPlaces:
    """Where each document of a spans call lies in the text orvane read (a
    newline, then the documents, a blank line between two): byte offsets
    there back to the caller's offsets and lines."""

    def __init__(self, texts):
        self._texts = texts  # the caller's; None for token offsets
        self._read = []  # the texts as orvane read them
        self._starts = []  # each document's first byte
        self._end = -1
        self._byte_offsets = {}

    def add(self, text):
        self._starts.append(self._end + 2)
        self._read.append(text)
        self._end = self._starts[-1] + len(_bytes(text))

    def place(self, entity):
        if entity is None:
            return
        d = bisect.bisect_right(self._starts, entity["start"]) - 1
        start, end = entity["start"] - self._starts[d], entity["end"] - self._starts[d]
        if self._texts is None:  # a "_" and a blank for each token
            entity.update(document=d, start=start // 2, end=(end + 1) // 2, line=1)
            return
        if not self._read[d].isascii():
            chars = self._chars(d)
            start, end = bisect.bisect_left(chars, start), bisect.bisect_left(chars, end)
        text = self._texts[d]
        entity.update(document=d, start=start, end=end, text=text[start:end],
                      line=text.count("\n", 0, start) + 1)

    def _chars(self, d):
        """The byte offset of each character of document `d`, once."""
        if d not in self._byte_offsets:
            offsets, at = [], 0
            for c in self._read[d]:
                offsets.append(at)
                at += len(_bytes(c))
            offsets.append(at)
            self._byte_offsets[d] = offsets
        return self._byte_offsets[d]


def _annotated(text, spans, unit, side, index):
    """The text with the spans as inline tags; ``unit``: characters per offset."""
    marks = []  # closings before openings at one place; inner closes first, outer opens first
    for k, s in enumerate(spans):
        (start, end), label = _offsets(s, side, index), s["label"]
        if not (0 <= start < end) or (unit == 1 and end > len(text)):
            raise ValueError("%s[%d]: the span %r lies outside its text" % (side, index, s))
        if unit == 1 and not text[start:end].strip():
            raise ValueError("%s[%d]: the span %r holds only blanks" % (side, index, s))
        begin, finish = start * unit, end * unit - (unit - 1)
        marks.append((begin, 1, -finish, k, "<%s>" % label))
        marks.append((finish, 0, -begin, -k, "</%s>" % label))
    marks.sort()
    out, at, open_spans = [], 0, []
    for position, opening, _, k, tag in marks:
        if not opening:
            if open_spans.pop() != -k:
                raise ValueError("%s[%d]: the span %r crosses another" % (side, index, spans[-k]))
        else:
            open_spans.append(k)
        out.append(text[at:position])
        out.append(tag)
        at = position
    out.append(text[at:])
    return "".join(out)


class _Scores:
    """What a pair's result and a corpus's share: the summary, per type, in
    the command line's JSON shape, and seqeval's."""

    def __init__(self, core):
        self._core = core
        self._summary = None
        self._places = None  # of a spans call: see evaluate_spans

    @staticmethod
    def _choice(json, details=False, with_corrects=False, confusion=False, agreement=False,
                expected_count=0, open=False, table=False, credit=False):
        """The core's arguments for a text (or, with `json`, a JSON document)
        holding these reports; a JSON document always holds the summary and
        the confusion counts."""
        r = _orvane.Reports()
        r.summary = True
        r.details = bool(details)
        r.with_corrects = bool(with_corrects)
        r.confusion = bool(confusion) or json
        r.agreement = bool(agreement)
        r.expected_count = _count(expected_count, "expected_count", -2 ** 31, 2 ** 31 - 1)
        r.open = bool(open)
        r.table = bool(table)
        r.credit = bool(credit)
        return (r,)

    def _summary_document(self):
        if self._summary is None:
            self._summary = json.loads(_core_call(self._core.json, *self._choice(json=True)))["summary"]
            self._per_type = self._summary.pop("per_type")
        return self._summary

    @property
    def summary(self):
        """The command line's JSON summary: counts, then the ratios as fractions."""
        return dict(self._summary_document())

    @property
    def per_type(self):
        """A row per type, as the JSON summary's ``per_type``."""
        self._summary_document()
        return [dict(row) for row in self._per_type]

    @property
    def confusion(self):
        """``(reference type, hypothesis type, count)`` cells, None for an
        insertion's or a deletion's missing side."""
        return _core_call(lambda: self._core.confusion)

    @property
    def warnings(self):
        """What the command line writes to standard error."""
        return self._core.warnings

    def agreement(self, expected_count=0, open=False):
        """S, Scott's pi, Cohen's kappa and F-measure, with ``expected_count``
        the items the campaign expected (void/void corrects make up the rest)
        and ``open`` when there are no confusions between types."""
        return self._core.agreement(_count(expected_count, "expected_count", -2 ** 31, 2 ** 31 - 1),
                                    bool(open))

    def classification_report(self):
        """seqeval's ``classification_report(..., output_dict=True)`` shape:
        precision, recall, f1-score and support per type (sorted by name),
        then micro, macro and weighted averages; 0 where a ratio divides by
        zero."""
        def ratio(a, b):
            return a / b if b else 0.0

        def f1(p, r):
            return ratio(2 * p * r, p + r)

        report = {}
        rows = sorted(self.per_type, key=lambda r: r["type"])
        for row in rows:
            correct = row["correct"]
            p = ratio(row.get("correct_of_hypothesis", correct), row["hypothesis_count"])
            r = ratio(correct, row["reference_count"])
            report[row["type"]] = {"precision": p, "recall": r, "f1-score": f1(p, r),
                                   "support": row["reference_count"]}
        s = self.summary
        p = ratio(s["corrects"], s["hypothesis_entities"])
        r = ratio(s["corrects"], s["reference_entities"])
        report["micro avg"] = {"precision": p, "recall": r, "f1-score": f1(p, r),
                               "support": s["reference_entities"]}
        per = [report[row["type"]] for row in rows]
        support = sum(x["support"] for x in per)
        for name, weight in (("macro avg", lambda x: 1 / len(per) if per else 0),
                             ("weighted avg", lambda x: ratio(x["support"], support))):
            report[name] = {k: sum(weight(x) * x[k] for x in per)
                            for k in ("precision", "recall", "f1-score")}
            report[name]["support"] = support
        return report

    def __repr__(self):
        s = self.summary
        return "<orvane.%s F=%s SER=%s ref=%d hyp=%d>" % (
            type(self).__name__, _fraction(s["f_measure"]), _fraction(s["slot_error_rate"]),
            s["reference_entities"], s["hypothesis_entities"])


class Result(_Scores):
    """The evaluation of one pair (or one call's worth of sentences).

    * ``summary``: the command line's JSON summary: overall counts
      (``reference_entities``, ``corrects``, ``insertions``...), then
      ``slot_error_rate``, ``precision``, ``recall`` and ``f_measure`` as
      fractions (None where they divide by zero);
    * ``per_type``: a row per entity type, as the JSON summary's;
    * ``confusion``: ``(reference type, hypothesis type, count)`` cells,
      None for an insertion's or a deletion's missing side;
    * ``outcomes``: every outcome in listing order, with its kind, cost,
      error names and both entities;
    * ``warnings``: what the command line writes to standard error.
    """

    @property
    def outcomes(self):
        """Every outcome in listing order, corrects too: ``kind``
        (``"correct"``, ``"substitution"``, ``"deletion"``, ``"insertion"``),
        ``cost``, ``errors`` (the error names charged) and the
        ``reference`` and ``hypothesis`` entities (None on the side an
        insertion or a deletion lacks), each with its type, text, start and
        end (byte offsets in the reference's text without tags), line and
        attributes. Of :func:`evaluate_spans`, each entity also names its
        ``document``, and ``start`` and ``end`` are in the offsets given."""
        outcomes = _core_call(lambda: self._core.outcomes)
        if self._places:
            for o in outcomes:
                self._places.place(o["reference"])
                self._places.place(o["hypothesis"])
        return outcomes

    def report(self, details=False, with_corrects=False, confusion=False, agreement=False,
               expected_count=0, open=False, table=False, credit=False):
        """The text reports, as the command line prints them: the summary,
        and the listing (``details``, ``with_corrects``), the confusion
        table, the per-type ``table``, the ``credit``ed figures and the
        agreement values when asked."""
        return _core_call(self._core.text, *self._choice(
            False, details, with_corrects, confusion, agreement, expected_count, open, table,
            credit))

    def to_dict(self, details=False, with_corrects=False, agreement=False, expected_count=0,
                open=False, table=False, credit=False):
        """The command line's ``--json`` document (with ``-d``, ``-c``, ``-i``,
        ``--table`` and ``--credit`` as ``details``, ``with_corrects``,
        ``agreement``, ``table`` and ``credit``), as Python values."""
        return json.loads(_core_call(self._core.json, *self._choice(
            True, details, with_corrects, True, agreement, expected_count, open, table, credit)))


class CorpusResult(_Scores):
    """The evaluation of a corpus: every pair on its own, the figures pooled.

    ``summary``, ``per_type``, ``confusion`` and ``agreement`` are the
    pooled ones, as the command line's ``--corpus`` gives them;
    ``documents`` holds each pair's :class:`Result`, in corpus order.
    """

    @property
    def documents(self):
        """Each pair's own :class:`Result`, in corpus order."""
        return [Result(core) for core in self._core.documents]

    @property
    def outcomes(self):
        """Every document's outcomes (see :attr:`Result.outcomes`), in corpus
        order, each with ``document``: its pair's index."""
        out = []
        for i, core in enumerate(self._core.documents):
            for outcome in _core_call(lambda: core.outcomes):
                outcome["document"] = i
                out.append(outcome)
        return out

    def bootstrap(self, resamples=1000, seed=1):
        """95% intervals of the slot error rate, precision, recall and
        F-measure over ``resamples`` resamples of the documents (drawn with
        replacement; the same seed, the same intervals), as the command
        line's ``--bootstrap`` JSON member."""
        resamples = _count(resamples, "resamples", 1, 1000000)
        return self.to_dict(bootstrap=resamples, seed=seed)["bootstrap"]

    def report(self, details=False, with_corrects=False, confusion=False, agreement=False,
               expected_count=0, open=False, table=False, credit=False, per_document=False,
               bootstrap=0, seed=1):
        """The text reports, as the command line's ``--corpus`` prints them
        (``per_document`` and ``bootstrap`` as ``--per-document`` and
        ``--bootstrap``)."""
        return _core_call(self._core.text, *self._choice(
            False, details, with_corrects, confusion, agreement, expected_count, open, table,
            credit, per_document, bootstrap, seed))

    def to_dict(self, details=False, with_corrects=False, agreement=False, expected_count=0,
                open=False, table=False, credit=False, per_document=False, bootstrap=0, seed=1):
        """The command line's ``--corpus --json`` document, as Python values."""
        return json.loads(_core_call(self._core.json, *self._choice(
            True, details, with_corrects, True, agreement, expected_count, open, table, credit,
            per_document, bootstrap, seed)))

    @staticmethod
    def _choice(json, details=False, with_corrects=False, confusion=False, agreement=False,
                expected_count=0, open=False, table=False, credit=False, per_document=False,
                bootstrap=0, seed=1):
        sections = _orvane.Sections()
        sections.per_document = bool(per_document)
        sections.bootstrap = _count(bootstrap, "bootstrap", 0, 1000000)
        sections.seed = _count(seed, "seed", 0, 2 ** 64 - 1)
        return _Scores._choice(json, details, with_corrects, confusion, agreement, expected_count,
                               open, table, credit)[0], sections


class Comparison:
    """Two systems over the same references (see :func:`compare`):
    ``f_measure`` and ``slot_error_rate`` hold system 2's value less system
    1's (``estimate``), its 95% interval (``low``, ``high``) and the share of
    resamples on which system 2 does better (``share_better``)."""

    def __init__(self, text, document):
        self._text = text
        self._document = document

    def to_dict(self):
        """The command line's ``--compare --json`` document."""
        return json.loads(self._document)

    def report(self):
        """The command line's ``--compare`` text."""
        return self._text

    @property
    def f_measure(self):
        return self.to_dict()["comparison"]["bootstrap"]["f_measure"]

    @property
    def slot_error_rate(self):
        return self.to_dict()["comparison"]["bootstrap"]["slot_error_rate"]

    @property
    def per_type(self):
        """With ``compare(..., table=True)``: a row per type, by name, with
        each system's F-measure (``system_1``, ``system_2``) and their
        difference (``f_measure``); otherwise empty."""
        return self.to_dict()["comparison"]["bootstrap"].get("per_type", [])

    def __repr__(self):
        f = self.f_measure
        return "<orvane.Comparison F difference=%s, system 2 better in %s>" % (
            _fraction(f["estimate"]), _fraction(f["share_better"]))


def _fraction(value):
    return "-" if value is None else "%.4f" % value

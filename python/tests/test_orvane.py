"""The Python package: its numbers are the command line's, its faults are
exceptions, and its calls fit the ways seqeval and span tools are used."""
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import threading

import pytest

import orvane

SOURCE = os.environ.get("ORVANE_SOURCE_DIR",
                        os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
BINARY = os.environ.get("ORVANE_BINARY", os.path.join(SOURCE, "build", "orvane"))
CASES = os.path.join(SOURCE, "tests", "e2e", "cases")
FIXTURES = os.path.join(SOURCE, "tests", "e2e", "fixtures")
EXAMPLES = os.path.join(SOURCE, "examples")


def command(args, cwd=None):
    run = subprocess.run([BINARY] + args, cwd=cwd, capture_output=True)
    return run.returncode, run.stdout.decode("utf-8", "surrogateescape")


# The options of the command line that the package takes, and how.
def call_of(args):
    """The evaluate_documents call that does what `args` asks, or None when
    the case is no single run of two named documents."""
    kw = {"format": "text"}
    report = {}
    sections = {}  # a corpus's: per_document, bootstrap, seed
    names = []
    i = 0
    while i < len(args):
        a = args[i]
        if a == "--corpus":
            kw["corpus"] = True
        elif a == "--per-document":
            sections["per_document"] = True
        elif a in ("--bootstrap", "--seed", "--compare", "-j"):
            i += 1
            key = {"--bootstrap": "bootstrap", "--seed": "seed", "--compare": "compare",
                   "-j": "threads"}[a]
            sections[key] = args[i] if a == "--compare" else int(args[i])
        elif a == "--quiet":
            pass
        elif a in ("--table", "--credit"):
            report[a[2:]] = True
        elif a == "--only-types":
            i += 1
            kw["only_types"] = [t.strip(" \t") for t in args[i].split(",")]
        elif a == "-a":
            kw["format"] = "aref"
        elif a == "--conll":
            kw["format"] = "conll"
        elif a == "--format":
            i += 1
            kw["format"] = args[i]
        elif a == "--annotator":
            i += 1
            choice = args[i].split(",", 1)
            kw["annotators"] = (choice[0], choice[-1])
        elif a == "--scheme":
            i += 1
            kw["scheme"] = args[i]
        elif a == "--types":
            i += 1
            kw["types"] = [t.strip(" \t") for t in args[i].split(",")]
        elif a == "--columns":
            i += 1
            kw["columns"] = tuple(int(c) for c in args[i].split(","))
        elif a in ("-s", "--confusion", "--json"):
            pass
        elif a == "-d":
            report["details"] = True
        elif a == "-c":
            report["details"] = report["with_corrects"] = True
        elif a.startswith("-i"):
            value = a[2:] if len(a) > 2 else args[i + 1]
            i += 0 if len(a) > 2 else 1
            report["agreement"], report["expected_count"] = True, int(value)
        elif a == "-o":
            report["open"] = True
        elif a.startswith("-"):
            return None  # corpus runs, pages, limits, timeouts, help: not the package's
        else:
            names.append(a)
        i += 1
    if len(names) != 3 or (kw["format"] == "conll" and "columns" in kw):
        return None
    if sections and not kw.get("corpus"):
        return None
    if kw["format"] == "text" and names[1].endswith(".ann") and names[2].endswith(".ann"):
        kw["format"] = "brat"  # as the command line reads two annotation files
    kw["description"] = names[0]
    return names[1], names[2], kw, report, sections


def case_folder(name, into):
    case = os.path.join(CASES, name)
    fixture = os.path.join(case, "fixture")
    if os.path.exists(fixture):
        with open(fixture) as f:
            shutil.copytree(os.path.join(FIXTURES, f.readline().strip()), into, dirs_exist_ok=True)
    shutil.copytree(case, into, dirs_exist_ok=True)


def successful_cases():
    out = []
    for name in sorted(os.listdir(CASES)):
        status_file = os.path.join(CASES, name, "status")
        if os.path.exists(status_file) and open(status_file).read().strip() != "0":
            continue
        with open(os.path.join(CASES, name, "args")) as f:
            args = f.read().splitlines()
        if call_of(args) is not None:
            out.append((name, args))
    return out


def compare_with_json(args, cwd):
    """Runs the command line with `args` and --json in `cwd` and the package's
    call for them; both documents, or None where the case is not the
    package's or the command line fails."""
    call = call_of(args)
    if call is None:
        return None
    reference, hypothesis, kw, report, sections = call
    status, out = command([a for a in args if a != "--json"] + ["--json"], cwd=cwd)
    if status != 0:
        return None
    if not kw.pop("corpus", False):
        got = orvane.evaluate_documents(reference, hypothesis, **kw).to_dict(**report)
    elif not (os.path.isdir(os.path.join(cwd, reference)) and os.path.isdir(os.path.join(cwd, hypothesis))):
        return None  # a corpus of one file's documents is the command line's only
    else:
        result = orvane.evaluate_documents(corpus=(reference, hypothesis),
                                           threads=sections.pop("threads", 0), **kw)
        if "compare" in sections:
            second = orvane.evaluate_documents(corpus=(reference, sections.pop("compare")), **kw)
            got = orvane.compare(result, second, sections.get("bootstrap", 1000),
                                 sections.get("seed", 1), table=report.get("table", False)).to_dict()
        else:
            got = result.to_dict(**report, **sections)
    # A description may print; the document is the last line.
    expected = json.loads(out.strip().splitlines()[-1])
    if kw["description"] in orvane.PRESETS:
        # Each names the preset's file where it found it.
        got["documents"]["description"] = expected["documents"]["description"]
        if "merge" in got:
            got["merge"]["description"]["name"] = expected["merge"]["description"]["name"]
    return got, expected


@pytest.mark.parametrize("name,args", successful_cases(), ids=lambda x: x if isinstance(x, str) else "")
def test_to_dict_is_the_command_lines_json(name, args, tmp_path, monkeypatch):
    case_folder(name, str(tmp_path))
    monkeypatch.chdir(tmp_path)
    documents = compare_with_json(args, str(tmp_path))
    if documents is None:
        pytest.skip("the command line's --json run fails, or reads one file's documents")
    got, expected = documents
    assert got == expected


def test_to_dict_is_the_command_lines_json_on_random_cases(tmp_path, monkeypatch):
    script = os.path.join(SOURCE, "bench", "random_case.py")
    compared = 0
    for seed in range(60):
        case = tmp_path / str(seed)
        subprocess.run([sys.executable, script, str(seed), str(case)], check=True)
        monkeypatch.chdir(case)
        with open(case / "args") as f:
            documents = compare_with_json(f.read().splitlines(), str(case))
        if documents is not None:
            got, expected = documents
            assert got == expected, "random case %d" % seed
            compared += 1
    assert compared >= 20, compared


def random_tags(rng, n, types=("PER", "LOC", "ORG")):
    prefixes = "BIOES" if rng.random() < 0.5 else "BIO"
    tags = []
    for _ in range(n):
        p = rng.choice(prefixes + "OO")
        tags.append("O" if p == "O" else p + "-" + rng.choice(types))
    return tags


def conll_text(y_true, y_pred):
    return "".join("".join("w %s %s\n" % (t, p) for t, p in zip(st, sp)) + "\n"
                   for st, sp in zip(y_true, y_pred))


@pytest.mark.parametrize("scheme", ["conlleval", "iob2", "iobes"])
def test_tag_sequences_count_as_the_command_line(scheme, tmp_path):
    rng = random.Random(7)
    for trial in range(20):
        lengths = [rng.randint(0, 12) for _ in range(rng.randint(1, 6))]
        y_true = [random_tags(rng, n) for n in lengths]
        y_pred = [random_tags(rng, n) for n in lengths]
        path = tmp_path / "both.conll"
        path.write_text(conll_text(y_true, y_pred))
        status, out = command(["--conll", "--json", "--scheme", scheme, "exact", str(path)])
        if status != 0:
            with pytest.raises(orvane.Error) as e:
                orvane.evaluate(y_true, y_pred, scheme=scheme)
            assert e.value.status == status
            continue
        expected = json.loads(out)["summary"]
        got = orvane.evaluate(y_true, y_pred, scheme=scheme).to_dict()["summary"]
        assert got == expected, (trial, y_true, y_pred)


def test_conlleval_counting_on_plain_sequences():
    # conlleval's rules: an I- after O starts an entity; a type change ends one.
    r = orvane.evaluate([["B-PER", "I-PER", "O", "I-LOC", "I-LOC"]],
                        [["B-PER", "I-PER", "O", "B-LOC", "I-LOC"]])
    assert (r.summary["reference_entities"], r.summary["corrects"]) == (2, 2)
    strict = orvane.evaluate([["B-PER", "I-PER", "O", "I-LOC", "I-LOC"]],
                             [["B-PER", "I-PER", "O", "B-LOC", "I-LOC"]], scheme="IOB2")
    assert strict.summary["reference_entities"] == 1
    assert "no entity under iob2" in strict.warnings


def test_classification_report_has_seqevals_shape():
    r = orvane.evaluate([["B-PER", "O", "B-LOC"], ["B-ORG"]], [["B-PER", "O", "O"], ["B-LOC"]])
    report = r.classification_report()
    assert list(report) == ["LOC", "ORG", "PER", "micro avg", "macro avg", "weighted avg"]
    assert report["PER"] == {"precision": 1.0, "recall": 1.0, "f1-score": 1.0, "support": 1}
    assert report["LOC"]["precision"] == 0.0 and report["LOC"]["support"] == 1
    assert report["micro avg"]["precision"] == 0.5
    assert report["micro avg"]["recall"] == pytest.approx(1 / 3)
    assert report["macro avg"]["recall"] == pytest.approx(1 / 3)
    assert report["weighted avg"]["support"] == 3


def test_spans_by_tokens_and_by_characters():
    true = [[{"start": 0, "end": 2, "label": "PER"}, {"start": 4, "end": 5, "label": "LOC"}]]
    pred = [[{"start": 0, "end": 2, "label": "PER"}, {"start": 3, "end": 5, "label": "LOC"}]]
    r = orvane.evaluate_spans(true, pred)
    # Under exact, another start is a deletion and an insertion.
    assert (r.summary["corrects"], r.summary["deletions"], r.summary["insertions"]) == (1, 1, 1)
    text = ["Jean Dupont went to Paris"]
    chars_true = [[{"start": 0, "end": 11, "label": "PER"}, {"start": 20, "end": 25, "label": "LOC"}]]
    chars_pred = [[{"start": 0, "end": 4, "label": "PER"}, {"start": 20, "end": 25, "label": "LOC"}]]
    c = orvane.evaluate_spans(chars_true, chars_pred, texts=text)
    assert [o["kind"] for o in c.outcomes] == ["substitution", "correct"]
    assert c.outcomes[0]["reference"]["text"] == "Jean Dupont"
    nested = [[{"start": 0, "end": 3, "label": "ORG"}, {"start": 0, "end": 1, "label": "PER"}]]
    assert orvane.evaluate_spans(nested, nested).summary["corrects"] == 2
    crossing = [[{"start": 0, "end": 3, "label": "ORG"}, {"start": 1, "end": 4, "label": "PER"}]]
    with pytest.raises(ValueError, match="crosses"):
        orvane.evaluate_spans(crossing, nested)


def test_span_outcomes_are_in_the_callers_offsets():
    rng = random.Random(11)
    texts, y_true, y_pred = [], [], []
    for d in range(20):
        words = [rng.choice(["Zoë", "Paris", "a", "ünd", "b", "日本"]) for _ in range(rng.randint(0, 12))]
        text, starts = "", []
        for w in words:
            starts.append(len(text))
            text += w + " "
        texts.append(text)
        spans = [{"start": b, "end": b + len(words[k]), "label": rng.choice(["PER", "LOC"])}
                 for k, b in enumerate(starts) if rng.random() < 0.4]
        y_true.append(spans)
        y_pred.append([dict(s, label=rng.choice(["PER", "LOC"])) for s in spans if rng.random() < 0.8])
    for r, unit in ((orvane.evaluate_spans(y_true, y_pred, texts=texts), "chars"),
                    (orvane.evaluate_spans(y_true, y_pred), "tokens")):
        seen = []
        for o in r.outcomes:
            for side, spans in (("reference", y_true), ("hypothesis", y_pred)):
                e = o[side]
                if e:
                    assert {"start": e["start"], "end": e["end"], "label": e["type"]} in spans[e["document"]]
                    if unit == "chars":
                        assert texts[e["document"]][e["start"]:e["end"]] == e["text"]
                    seen.append((side, e["document"], e["start"]))
        assert len(seen) == sum(map(len, y_true)) + sum(map(len, y_pred))
    # Text that looks like tags is text: a '<' never opens one.
    tricky = ["a <PER>b</PER> <_> a<b", "\ufeffJean et Bob", "x</ PER> <PER"]
    gold = [[S(7, 8)], [S(1, 5), S(9, 12)], [S(0, 1)]]
    r = orvane.evaluate_spans(gold, [[S(7, 8)], [S(1, 5)], []], texts=tricky)
    assert (r.summary["reference_entities"], r.summary["corrects"]) == (4, 2)
    assert [(e["document"], e["start"], e["end"], e["text"], e["line"])
            for e in (o["reference"] for o in r.outcomes)] == \
        [(0, 7, 8, "b", 1), (1, 1, 5, "Jean", 1), (1, 9, 12, "Bob", 1), (2, 0, 1, "x", 1)]
    # Blanks at a span's edges are not the entity's.
    r = orvane.evaluate_spans([[S(0, 5)]], [[S(0, 4)]], texts=["Jean  x"])
    assert r.summary["corrects"] == 1 and r.outcomes[0]["reference"]["end"] == 4
    assert orvane.evaluate_spans([[]], [[]]).summary["corrects"] == 0
    for spans, texts, error, message in (
            ([[S(0, 10 ** 12)]], None, ValueError, "2\\*\\*29"),
            ([[S(0, 2.0)]], None, TypeError, "whole numbers"),
            ([[S(0, 1, 5)]], None, TypeError, "a label is a string"),
            ([[S(0, 1, "a\0b")]], None, ValueError, "not one word"),
            ([[S(0, 1)]], ["a\0"], ValueError, "NUL"),
            ([[S(0, 2)]], ["  x"], ValueError, "only blanks")):
        with pytest.raises(error, match=message):
            orvane.evaluate_spans(spans, [[]], texts=texts)
    with pytest.raises(ValueError, match="not one of types"):
        orvane.evaluate_spans([[S(0, 1)]], [[S(0, 1)]], types=["LOC"])
    with pytest.raises(TypeError, match="not a string"):
        orvane.evaluate_spans([[S(0, 1)]], [[S(0, 1)]], types="PER")
    # Lone surrogates and generators are taken.
    r = orvane.evaluate_spans((d for d in [[S(1, 2)]]), iter([[S(1, 2)]]), texts=["\ud800b"])
    assert r.outcomes[0]["reference"]["text"] == "b"


def S(start, end, label="PER"):
    return {"start": start, "end": end, "label": label}


def test_faults_are_errors_with_the_command_lines_message_and_status(tmp_path):
    with pytest.raises(orvane.Error) as e:
        orvane.evaluate_documents("ref.txt", "hyp.txt", description=os.path.join(EXAMPLES, "task.lua"),
                                  reference_text="<pers>a b", hypothesis_text="a b")
    assert e.value.status == 1
    assert (e.value.file, e.value.line) == (None, None)
    assert str(e.value) == "ref.txt: Missing closing tag for pers (line 1) at end of file."
    with pytest.raises(orvane.Error) as e:
        orvane.evaluate_documents(str(tmp_path / "none.txt"), "hyp.txt", description="exact",
                                  types=["pers"], hypothesis_text="a")
    assert e.value.status == 2
    with pytest.raises(orvane.Error, match="not a preset"):
        orvane.evaluate([["O"]], [["O"]], preset="exakt")
    with pytest.raises(ValueError, match="sentence 0"):
        orvane.evaluate([["O", "O"]], [["O"]])
    with pytest.raises(TypeError):
        orvane.evaluate("B-PER", "B-PER")


def test_descriptions_as_presets_scripts_and_files():
    ref = open(os.path.join(EXAMPLES, "reference.txt")).read()
    hyp = open(os.path.join(EXAMPLES, "hypothesis.txt")).read()
    script = open(os.path.join(EXAMPLES, "task.lua")).read()
    by_file = orvane.evaluate_documents("r", "h", description=os.path.join(EXAMPLES, "task.lua"),
                                        reference_text=ref, hypothesis_text=hyp)
    by_script = orvane.evaluate_documents("r", "h", description=script, reference_text=ref,
                                          hypothesis_text=hyp)
    assert by_file.report(details=True) == by_script.report(details=True)
    status, out = command(["-s", "-d", os.path.join(EXAMPLES, "task.lua"), os.path.join(EXAMPLES, "reference.txt"),
                           os.path.join(EXAMPLES, "hypothesis.txt")])
    assert status == 0 and out.replace(os.path.join(EXAMPLES, ""), "") == \
        orvane.evaluate_documents(os.path.join(EXAMPLES, "reference.txt"),
                                  os.path.join(EXAMPLES, "hypothesis.txt"),
                                  description=os.path.join(EXAMPLES, "task.lua")).report(
                                      details=True).replace(os.path.join(EXAMPLES, ""), "")


def test_threads_evaluate_side_by_side():
    rng = random.Random(3)
    batches = []
    for _ in range(8):
        lengths = [rng.randint(1, 30) for _ in range(200)]
        batches.append(([random_tags(rng, n) for n in lengths], [random_tags(rng, n) for n in lengths]))
    alone = [orvane.evaluate(t, p).to_dict() for t, p in batches]
    together = [None] * len(batches)

    def run(i):
        together[i] = orvane.evaluate(*batches[i]).to_dict()

    threads = [threading.Thread(target=run, args=(i,)) for i in range(len(batches))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert together == alone


def test_the_readmes_examples_run(capsys):
    readme = open(os.path.join(SOURCE, "README.md")).read()
    blocks = re.findall(r"```python\n(import orvane\n.*?)```", readme, re.S)
    assert len(blocks) == 2
    exec(compile(blocks[0], "README.md", "exec"), {})
    out = capsys.readouterr().out.splitlines()
    assert out[0] == ("{'precision': 1.0, 'recall': 0.5, 'f1': 0.6666666666666666, "
                      "'slot_error_rate': 0.5}")
    assert orvane.evaluate([["B-PER"]], [["O"]]).summary["precision"] is None
    assert out[1].startswith("{'LOC': {'precision': 0.0")
    exec(compile(blocks[1], "README.md", "exec"), {})
    out = capsys.readouterr().out.splitlines()
    assert out[0] == "0.5 Jean"
    assert out[1] == "0.8059701492537313 {'low': 0.7301587301587301, 'high': 0.8732394366197183}"
    assert "95% intervals, 1000 resamples of the 20 documents (seed 1):" in out


def test_ctrl_c_interrupts_a_long_evaluation():
    import signal
    import time
    looping = ("function get_all_tags() return {'pers'} end\n"
               "function get_miss_cost(e) while true do end end\n"
               "function get_substitution_cost(r, h) return 0 end\n")
    timer = threading.Timer(0.2, lambda: os.kill(os.getpid(), signal.SIGINT))
    start = time.monotonic()
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        orvane.evaluate_documents("r", "h", description=looping, reference_text="<pers>a</pers>",
                                  hypothesis_text="a")
    timer.join()
    assert time.monotonic() - start < 5


def test_hostile_calls_are_errors_not_crashes(tmp_path):
    both = tmp_path / "two.conll"
    both.write_text("w B-PER B-PER\n")
    with pytest.raises(orvane.Error, match="tag column"):
        orvane.evaluate_documents(str(both), str(both), format="conll", columns=(1, 1))
    with pytest.raises(orvane.Error, match="os.exit"):
        orvane.evaluate([["B-PER"]], [["B-PER"]], description="os.exit(3)\n")
    with pytest.raises(TypeError):
        orvane.evaluate([[1]], [[2]])
    with pytest.raises(ValueError, match="NUL"):
        orvane.evaluate_documents("r\0x", "h", reference_text="a", hypothesis_text="a")
    with pytest.raises(orvane.Error, match="no type name"):
        orvane.evaluate([["O"]], [["O"]], types=["a b"])
    bad = tmp_path / "bad.conll"
    bad.write_bytes(b"Jos\xe9 B-P\xe9R\nx O\n\n")
    good = tmp_path / "good.conll"
    good.write_bytes(b"Jos\xe9 O\nx O\n\n")
    r = orvane.evaluate_documents(str(bad), str(good), format="conll")
    assert r.confusion[0][0] == "P\ufffdR" and r.outcomes[0]["reference"]["type"] == "P\ufffdR"
    with pytest.raises(orvane.Error) as e:
        orvane.evaluate([["B-PER"]], [["B-PER"]], description="error('boom')\n")
    assert e.value.file is None
    # Bytes that are not UTF-8, in a file's name and text, reach every report.
    named = tmp_path / os.fsdecode(b"Jos\xe9.txt")
    named.write_bytes(b"<pers>Jos\xe9</pers> x\n")
    for r in (orvane.evaluate_documents(named, bytes(named), types=["pers"]),
              orvane.evaluate_documents(corpus=[(named, named)], types=["pers"])):
        assert "Jos\ufffd" in r.report(details=True, with_corrects=True)
        assert r.to_dict(details=True, with_corrects=True)["summary"]["corrects"] == 1
    with pytest.raises(ValueError, match="expected_count"):
        r.agreement(2 ** 31)


def sentences_as_documents(rng, count):
    """Random tag sequences as token-per-line documents: (name, text) pairs."""
    pairs = []
    for k in range(count):
        lengths = [rng.randint(1, 20) for _ in range(rng.randint(1, 5))]
        y_true = [random_tags(rng, n) for n in lengths]
        y_pred = [random_tags(rng, n) for n in lengths]
        text = conll_text(y_true, y_pred)
        ref = "".join(line.rsplit(" ", 1)[0] + "\n" if line else "\n" for line in text.split("\n"))
        hyp = "".join(line.rsplit(" ", 2)[0] + " " + line.rsplit(" ", 1)[1] + "\n" if line else "\n"
                      for line in text.split("\n"))
        pairs.append((("ref%d.conll" % k, ref), ("hyp%d.conll" % k, hyp)))
    return pairs


def test_a_corpus_is_pooled_as_the_command_line_pools_it(tmp_path):
    pairs = sentences_as_documents(random.Random(5), 30)
    for folder in ("ref", "hyp"):
        (tmp_path / folder).mkdir()
    for (ref_name, ref), (hyp_name, hyp) in pairs:
        (tmp_path / "ref" / ref_name[3:]).write_text(ref)
        (tmp_path / "hyp" / hyp_name[3:]).write_text(hyp)
    args = ["--corpus", "--conll", "--json", "-d", "--per-document", "--bootstrap", "300", "exact",
            str(tmp_path / "ref"), str(tmp_path / "hyp")]
    status, out = command(args)
    assert status == 0
    folders = orvane.evaluate_documents(corpus=(tmp_path / "ref", tmp_path / "hyp"), format="conll",
                                        threads=3)
    got = folders.to_dict(details=True, per_document=True, bootstrap=300)
    expected = json.loads(out)
    for where in (got["documents"], got["merge"]["description"]):
        where[next(k for k in ("description", "name") if k in where)] = (
            expected["documents"]["description"])
    assert got == expected
    assert folders.bootstrap(300) == got["bootstrap"]
    # The same documents as texts, on one thread: the same figures.
    texts = orvane.evaluate_documents(corpus=pairs, format="conll", threads=1)
    assert texts.summary == folders.summary and texts.per_type == folders.per_type
    assert len(texts.documents) == 30
    assert sum(d.summary["corrects"] for d in texts.documents) == texts.summary["corrects"]
    assert len(texts.outcomes) == sum(len(d.outcomes) for d in texts.documents)
    assert {o["document"] for o in texts.outcomes} <= set(range(30))
    # The tag call pools every sentence the same way.
    y_true, y_pred = [], []
    for (_, ref), (_, hyp) in pairs:
        for block in ref.strip("\n").split("\n\n"):
            y_true.append([line.split(" ")[1] for line in block.split("\n")])
        for block in hyp.strip("\n").split("\n\n"):
            y_pred.append([line.split(" ")[1] for line in block.split("\n")])
    assert orvane.evaluate(y_true, y_pred).summary == texts.summary


def test_two_systems_compare_as_on_the_command_line(tmp_path):
    rng = random.Random(9)
    one = sentences_as_documents(rng, 12)
    for name in ("ref", "s1", "s2"):
        (tmp_path / name).mkdir()
    for k in range(12):
        (tmp_path / "ref" / ("%d.conll" % k)).write_text(one[k][0][1])
        (tmp_path / "s1" / ("%d.conll" % k)).write_text(one[k][1][1])
        # The second system: the same tokens, other tags.
        lines = [line.split(" ")[0] + " " + rng.choice(["O", "B-PER", "I-PER", "B-LOC"]) if line else ""
                 for line in one[k][1][1].split("\n")]
        (tmp_path / "s2" / ("%d.conll" % k)).write_text("\n".join(lines))
    s1 = orvane.evaluate_documents(corpus=(tmp_path / "ref", tmp_path / "s1"), format="conll")
    s2 = orvane.evaluate_documents(corpus=(tmp_path / "ref", tmp_path / "s2"), format="conll")
    c = orvane.compare(s1, s2, resamples=500, seed=4)
    args = ["--corpus", "--conll", "--compare", str(tmp_path / "s2"), "--bootstrap", "500",
            "--seed", "4", "exact", str(tmp_path / "ref"), str(tmp_path / "s1")]
    status, text = command(args)
    assert status == 0
    description = os.path.join(os.path.dirname(orvane.__file__), "presets", "exact.lua")
    assert c.report() == text.replace(description, "exact")
    assert c.f_measure == json.loads(command(["--json"] + args)[1])["comparison"]["bootstrap"]["f_measure"]
    fewer = orvane.evaluate_documents(corpus=sentences_as_documents(rng, 3), format="conll")
    with pytest.raises(orvane.Error, match="12 and 3 documents"):
        orvane.compare(s1, fewer)
    with pytest.raises(ValueError, match="resamples"):
        orvane.compare(s1, s2, resamples=0)


def test_corpus_faults_name_their_pair(tmp_path):
    good = ("good.conll", "a B-PER\nb I-PER\n")
    pairs = [(good, good), (("bad.conll", "a B-PER\n"), ("bad-hyp.conll", "x B-PER\n")), (good, good)]
    with pytest.raises(orvane.Error) as e:
        orvane.evaluate_documents(corpus=pairs, format="conll", threads=2)
    assert str(e.value).endswith("The evaluation of bad.conll and bad-hyp.conll (pair 2 of 3) failed.")
    assert (e.value.file, e.value.line, e.value.status) == ("bad-hyp.conll", 1, 1)
    with pytest.raises(orvane.Error, match="no pair of documents"):
        orvane.evaluate_documents(corpus=[])
    with pytest.raises(orvane.Error, match="nonexistent: No such file") as e:
        orvane.evaluate_documents(corpus=(tmp_path, tmp_path / "nonexistent"))
    assert e.value.status == 2
    with pytest.raises(orvane.Error, match="no document under"):
        orvane.evaluate_documents(corpus=(tmp_path, tmp_path))
    with pytest.raises(TypeError, match="corpus\\[0\\]"):
        orvane.evaluate_documents(corpus=[("only one",)])
    with pytest.raises(TypeError, match="not both"):
        orvane.evaluate_documents("r", "h", corpus=[(good, good)])
    with pytest.raises(ValueError, match="threads"):
        orvane.evaluate_documents(corpus=[(good, good)], format="conll", threads=-1)
    r = orvane.evaluate_documents(corpus=[(good, good)], format="conll")
    with pytest.raises(ValueError, match="resamples"):
        r.bootstrap(0)
    with pytest.raises(TypeError, match="in its pairs"):
        orvane.evaluate_documents(corpus=[(good, good)], reference_text="x")
    with pytest.raises(TypeError, match="mapping"):
        orvane.evaluate_documents(corpus={"a.txt": "b.txt"})

    class Index:  # as numpy's integers are
        def __index__(self):
            return 2
    assert orvane.evaluate_documents(corpus=[(good, good)], format="conll",
                                     threads=Index()).summary["corrects"] == 1
    # Same names, other references: not the same documents.
    other = orvane.evaluate_documents(corpus=[(("good.conll", "a B-PER\nb B-LOC\n"),) * 2],
                                      format="conll")
    with pytest.raises(orvane.Error, match="2 reference entities in one corpus and 1"):
        orvane.compare(other, r)


def test_ctrl_c_interrupts_resampling():
    import signal
    import time
    good = ("good.conll", "a B-PER\nb O\n")
    r = orvane.evaluate_documents(corpus=[(good, good)] * 3000, format="conll")
    for call in (lambda: r.bootstrap(1000000), lambda: orvane.compare(r, r, resamples=1000000)):
        timer = threading.Timer(0.3, lambda: os.kill(os.getpid(), signal.SIGINT))
        start = time.monotonic()
        timer.start()
        with pytest.raises(KeyboardInterrupt):
            call()
        timer.join()
        assert time.monotonic() - start < 5


def test_ctrl_c_interrupts_a_corpus():
    import signal
    import time
    looping = ("function get_all_tags() return {'pers'} end\n"
               "function get_miss_cost(e) while true do end end\n"
               "function get_substitution_cost(r, h) return 0 end\n")
    pair = (("r", "<pers>a</pers>"), ("h", "a"))
    timer = threading.Timer(0.2, lambda: os.kill(os.getpid(), signal.SIGINT))
    start = time.monotonic()
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        orvane.evaluate_documents(corpus=[pair] * 4, description=looping, threads=2)
    timer.join()
    assert time.monotonic() - start < 5


def test_ctrl_c_interrupts_a_read_that_blocks(tmp_path):
    import signal
    import time
    fifo = str(tmp_path / "fifo")
    os.mkfifo(fifo)
    timer = threading.Timer(0.2, lambda: os.kill(os.getpid(), signal.SIGINT))
    start = time.monotonic()
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            orvane.evaluate_documents(fifo, "h", hypothesis_text="a", types=["PER"])
        assert time.monotonic() - start < 5
    finally:
        timer.join()
        # The reader left behind ends: its FIFO opens, and ends at once.
        os.close(os.open(fifo, os.O_RDWR))


def test_a_label_studio_export_in_memory_reads_as_its_file():
    """An export given as text is converted as a file is: the same figures
    and places, annotators chosen alike."""
    path = os.path.join(SOURCE, "examples", "labelstudio", "export.json")
    with open(path, encoding="utf-8") as f:
        text = f.read()
    kw = dict(format="labelstudio", annotators=("1", "2"))
    from_file = orvane.evaluate_documents(path, path, **kw)
    from_text = orvane.evaluate_documents(path, path, reference_text=text, hypothesis_text=text,
                                          **kw)
    assert from_text.summary == from_file.summary
    assert from_text.to_dict(details=True) == from_file.to_dict(details=True)

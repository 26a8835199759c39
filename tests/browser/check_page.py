#!/usr/bin/env python3
"""Opens the visual report of the shipped example in headless Chromium and
checks what a reader sees: every kind of outcome drawn with its class, a
filter that hides what it should, the "next error" key, the details panel
with the entities a miss overlaps, the per-type table, labels that can be
read (contrast, one font), the filter bar that never hides the details.
Saves a screenshot beside the page. Then a corpus's page with its sortable
index, and a document long enough to be shown in parts: 6 MB, or 50 MB
(beyond what Chromium lays out in one piece) with ORVANE_FULL_TESTS=1.

    check_page.py ORVANE SOURCE_DIR OUTPUT_DIR

Exits 77 (skipped) when Chromium, its driver or Python's selenium is
missing: scripts/install-deps --browser installs them.
"""
import os
import shutil
import subprocess
import sys
import time

SKIP = 77


def skip(why):
    print(f"check_page: skipped: {why} (scripts/install-deps --browser installs it)")
    sys.exit(SKIP)


try:
    from selenium import webdriver
    from selenium.common.exceptions import TimeoutException
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    skip("python3-selenium is not installed")

browser = shutil.which("chromium")
driver_path = shutil.which("chromedriver")
if not browser or not driver_path:
    skip("chromium or chromium-driver is not installed")

orvane, source, output = (os.path.abspath(a) for a in sys.argv[1:4])
examples = os.path.join(source, "examples")
page = os.path.join(output, "html_report.html")
env = dict(os.environ, SOURCE_DATE_EPOCH="0")
subprocess.run([orvane, "-d", "-i", "10", "--table", "--html", page, "task.lua", "reference.txt",
                "hypothesis.txt"], cwd=examples, env=env, check=True, stdout=subprocess.DEVNULL)

options = webdriver.ChromeOptions()
options.binary_location = browser
for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1200,1400",
             "--disable-dev-shm-usage"):
    options.add_argument(flag)
from selenium.webdriver.chrome.service import Service  # noqa: E402

driver = webdriver.Chrome(service=Service(driver_path), options=options)
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def eventually(condition, seconds=10):
    """Whether `condition` holds within `seconds`."""
    try:
        return WebDriverWait(driver, seconds).until(lambda d: condition())
    except TimeoutException:
        return False


def write_long_document(folder, size):
    """A reference of `size` bytes and its hypothesis: lines of prose, an
    entity every 40 lines, every tenth one of the wrong type in the
    hypothesis, the last one too. Returns the number of outcomes."""
    prose = "the quick brown fox jumps over the lazy dog and keeps on running far\n"
    ref, hyp, total, n = [], [], 0, 0
    while total < size:
        n += 1
        entity = f"<pers>Anna {n}</pers> met the others.\n"
        ref += [prose * 39, entity]
        hyp += [prose * 39, entity if n % 10 else entity.replace("pers>", "loc>")]
        total += len(prose) * 39 + len(entity)
    end = "<pers>Zoe</pers> came last."
    ref.append(end)
    hyp.append(end.replace("pers>", "loc>"))
    for name, parts in (("reference.txt", ref), ("hypothesis.txt", hyp)):
        with open(os.path.join(folder, name), "w") as f:
            f.write("".join(parts))
    return n + 1


# The contrast of each outcome's label text with what lies under it, the
# font families in use, and where the filter bar, the details panel and the
# error buttons are, as the reader's window shows them.
LOOKS = """
function lum(c) {
  var v = c.match(/[0-9.]+/g).slice(0, 3).map(function (x) {
    x = +x / 255;
    return x <= 0.03928 ? x / 12.92 : Math.pow((x + 0.055) / 1.055, 2.4);
  });
  return 0.2126 * v[0] + 0.7152 * v[1] + 0.0722 * v[2];
}
function contrast(a, b) {
  var x = lum(a), y = lum(b);
  return (Math.max(x, y) + 0.05) / (Math.min(x, y) + 0.05);
}
var labels = [0, 1, 2, 3].map(function (k) {
  var s = document.querySelector('.bar.k' + k + ' > span');
  if (!s) return null;
  var st = getComputedStyle(s);
  return contrast(st.color, st.backgroundColor);
});
var fonts = ['body', '#text', '.bar', '#next', '#details', 'select', 'h2'].map(function (q) {
  var el = document.querySelector(q);
  return el ? getComputedStyle(el).fontFamily : null;
});
var rect = function (id) {
  var r = document.getElementById(id).getBoundingClientRect();
  return [r.top, r.bottom, r.left, r.right];
};
return { labels: labels, fonts: fonts, controls: rect('controls'), details: rect('details'),
         prev: rect('prev'), next: rect('next'), document: rect('document'),
         height: innerHeight };
"""


def check_looks(where):
    """Labels at 4.5:1 at least, one font family, the error buttons side by
    side, and the details panel below the filter bar and within the window
    once an outcome is chosen."""
    looks = driver.execute_script(LOOKS)
    for k, ratio in enumerate(looks["labels"]):
        check(ratio is not None and ratio >= 4.5, f"{where}: label k{k} at contrast {ratio}")
    check(len(set(looks["fonts"])) == 1, f"{where}: font families {set(looks['fonts'])}")
    prev, nxt = looks["prev"], looks["next"]
    check(prev[0] == nxt[0] and 0 <= nxt[2] - prev[3] < 20,
          f"{where}: previous and next error buttons apart: {prev} {nxt}")
    controls, details = looks["controls"], looks["details"]
    check(details[0] >= controls[1] - 0.5 and details[1] <= looks["height"] + 0.5,
          f"{where}: details at {details[:2]}, filter bar ending at {controls[1]}, "
          f"window {looks['height']} high")


def check_long_document():
    """A long document is drawn in parts, each within the browser's limit
    of 33,554,432 px; a jump to its last error shows the last part, laid
    out at its place. The time of the jump is measured by make bench (under
    2 s); here it is only held to a bound that a page laid out whole (28 s
    for 50 MB) would pass, not to a figure that a loaded machine may miss."""
    full = os.environ.get("ORVANE_FULL_TESTS", "0") not in ("", "0")
    folder = os.path.join(output, "html_report_long")
    os.makedirs(folder, exist_ok=True)
    outcomes = write_long_document(folder, 50_000_000 if full else 6_000_000)
    long_page = os.path.join(folder, "page.html")
    subprocess.run([orvane, "--html", long_page, os.path.join(examples, "task.lua"),
                    "reference.txt", "hypothesis.txt"], cwd=folder, env=env, check=True,
                   stdout=subprocess.DEVNULL)
    driver.get("file://" + long_page)
    WebDriverWait(driver, 100).until(
        lambda d: d.execute_script("return document.body.dataset.ready === 'true'"))
    check(driver.find_element(By.ID, "parts").is_displayed(), "no part navigator")
    check(driver.find_element(By.ID, "part-at").text.startswith("Part 1 of "),
          "part shown first: " + driver.find_element(By.ID, "part-at").text)
    start = time.time()
    driver.find_element(By.TAG_NAME, "body").send_keys("p")
    driver.execute_async_script(
        "var done = arguments[0];"
        "requestAnimationFrame(() => requestAnimationFrame(() => done()))")
    took = time.time() - start
    check(took < 15, f"the jump to the last error took {took:.1f} s")
    details = driver.find_element(By.ID, "details").text
    check(details.startswith(f"Outcome {outcomes}: substitution"),
          "details after p: " + details[:80])
    place = driver.execute_script("""
        var bar = document.querySelector('.bar.sel'), r = bar && bar.getBoundingClientRect();
        var secs = Array.prototype.slice.call(document.querySelectorAll('#text .sec'));
        var tops = secs.map(function (s) { return s.getBoundingClientRect().top + scrollY; });
        var last = secs[secs.length - 1], text = last.firstChild.data;
        return { bar: r && [r.top, r.bottom], height: innerHeight, tops: tops,
                 lastHeight: last.getBoundingClientRect().height,
                 lastLines: text.split('\\n').length - (text.endsWith('\\n') ? 1 : 0),
                 lineHeight: parseFloat(getComputedStyle(document.getElementById('text')).lineHeight),
                 page: document.documentElement.scrollHeight,
                 end: secs[secs.length - 1].firstChild.data.slice(-20),
                 at: document.getElementById('part-at').textContent };
        """)
    check(place["bar"] and 0 <= place["bar"][0] and place["bar"][1] <= place["height"],
          f"the last error's bar is not in view: {place['bar']}")
    check(place["end"].endswith("Zoe came last."), "the last part does not end the text")
    tops = place["tops"]
    check(all(a < b for a, b in zip(tops, tops[1:])), "sections piled up on one another")
    # The last section as high as its lines at least (text piled up on one
    # line would not be), and the whole part well within the limit.
    check(place["lastHeight"] >= place["lastLines"] * place["lineHeight"] - 1,
          f"last section {place['lastHeight']} px high for {place['lastLines']} lines"
          f" of {place['lineHeight']} px")
    check(place["page"] < 33554432 / 2, f"a page {place['page']} px high")
    parts = int(place["at"].split()[-1] or 1)
    check(parts > 1 and place["at"] == f"Part {parts} of {parts}",
          "part after the jump: " + place["at"])
    if parts < 2:
        return
    # The part navigator goes back a part, and the first error comes back
    # into view with n.
    driver.find_element(By.ID, "part-prev").click()
    check(driver.find_element(By.ID, "part-at").text == f"Part {parts - 1} of {parts}",
          "previous part: " + driver.find_element(By.ID, "part-at").text)
    driver.find_element(By.TAG_NAME, "body").send_keys("n")
    check(driver.find_element(By.ID, "details").text.startswith("Outcome 10: substitution"),
          "details after n: " + driver.find_element(By.ID, "details").text[:80])
    check(driver.find_element(By.ID, "part-at").text == f"Part 1 of {parts}",
          "part of the first error: " + driver.find_element(By.ID, "part-at").text)
    print(f"check_page: long document: {outcomes} outcomes in {parts} parts, "
          f"last error in {took:.2f} s")


try:
    driver.get("file://" + page)
    WebDriverWait(driver, 20).until(
        lambda d: d.execute_script("return document.body.dataset.ready === 'true'"))
    bars = lambda cls: driver.find_elements(By.CSS_SELECTOR, f".bar.{cls}")  # noqa: E731
    shown = lambda cls: [b for b in bars(cls) if b.is_displayed()]  # noqa: E731
    # The example has outcomes of every kind, each drawn with its class.
    # Sections are drawn as they come into view, which the browser reports
    # when it gets to it: on a busy machine, some time after the page is ready.
    # The summary and the table above the text are about as high as the
    # window, so the text is brought into view first: where it starts
    # depends on the fonts the machine has.
    driver.execute_script("document.getElementById('text').scrollIntoView()")
    for k, kind in enumerate(["insertion", "deletion", "substitution", "correct"]):
        check(eventually(lambda: shown(f"k{k}")), f"no {kind} drawn")
    check(eventually(lambda: shown("ref") and shown("hyp")), "not both sides drawn")
    # The text is there, as text.
    check("Galeries Lafayette" in driver.find_element(By.ID, "text").text, "text missing")
    # Hiding the corrects hides them, and only them.
    driver.find_element(By.CSS_SELECTOR, "input[data-kind='3']").click()
    check(not shown("k3"), "corrects still shown after the filter")
    check(shown("k1") and shown("k2"), "errors hidden by the corrects filter")
    check(driver.find_element(By.ID, "shown").text.startswith("7 of 10"),
          "count of shown outcomes: " + driver.find_element(By.ID, "shown").text)
    # The "next error" key chooses the first error.
    driver.find_element(By.TAG_NAME, "body").send_keys("n")
    details = driver.find_element(By.ID, "details").text
    check(details.startswith("Outcome 2: deletion"), "details after n: " + details[:80])
    check("director of Acme Robotics" in details, "details lack the entity's text")
    # The deletion overlaps a hypothesis entity, which one click brings up.
    other = driver.find_elements(By.CSS_SELECTOR, "#details button.other")
    check(len(other) == 1 and "Acme Robotics" in other[0].text and "hypothesis.txt:1"
          in other[0].text, "overlapped entities: " + ", ".join(o.text for o in other))
    check_looks("a wide window")
    driver.save_screenshot(os.path.join(output, "html_report.png"))
    if other:
        other[0].click()
        check("Acme Robotics" in driver.find_element(By.ID, "details").text and
              not driver.find_element(By.ID, "details").text.startswith("Outcome 2:"),
              "the overlapped entity's outcome is not shown")
    # The per-type table, its averages, and the overlapping miss.
    table = driver.find_element(By.ID, "table").text
    for what in ("micro avg", "macro avg", "weighted avg", "Overlapping misses: 1"):
        check(what in table, f"per-type table lacks {what!r}")
    # The summary leads to the document, below the filter bar.
    driver.find_element(By.ID, "to-document").click()
    looks = driver.execute_script(LOOKS)
    check(looks["controls"][1] - 0.5 <= looks["document"][0] < looks["height"],
          f"the document at {looks['document'][0]} after the summary's link, filter bar "
          f"ending at {looks['controls'][1]}")
    # In a narrow window the filters take more lines; the details still
    # stay below them and within the window.
    driver.set_window_size(760, 700)
    driver.find_element(By.TAG_NAME, "body").send_keys("n")
    time.sleep(0.3)  # the bar's height reaches the details on the next frame
    check_looks("a narrow window")
    driver.set_window_size(1200, 1400)
    time.sleep(0.3)
    # A document that fits in one part has no part navigator.
    check(not driver.find_element(By.ID, "parts").is_displayed(), "a part navigator shown")
    check(not driver.find_elements(By.CSS_SELECTOR, ".part-edge"), "part edges shown")
    # A corpus's page: an index of its documents, one on view at a time.
    corpus = os.path.join(source, "tests", "e2e", "fixtures", "corpus")
    corpus_page = os.path.join(output, "html_report_corpus.html")
    subprocess.run([orvane, "--corpus", "--html", corpus_page, "task.lua", "ref", "hyp"],
                   cwd=corpus, env=env, check=True, stdout=subprocess.DEVNULL)
    driver.get("file://" + corpus_page)
    WebDriverWait(driver, 20).until(
        lambda d: d.execute_script("return document.body.dataset.ready === 'true'"))
    index = driver.find_elements(By.CSS_SELECTOR, "#index a")
    check(len(index) == 4, f"{len(index)} documents in the index")
    # One click on F puts the worst document first; a second, the best.
    heads = driver.find_elements(By.CSS_SELECTOR, "#index th button")
    check([h.text for h in heads][5:] == ["SER", "P", "R", "F"], "index columns: " +
          " ".join(h.text for h in heads))
    f_of = lambda: [c.get_attribute("data-v") for c in  # noqa: E731
                    driver.find_elements(By.CSS_SELECTOR, "#index tbody td:nth-of-type(8)")]
    values = [float(v) for v in f_of() if v]
    heads[8].click()
    first = f_of()[0]
    check(first and float(first) == min(values), f"worst F first: {f_of()}")
    heads[8].click()
    check(f_of()[0] and float(f_of()[0]) == max(values), f"best F first: {f_of()}")
    index = driver.find_elements(By.CSS_SELECTOR, "#index a")
    heads[0].click()
    index = driver.find_elements(By.CSS_SELECTOR, "#index a")
    index[2].click()
    check(driver.find_element(By.ID, "text").text.startswith("Anna met Bob"),
          "the third document is not on view")
    check("sub/b.txt" in driver.find_element(By.CSS_SELECTOR, "#document h2").text,
          "the document on view is not named")
    check(eventually(lambda: shown("k2")), "the third document's substitution is not drawn")
    # A brat document's page names each entity's annotation, as the listing
    # does: the first error is T2's change of type.
    brat_page = os.path.join(output, "html_report_brat.html")
    subprocess.run([orvane, "--html", brat_page, "exact", "reference.ann", "hypothesis.ann"],
                   cwd=os.path.join(examples, "brat"), env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    driver.get("file://" + brat_page)
    WebDriverWait(driver, 20).until(
        lambda d: d.execute_script("return document.body.dataset.ready === 'true'"))
    driver.find_element(By.TAG_NAME, "body").send_keys("n")
    details = driver.find_element(By.ID, "details").text
    check("reference.ann:2 (T2)" in details and "hypothesis.ann:2 (T2)" in details,
          "the brat page's places: " + details[:200])
    check_long_document()
finally:
    driver.quit()

for f in failures:
    print("check_page:", f)
print("check_page:", "ok" if not failures else f"{len(failures)} failures",
      "- screenshot in", os.path.join(output, "html_report.png"))
sys.exit(1 if failures else 0)

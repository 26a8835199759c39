#!/usr/bin/env python3
"""Opens the visual report of the shipped example in headless Chromium and
checks what a reader sees: every kind of outcome drawn with its class, a
filter that hides what it should, the "next error" key, the details panel.
Saves a screenshot beside the page.

    check_page.py ORVANE SOURCE_DIR OUTPUT_DIR

Exits 77 (skipped) when Chromium, its driver or Python's selenium is
missing: scripts/install-deps --browser installs them.
"""
import os
import shutil
import subprocess
import sys

SKIP = 77


def skip(why):
    print(f"check_page: skipped: {why} (scripts/install-deps --browser installs it)")
    sys.exit(SKIP)


try:
    from selenium import webdriver
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
subprocess.run([orvane, "-d", "-i", "10", "--html", page, "task.lua", "reference.txt",
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


try:
    driver.get("file://" + page)
    WebDriverWait(driver, 20).until(
        lambda d: d.execute_script("return document.body.dataset.ready === 'true'"))
    bars = lambda cls: driver.find_elements(By.CSS_SELECTOR, f".bar.{cls}")  # noqa: E731
    shown = lambda cls: [b for b in bars(cls) if b.is_displayed()]  # noqa: E731
    # The example has outcomes of every kind, each drawn with its class.
    for k, kind in enumerate(["insertion", "deletion", "substitution", "correct"]):
        check(shown(f"k{k}"), f"no {kind} drawn")
    check(shown("ref") and shown("hyp"), "not both sides drawn")
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
    driver.save_screenshot(os.path.join(output, "html_report.png"))
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
    index[2].click()
    check(driver.find_element(By.ID, "text").text.startswith("Anna met Bob"),
          "the third document is not on view")
    check("sub/b.txt" in driver.find_element(By.CSS_SELECTOR, "#document h2").text,
          "the document on view is not named")
    check(shown("k2"), "the third document's substitution is not drawn")
finally:
    driver.quit()

for f in failures:
    print("check_page:", f)
print("check_page:", "ok" if not failures else f"{len(failures)} failures",
      "- screenshot in", os.path.join(output, "html_report.png"))
sys.exit(1 if failures else 0)

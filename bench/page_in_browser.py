#!/usr/bin/env python3
"""Opens a visual report in headless Chromium and times what a reader waits
for: the page ready, a jump to a quarter, half and the end of the text on
view (the first part of a long document), the "previous error" key from the
start (the last error, in the last part) and the "next error" key. Needs chromium, chromium-driver and python3-selenium
(scripts/install-deps --browser); run with /usr/bin/python3.

    page_in_browser.py PAGE
"""
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1200,1000",
             "--disable-dev-shm-usage"):
    options.add_argument(flag)
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
driver.set_page_load_timeout(300)
try:
    start = time.time()
    driver.get("file://" + sys.argv[1])
    WebDriverWait(driver, 300).until(
        lambda d: d.execute_script("return document.body.dataset.ready === 'true'"))
    print(f"ready {time.time() - start:.2f} s", end="")
    for share in (0.25, 0.5, 0.999):
        start = time.time()
        driver.execute_script(f"window.scrollTo(0, document.body.scrollHeight * {share})")
        bars = driver.execute_script(
            "return new Promise(r => requestAnimationFrame(() => requestAnimationFrame("
            "() => r(document.querySelectorAll('.bar').length))))")
        print(f"; to {share:.0%} {time.time() - start:.2f} s ({bars} drawn)", end="")
    parts = driver.execute_script(
        "var p = document.getElementById('parts');"
        "return !p || p.hidden ? 1 :"
        " +document.getElementById('part-at').textContent.split(' ').pop()")
    for key, what in (("p", "last error"), ("n", "next error")):
        start = time.time()
        driver.find_element(By.TAG_NAME, "body").send_keys(key)
        driver.execute_async_script(
            "var done = arguments[0];"
            "requestAnimationFrame(() => requestAnimationFrame(() => done()))")
        print(f"; {what} {time.time() - start:.2f} s", end="")
    print(f" ({parts} parts)")
finally:
    driver.quit()

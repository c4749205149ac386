#!/usr/bin/python3
"""imagetune-sim serve in a real headless Chromium: the page a person sees, driven as a person drives it.

Usage: ServeBrowserTest.py TOOL SCREENSHOT   (TOOL may carry an emulator in front: it is split at blanks)
Exit 0 when every check passed, 77 when it cannot run here (no Chromium, driver or Selenium), 1 otherwise.

It starts serve on a fresh device root, asking for its token as a server beyond loopback does, and opens the
address serve prints: the token leaves the address bar for a cookie that no script reads. Then:
  - changes a control (brightness) and sees the value come back from the library and its IA command listed;
  - switches the channel to the day/night scheme mode, tells the sensor it is night, runs the clock, and sees
    the page show the night scheme;
  - opens the 24-hour view and checks what it draws;
  - keeps a screenshot of the page at SCREENSHOT.
"""
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.request

SKIP = 77

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    print("skipped: python3-selenium is not installed (scripts/setup.sh installs it)")
    sys.exit(SKIP)

CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
DRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"


def start_server(tool, root, log):
    command = tool.split() + ["--root", root, "serve", "--port", "0", "--require-token"]
    server = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=log, stdin=subprocess.DEVNULL)
    deadline = time.time() + 60
    while time.time() < deadline:
        with open(log.name) as text:
            found = re.search(r"serving \d+ channels? on (http://[0-9.]+:\d+/)\?token=([0-9a-f]+) ", text.read())
        if found:
            return server, found.group(1), found.group(2)
        if server.poll() is not None:
            break
        time.sleep(0.1)
    server.kill()
    with open(log.name) as text:
        raise AssertionError("serve did not start:\n" + text.read())


def api(base, token, path):
    request = urllib.request.Request(base + path.lstrip("/"), headers={"Authorization": "Bearer " + token})
    with urllib.request.urlopen(request, timeout=30) as answer:
        return json.load(answer)


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    # Headless as root on a machine without network: no sandbox, no shared memory folder, nothing fetched.
    for flag in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--disable-gpu",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--no-first-run", "--window-size=1400,1000", "--user-data-dir=" + profile):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service(DRIVER), options=options)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def main():
    tool, screenshot = sys.argv[1], sys.argv[2]
    if not (os.path.exists(CHROMIUM) and os.path.exists(DRIVER)):
        print("skipped: chromium or chromium-driver is not installed (scripts/setup.sh installs them)")
        return SKIP
    work = tempfile.mkdtemp(prefix="imagetune-serve-browser-")
    log = open(os.path.join(work, "serve.log"), "w+")
    server, base, token = start_server(tool, os.path.join(work, "root"), log)
    driver = None
    try:
        driver = browser(os.path.join(work, "profile"))
        wait = WebDriverWait(driver, 30)
        driver.get(base + "?token=" + token)
        wait.until(lambda d: d.find_element(By.TAG_NAME, "body").get_attribute("data-ready") == "true")
        check(driver.current_url == base, f"the token left the address bar: {driver.current_url}")
        check(token not in driver.execute_script("return document.cookie"), "no script reads the token")

        # The UI comes from the channel's UI style: its tabs as sections, its parameters as controls.
        tabs = [t.get_attribute("id") for t in driver.find_elements(By.CSS_SELECTOR, "#ui .tab")]
        check("tab-image" in tabs and "tab-exposure" in tabs, f"tabs of the UI style: {tabs}")
        driver.find_element(By.ID, "tab-button-image").click()
        mirror = Select(driver.find_element(By.ID, "control-2384"))
        check([o.get_attribute("value") for o in mirror.options] == ["0", "1", "2", "3"],
              "a parameter with choices is a select of their indexes")
        driver.find_element(By.ID, "tab-button-exposure").click()
        check("sensor range 25 30 50" in driver.find_element(By.CSS_SELECTOR, "#row-49 .range").text,
              "a range key shows the sensor's range")
        driver.find_element(By.ID, "tab-button-image").click()

        # A changed control goes through the library and its IA command shows.
        brightness = driver.find_element(By.ID, "control-34")
        check(brightness.get_attribute("value") == "50", "brightness starts at its factory value")
        brightness.send_keys(Keys.CONTROL, "a")
        brightness.send_keys("63", Keys.TAB)
        wait.until(lambda d: "accepted" in d.find_element(By.ID, "write-result").text)
        rows = driver.find_elements(By.CSS_SELECTOR, "#ia-commands tbody tr[data-command='34']")
        check(rows and "63" in rows[0].text and "set" in rows[0].text, "the IA command of the write is listed")
        values = {p["key"]: p["value"] for p in api(base, token, f"/api/channels/1/values")["values"]}
        check(values[34] == 63, f"the library holds the new brightness: {values[34]}")
        check(driver.find_element(By.ID, "control-34").get_attribute("value") == "63", "the page shows it")

        # Day/night: scheme mode 2 in scheme 0, night at the sensor, a few passes of the sensor thread.
        driver.find_element(By.ID, "tab-button-scheme").click()
        Select(driver.find_element(By.ID, "control-8000")).select_by_value("2")
        wait.until(lambda d: "(8000,2): accepted" in d.find_element(By.ID, "write-result").text)
        wait.until(lambda d: d.find_element(By.ID, "scheme-mode").text == "day/night")
        Select(driver.find_element(By.ID, "daynight-select")).select_by_value("1")
        driver.find_element(By.ID, "daynight-set").click()
        wait.until(lambda d: d.find_element(By.ID, "world-daynight").text.startswith("night"))
        check(driver.find_element(By.ID, "current-scheme").get_attribute("data-scheme") == "0",
              "no pass ran yet: still the day scheme")
        driver.find_element(By.ID, "run").click()
        wait.until(lambda d: d.find_element(By.ID, "current-scheme").get_attribute("data-scheme") == "1")
        check("switched from scheme 0 to scheme 1" in driver.find_element(By.ID, "switches").text,
              "the run lists the switch it made")
        check(driver.find_element(By.ID, "header-clock").text == "12:00:02", "the clock moved on by the run")

        # The 24-hour view: drawn, by day scheme 0 and by night scheme 1, all day long.
        driver.find_element(By.ID, "timeline-open").click()
        wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#timeline-svg rect.segment"))
        segments = driver.find_elements(By.CSS_SELECTOR, "#timeline-svg rect.segment")
        drawn = {(s.get_attribute("data-row"), s.get_attribute("data-scheme"), s.get_attribute("data-from"),
                  s.get_attribute("data-to")) for s in segments}
        check(drawn == {("day", "0", "00:00", "24:00"), ("night", "1", "00:00", "24:00")}, f"the day drawn: {drawn}")
        check(driver.find_elements(By.ID, "timeline-now"), "the clock is marked")

        # The whole page, as tall as it is.
        driver.find_element(By.ID, "tab-button-image").click()
        os.makedirs(os.path.dirname(os.path.abspath(screenshot)), exist_ok=True)
        size = driver.execute_cdp_cmd("Page.getLayoutMetrics", {})["cssContentSize"]
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                               {"width": 1400, "height": int(size["height"]) + 20, "deviceScaleFactor": 1,
                                "mobile": False})
        driver.save_screenshot(screenshot)
        check(os.path.getsize(screenshot) > 10000, "the screenshot holds the page")
        driver.quit()
        driver = None
        server.send_signal(signal.SIGTERM)
        check(server.wait(timeout=30) == 0, "serve ends with status 0 on SIGTERM")
        print(f"browser test passed; screenshot {screenshot}")
        return 0
    finally:
        if driver is not None:
            driver.quit()
        if server.poll() is None:
            server.kill()
            server.wait()
        log.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    try:
        sys.exit(main())
    except AssertionError as failure:
        print(f"browser test failed: {failure}")
        sys.exit(1)

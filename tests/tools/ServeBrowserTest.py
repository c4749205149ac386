#!/usr/bin/python3
"""imagetune-sim serve in a real headless Chromium: the page a person sees, driven as a person drives it.

Usage: ServeBrowserTest.py TOOL SCREENSHOT   (TOOL may carry an emulator in front: it is split at blanks)
Exit 0 when every check passed, 77 when it cannot run here (no Chromium, driver or Selenium), 1 otherwise.

It starts serve on a fresh device root, asking for its token as a server beyond loopback does, and opens the
address serve prints: the token leaves the address bar for a cookie that no script reads. Then:
  - reads the controls as the style names them, without the hidden ones, and presses a one-shot action;
  - searches the controls of every tab by key, name and label;
  - changes a control (brightness) and sees the value come back from the library, its IA command listed, the
    row marked unsaved and counted beside Flush; a change made through the API shows without a reload; flush
    clears the marks;
  - writes a value out of range and sees the row refused, the value put back, and "Last write" say so;
  - asks for a factory reset, cancels it, then confirms it;
  - switches the channel to the day/night scheme mode, tells the sensor it is night, runs the clock, sees the
    page show the night scheme, and after a reload the day/night selector still says night;
  - runs a whole day in pieces, and cancels a run after its first piece;
  - opens the 24-hour view and checks what it draws;
  - keeps a screenshot of the page at SCREENSHOT, and one as a phone shows it (390 px wide, no sideways
    scroll) next to it.
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


def api(base, token, path, body=None):
    headers = {"Authorization": "Bearer " + token}
    data = None
    if body is not None:
        headers["Content-Type"] = "application/json"
        data = json.dumps(body).encode()
    request = urllib.request.Request(base + path.lstrip("/"), data=data, headers=headers)
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
    # The page asks before a reload would lose unsaved values; the test accepts.
    options.set_capability("unhandledPromptBehavior", "accept")
    return webdriver.Chrome(service=Service(DRIVER), options=options)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def shown_rows(driver):
    return [r.get_attribute("id") for r in driver.find_elements(By.CSS_SELECTOR, "#ui .control") if r.is_displayed()]


def search(driver, wait, text):
    box = driver.find_element(By.ID, "search")
    box.send_keys(Keys.CONTROL, "a")
    box.send_keys(Keys.BACK_SPACE)
    if text:
        box.send_keys(text)
    wait.until(lambda d: d.find_element(By.ID, "search").get_attribute("value") == text)
    return shown_rows(driver)


def type_into(driver, element_id, text):
    box = driver.find_element(By.ID, element_id)
    box.send_keys(Keys.CONTROL, "a")
    box.send_keys(text, Keys.TAB)


def served_count(log, line):
    log.flush()
    with open(log.name) as text:
        return text.read().count(line)


def unsaved_count(driver):
    return driver.find_element(By.ID, "unsaved-count").get_attribute("data-count")


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

        # Labels from the style's names, the key in small print; no hidden control; one-shot actions as buttons.
        check(driver.find_element(By.CSS_SELECTOR, "#row-8240 label").text.startswith("DDE strength"),
              "a readable label")
        check("dde_strength 8240" in driver.find_element(By.CSS_SELECTOR, "#row-8240 .key").text, "the key in small print")
        check(not driver.find_elements(By.ID, "row-13"), "a control the style hides is not shown")
        driver.find_element(By.ID, "tab-button-lens").click()
        zoom = driver.find_element(By.ID, "control-1569")
        check(zoom.tag_name == "button" and zoom.text == "Zoom in", "a one-shot action is a button")
        for _ in range(2):
            zoom.click()
            wait.until(lambda d: "(1569,1)(1569,0): accepted" in d.find_element(By.ID, "write-result").text)
            check(len(driver.find_elements(By.CSS_SELECTOR, "#ia-commands tbody tr[data-command='1569']")) == 2,
                  "every press acts: on, then off")
            driver.execute_script("document.getElementById('write-result').textContent = ''")

        # Search across tabs by key, name or label; clearing it brings the tab back.
        for text, found, why in (("dde", ["row-8240"], "by name, in another tab than the one shown"),
                                 ("2337", ["row-2337"], "by key"),
                                 ("day-to-night", ["row-145", "row-149", "row-150"], "by label"),
                                 ("focus near", ["row-1553"], "by label, with a blank")):
            rows = search(driver, wait, text)
            check(rows == found, f"{text!r} finds {found} {why}: {rows}")
        check("1 control match" in driver.find_element(By.ID, "search-result").text, "the number of matches")
        check(search(driver, wait, "nothing-like-it") == [] and
              "No control" in driver.find_element(By.ID, "search-result").text, "no match says so")
        rows = search(driver, wait, "")
        check("row-1569" in rows and "row-34" not in rows, "without a search, the tab chosen before")
        driver.find_element(By.ID, "tab-button-image").click()

        # A changed control goes through the library and its IA command shows; it is unsaved until flushed.
        brightness = driver.find_element(By.ID, "control-34")
        check(brightness.get_attribute("value") == "50", "brightness starts at its factory value")
        check(unsaved_count(driver) == "0", "nothing unsaved at the start")
        type_into(driver, "control-34", "63")
        wait.until(lambda d: "accepted" in d.find_element(By.ID, "write-result").text)
        rows = driver.find_elements(By.CSS_SELECTOR, "#ia-commands tbody tr[data-command='34']")
        check(rows and "63" in rows[0].text and "set" in rows[0].text, "the IA command of the write is listed")
        values = {p["key"]: p["value"] for p in api(base, token, "/api/channels/1/values")["values"]}
        check(values[34] == 63, f"the library holds the new brightness: {values[34]}")
        check(driver.find_element(By.ID, "control-34").get_attribute("value") == "63", "the page shows it")
        wait.until(lambda d: unsaved_count(d) == "1")
        check("unsaved" in driver.find_element(By.ID, "row-34").get_attribute("class").split(), "the row is marked")
        check("holds 50" in driver.find_element(By.CSS_SELECTOR, "#row-34 .saved").text, "with the saved value")
        check("1 unsaved" in driver.find_element(By.ID, "unsaved-count").text, "the count beside Flush")
        tabs = [b.get_attribute("id") for b in driver.find_elements(By.CSS_SELECTOR, "#tabs button.unsaved")]
        check(tabs == ["tab-button-image"], f"the tab that holds it is marked: {tabs}")

        # A change made elsewhere shows without a reload.
        api(base, token, "/api/channels/1/parameters", {"pairs": [{"key": 2337, "value": 44}]})
        wait.until(lambda d: d.find_element(By.ID, "control-2337").get_attribute("value") == "44")
        wait.until(lambda d: unsaved_count(d) == "2")
        check("unsaved" in driver.find_element(By.ID, "row-2337").get_attribute("class").split(), "marked too")

        driver.find_element(By.ID, "flush").click()
        wait.until(lambda d: unsaved_count(d) == "0")
        check(not driver.find_elements(By.CSS_SELECTOR, "#ui .control.unsaved"), "flush clears every mark")
        check("all saved" in driver.find_element(By.ID, "unsaved-count").text, "and says so")

        # A refused write: the value the channel holds back in the control, the row and "Last write" say so.
        type_into(driver, "control-34", "999")
        wait.until(lambda d: "refused" in d.find_element(By.ID, "write-result").text)
        check("(34,999)" in driver.find_element(By.ID, "write-result").text, "Last write shows the refused write")
        wait.until(lambda d: d.find_element(By.ID, "control-34").get_attribute("value") == "63")
        check(driver.find_element(By.ID, "control-34-slider").get_attribute("value") == "63", "the slider too")
        classes = driver.find_element(By.ID, "row-34").get_attribute("class").split()
        check("refused" in classes and "sent" not in classes, f"the row is marked refused: {classes}")
        check("outside" in driver.find_element(By.CSS_SELECTOR, "#row-34 .note").text, "the row says why")
        check("none sent" in driver.find_element(By.ID, "ia-commands").text, "no IA command of the refused write")

        # A factory reset asks first; cancelled, nothing changes.
        driver.find_element(By.ID, "reset").click()
        dialog = driver.find_element(By.ID, "reset-dialog")
        wait.until(lambda d: dialog.get_attribute("open") is not None)
        driver.find_element(By.ID, "reset-cancel").click()
        wait.until(lambda d: dialog.get_attribute("open") is None)
        check({p["key"]: p["value"] for p in api(base, token, "/api/channels/1/values")["values"]}[34] == 63,
              "a cancelled reset changes nothing")
        driver.find_element(By.ID, "reset").click()
        wait.until(lambda d: dialog.get_attribute("open") is not None)
        driver.find_element(By.ID, "reset-confirm").click()
        wait.until(lambda d: "factory values applied" in d.find_element(By.ID, "scheme-message").text)
        wait.until(lambda d: d.find_element(By.ID, "control-34").get_attribute("value") == "50")
        # Escape closes it again without an answer, whatever the answer was the last time.
        driver.find_element(By.ID, "reset").click()
        wait.until(lambda d: dialog.get_attribute("open") is not None)
        webdriver.ActionChains(driver).send_keys(Keys.ESCAPE).perform()
        wait.until(lambda d: dialog.get_attribute("open") is None)
        # A reset sent on closing would go before the page's next two polls.
        polls = served_count(log, "GET /api/channels/1/values ->")
        wait.until(lambda d: served_count(log, "GET /api/channels/1/values ->") >= polls + 2)
        resets = served_count(log, "POST /api/channels/1/reset ->")
        check(resets == 1, f"one reset, the confirmed one: {resets}")

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

        # After a reload the day/night selector shows what the sensor reports.
        driver.refresh()
        wait.until(lambda d: d.find_element(By.TAG_NAME, "body").get_attribute("data-ready") == "true")
        check(Select(driver.find_element(By.ID, "daynight-select")).first_selected_option.get_attribute("value") == "1",
              "the selector says night after a reload")

        # A whole day in pieces, with its progress; a run cancelled after its first piece.
        type_into(driver, "run-seconds", "86400")
        driver.find_element(By.ID, "run").click()
        wait.until(lambda d: "86400 passes from 12:00:02 to 12:00:02" in d.find_element(By.ID, "run-result").text)
        check(not driver.find_element(By.ID, "run-progress").is_displayed(), "the progress goes when the run ends")
        driver.execute_script("document.getElementById('run').click(); document.getElementById('run-cancel').click();")
        wait.until(lambda d: "(cancelled)" in d.find_element(By.ID, "run-result").text)
        check("1800 passes from 12:00:02 to 12:30:02" in driver.find_element(By.ID, "run-result").text,
              f"one piece ran: {driver.find_element(By.ID, 'run-result').text}")
        check(driver.find_element(By.ID, "run").is_enabled(), "a new run can start")

        # The 24-hour view: drawn, by day scheme 0 and by night scheme 1, all day long.
        driver.find_element(By.ID, "timeline-open").click()
        wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#timeline-svg rect.segment"))
        segments = driver.find_elements(By.CSS_SELECTOR, "#timeline-svg rect.segment")
        drawn = {(s.get_attribute("data-row"), s.get_attribute("data-scheme"), s.get_attribute("data-from"),
                  s.get_attribute("data-to")) for s in segments}
        check(drawn == {("day", "0", "00:00", "24:00"), ("night", "1", "00:00", "24:00")}, f"the day drawn: {drawn}")
        check(driver.find_elements(By.ID, "timeline-now"), "the clock is marked")

        # The whole page, as tall as it is, with an unsaved change.
        driver.find_element(By.ID, "tab-button-image").click()
        type_into(driver, "control-34", "58")
        wait.until(lambda d: "unsaved" in d.find_element(By.ID, "row-34").get_attribute("class").split())
        driver.find_element(By.TAG_NAME, "h1").click()
        os.makedirs(os.path.dirname(os.path.abspath(screenshot)), exist_ok=True)
        size = driver.execute_cdp_cmd("Page.getLayoutMetrics", {})["cssContentSize"]
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                               {"width": 1400, "height": int(size["height"]) + 20, "deviceScaleFactor": 1,
                                "mobile": False})
        driver.save_screenshot(screenshot)
        check(os.path.getsize(screenshot) > 10000, "the screenshot holds the page")

        # A phone: one column as wide as the screen, nothing to scroll sideways.
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                               {"width": 390, "height": 844, "deviceScaleFactor": 1, "mobile": True})
        driver.execute_script("window.scrollTo(0, 0)")
        wait.until(lambda d: d.execute_script("return window.innerWidth") == 390)
        widths = driver.execute_script(
            "const e = document.documentElement; return [e.scrollWidth, e.clientWidth, "
            "document.getElementById('ui-column').getBoundingClientRect().width, "
            "document.querySelector('aside').getBoundingClientRect().top, "
            "document.getElementById('ui-column').getBoundingClientRect().bottom]")
        check(widths[0] <= widths[1], f"no sideways scroll at 390 px: {widths[0]} > {widths[1]}")
        check(widths[2] >= 340, f"the controls take the screen's width: {widths[2]} px")
        check(widths[3] >= widths[4], "the panels come under the controls")
        phone = re.sub(r"(\.png)?$", "-390.png", screenshot, count=1)
        driver.save_screenshot(phone)
        check(os.path.getsize(phone) > 10000, "the phone's screenshot holds the page")
        check(served_count(log, "GET /favicon.svg -> 200") > 0 and served_count(log, "-> 404") == 0,
              "a favicon, and nothing missing")
        driver.quit()
        driver = None
        server.send_signal(signal.SIGTERM)
        check(server.wait(timeout=30) == 0, "serve ends with status 0 on SIGTERM")
        print(f"browser test passed; screenshots {screenshot} and {phone}")
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

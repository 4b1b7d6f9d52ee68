# Headless Chromium driven over the DevTools protocol, for the browser tests.
#
# Debian's chromium, started with --remote-debugging-pipe: the protocol's JSON
# messages travel over two pipes (the browser reads file descriptor 3 and
# writes 4, each message ended by a NUL byte), so nothing but the standard
# library is needed and no port is opened. Every browser gets a fresh profile
# folder, removed when it closes; nothing is fetched from the network.
#
#     browser = Browser(800, 600)
#     page = browser.open("http://127.0.0.1:PORT/index.html")
#     page.wait_for("document.title === 'done'", timeout=60)
#     png = page.canvas_png()
#     browser.close()
import base64
import fcntl
import json
import os
import select
import shutil
import subprocess
import tempfile
import time

CHROMIUM = os.environ.get("GLOWMOTION_CHROMIUM", "/usr/bin/chromium")


class BrowserError(Exception):
    pass


def available():  # why the browser cannot run here, or None
    if not (os.path.isfile(CHROMIUM) and os.access(CHROMIUM, os.X_OK)):
        return f"{CHROMIUM} is not installed (scripts/web.sh installs it)"
    return None


class Browser:
    def __init__(self, width=800, height=600, extra_args=()):
        self.profile = tempfile.mkdtemp(prefix="glowmotion-chromium-")
        to_browser_r, self._to_browser = os.pipe()
        self._from_browser, from_browser_w = os.pipe()
        # Out of the way of 3 and 4, where bash puts them for the browser.
        high_r = fcntl.fcntl(to_browser_r, fcntl.F_DUPFD, 10)
        high_w = fcntl.fcntl(from_browser_w, fcntl.F_DUPFD, 10)
        os.close(to_browser_r), os.close(from_browser_w)
        args = [
            CHROMIUM, "--headless=new", "--no-sandbox", "--disable-gpu-sandbox",
            "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--ignore-gpu-blocklist",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--no-first-run", "--no-default-browser-check", "--disable-extensions",
            "--mute-audio", f"--user-data-dir={self.profile}", f"--window-size={width},{height}",
            "--remote-debugging-pipe", *extra_args, "about:blank",
        ]
        shell = f'exec 3<&{high_r} 4>&{high_w} {high_r}<&- {high_w}>&-; exec "$@"'
        self.log = open(os.path.join(self.profile, "chromium.log"), "wb")
        self.process = subprocess.Popen(["/bin/bash", "-c", shell, "bash", *args], pass_fds=(high_r, high_w),
                                        stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT)
        os.close(high_r), os.close(high_w)
        self._buffer, self._next_id, self.width, self.height = b"", 0, width, height

    def close(self):
        if self.process.poll() is None:
            try:
                self.call("Browser.close", timeout=5)
                self.process.wait(timeout=10)
            except (BrowserError, subprocess.TimeoutExpired, OSError):
                self.process.kill()
                self.process.wait()
        os.close(self._to_browser), os.close(self._from_browser), self.log.close()
        shutil.rmtree(self.profile, ignore_errors=True)

    def _read_message(self, deadline):
        while b"\0" not in self._buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise BrowserError("the browser did not answer in time")
            if not select.select([self._from_browser], [], [], left)[0]:
                continue
            chunk = os.read(self._from_browser, 1 << 20)
            if not chunk:
                with open(os.path.join(self.profile, "chromium.log"), "rb") as log:
                    raise BrowserError("the browser closed its pipe:\n" + log.read()[-2000:].decode(errors="replace"))
            self._buffer += chunk
        message, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None, session=None, timeout=30):  # one command's result (raises on an error)
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self._to_browser, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            reply = self._read_message(deadline)
            if reply.get("id") == self._next_id:
                if "error" in reply:
                    raise BrowserError(f"{method}: {reply['error'].get('message')}")
                return reply.get("result", {})  # events in between are not needed

    def open(self, url):  # a new tab of exactly width x height CSS pixels at scale 1, at url
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        page = Page(self, session, target)
        page.call("Emulation.setDeviceMetricsOverride",
                  {"width": self.width, "height": self.height, "deviceScaleFactor": 1, "mobile": False})
        page.call("Page.navigate", {"url": url})
        return page


class Page:
    def __init__(self, browser, session, target):
        self.browser, self.session, self.target = browser, session, target

    def close(self):  # the tab, and its page stops running (once)
        if self.target:
            self.browser.call("Target.closeTarget", {"targetId": self.target})
            self.target = None

    def call(self, method, params=None, timeout=30):
        return self.browser.call(method, params, session=self.session, timeout=timeout)

    def evaluate(self, expression, timeout=30):  # a JavaScript expression's value (awaited when a promise)
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True}, timeout=timeout)
        if "exceptionDetails" in result:
            details = result["exceptionDetails"]
            text = details.get("exception", {}).get("description") or details.get("text")
            raise BrowserError(f"{expression}: {text}")
        return result["result"].get("value")

    def wait_for(self, expression, timeout=60, interval=0.05):  # polls until truthy; returns the value
        deadline = time.monotonic() + timeout
        while True:
            value = self.evaluate(expression)
            if value:
                return value
            if time.monotonic() > deadline:
                raise BrowserError(f"still false after {timeout} s: {expression}")
            time.sleep(interval)

    def press_key(self, key, code=None, key_code=0):  # pressed and released as a keyboard does: a gesture
        params = {"key": key, "code": code or key, "windowsVirtualKeyCode": key_code, "text": key[:len(key) == 1]}
        self.call("Input.dispatchKeyEvent", {"type": "keyDown", **params})
        self.call("Input.dispatchKeyEvent", {"type": "keyUp", **params})

    def canvas_png(self, selector="canvas"):
        url = self.evaluate(f"document.querySelector({json.dumps(selector)}).toDataURL('image/png')")
        return base64.b64decode(url.split(",", 1)[1])

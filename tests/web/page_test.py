#!/usr/bin/env python3
"""The browser build (build-web/, made by scripts/web.sh) in headless Chromium.

    page_test.py --site build-web --show build/glowmotion [unittest arguments]

Stills: for every scene and dance-floor sequence, the page's #start=S&fps=F&end=E
frames against `glowmotion --capture` of the same S, F, E: the last frame of
each must match the desktop's within 30 dB PSNR (each figure is printed).
Play: a key press starts the music and the show; the show clock follows the
music's clock and the credits come when the music reaches them; Escape leads
to the "play again" card and another press plays again from 0. With
?controls the watching keys pause, jump and step, the music following.
Errors: a missing data package, a browser that keeps the page silent and
missing music each give a readable message on the page.

One Chromium for the whole run (sound only after a real gesture, as in a
browser a person uses); each test opens its own tabs and closes them.
Exits 77 (skipped, or failed when the suite requires the browser tests, with
the reason) when build-web/ was not built or Chromium is missing.
"""
import argparse
import io
import json
import math
import os
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from chromium import Browser, available  # noqa: E402
from webserver import StaticServer  # noqa: E402

from PIL import Image, ImageChops, ImageStat  # noqa: E402

SITE = None
SHOW = None
BROWSER = None  # the one Chromium of this run
KEY_ENTER = ("Enter", "Enter", 13)
KEY_ESCAPE = ("Escape", "Escape", 27)

# (name, start, end, fps): the last frame of each, show time just before end.
STILLS = [
    ("turntable", 4.0, 4.501, 10),
    ("credits, the crew", 26.5, 27.001, 10),
    ("credits, the logo", 31.5, 32.001, 10),
    ("star tunnel", 39.5, 40.001, 10),
    ("dance floor, the wipe", 45.0, 45.501, 10),
    ("dance floor, groove: its colours carried from the frames before", 60.0, 60.101, 10),
    ("dance floor, groove (two seconds stepped at 30 fps)", 56.0, 58.001, 30),
    ("dance floor, greetings", 70.0, 70.401, 10),
    ("dance floor, shower", 89.5, 90.001, 10),
    ("end", 107.5, 108.001, 10),
    ("end, the pictures fading", 119.5, 120.001, 10),
]
MIN_PSNR = 30.0


def psnr(a, b):
    a, b = a.convert("RGB"), b.convert("RGB")
    if a.size != b.size:
        return 0.0
    squares = ImageStat.Stat(ImageChops.difference(a, b)).sum2
    mse = sum(squares) / (a.width * a.height * 3)
    return math.inf if mse == 0 else 10 * math.log10(255 * 255 / mse)


def setUpModule():
    global BROWSER
    # The browser refuses sound without a real gesture: a key press sent as
    # the keyboard sends it is one, a key event made by the page's own
    # script is none.
    BROWSER = Browser(800, 600, ["--autoplay-policy=document-user-activation-required"])


def tearDownModule():
    BROWSER.close()


def open_page(test, url):
    """A new tab at url, closed when the test ends."""
    page = BROWSER.open(url)
    test.addCleanup(page.close)
    return page


def state(page):
    return page.evaluate("JSON.stringify(window.glowmotion || null)")


def wait_state(page, wanted, timeout=90):
    expression = f"window.glowmotion && ({' || '.join(f'glowmotion.state === {json.dumps(w)}' for w in wanted)})"
    try:
        page.wait_for(expression, timeout=timeout)
    except Exception as error:
        raise AssertionError(f"page state not {wanted}: {state(page)}") from error
    return json.loads(state(page))


def note_shown(page):
    """The page's message box, if it is visible."""
    return page.evaluate("(() => { const n = document.getElementById('note');"
                         " return getComputedStyle(n).display === 'none' ? '' : n.textContent; })()")


class Stills(unittest.TestCase):
    def test_every_scene_matches_the_desktop(self):
        figures = []
        with StaticServer(SITE) as base:
            for name, start, end, fps in STILLS:
                with tempfile.TemporaryDirectory(prefix="glowmotion-web-still-") as folder:
                    frames = os.path.join(folder, "frames")
                    subprocess.run([SHOW, "--capture", frames, "--fps", str(fps), "--start-at", str(start),
                                    "--end-at", str(end)], check=True, capture_output=True)
                    names = sorted(n for n in os.listdir(frames) if n.endswith(".png"))
                    desktop = Image.open(os.path.join(frames, names[-1]))
                    desktop.load()
                page = BROWSER.open(f"{base}index.html#start={start}&fps={fps}&end={end}")
                try:
                    done = wait_state(page, ["done", "failed"], timeout=180)
                    self.assertEqual(done["state"], "done", done["message"])
                    self.assertEqual(done["frames"], len(names), f"{name}: frames drawn")
                    web = Image.open(io.BytesIO(page.canvas_png()))
                finally:
                    page.close()
                figure = psnr(desktop, web)
                figures.append((name, start, end, fps, len(names), figure))
                print(f"web still: {name}: [{start}, {end}) at {fps} fps, {len(names)} frames: "
                      f"PSNR {figure:.2f} dB", flush=True)
        for name, start, end, fps, count, figure in figures:
            self.assertGreaterEqual(figure, MIN_PSNR, f"{name} at [{start}, {end}) {fps} fps")


class Play(unittest.TestCase):
    def test_key_press_plays_in_step_with_the_music(self):
        with StaticServer(SITE) as base:
            page = open_page(self, f"{base}index.html?start=18.2")
            ready = wait_state(page, ["ready", "failed"])
            self.assertEqual(ready["state"], "ready", ready["message"])
            print(f"web play: ready (start card drawn) {ready['readyAt'] / 1000:.2f} s after the page began; "
                  f"loading steps (ms): {json.dumps({k: round(v) for k, v in ready['loading'].items()})}")
            pressed = time.monotonic()
            page.press_key(*KEY_ENTER)
            samples = []
            deadline = time.monotonic() + 60
            while time.monotonic() < deadline:
                now = json.loads(state(page))
                if now["state"] == "playing" and now["frames"] > 0:
                    samples.append(now)
                    if now["showTime"] > 19.6:
                        break
                time.sleep(0.05)
            wall = time.monotonic() - pressed
            self.assertTrue(samples, "the show never played")
            # Before 18.2 s is drawn, its frames from 0 run unseen at 60 fps.
            self.assertEqual(samples[0]["prepared"]["frames"], 1092, samples[0]["prepared"])
            self.assertIsNotNone(page.evaluate("glowmotion.music"), "no music decoded")
            last = samples[-1]
            self.assertGreater(last["showTime"], 19.6, f"the show did not reach the credits: {last}")
            for sample in samples:
                # Both read at the same frame: the music's own clock leads the
                # show clock by the output latency only.
                self.assertIsNotNone(sample["audioTime"])
                self.assertLess(abs(sample["audioTime"] - sample["showTime"]), 0.25, sample)
                expected = "turntable" if sample["showTime"] < 19.0 else "credits"
                if not 19.0 <= sample["showTime"] <= 19.1:
                    self.assertEqual(sample["scene"], expected, sample)
            # The music ran about as long as the wall clock (it is the clock).
            played = last["audioTime"] - 18.2
            self.assertLess(played, wall + 0.5)
            self.assertGreater(played, 1.0)
            first = page.evaluate("glowmotion.firstFrameAt - glowmotion.pressedAt")
            rate = page.evaluate("glowmotion.frames") / max(wall, 0.001)
            print(f"web play: first show frame {first:.0f} ms after the press; {last['frames']} frames "
                  f"in {wall:.2f} s ({rate:.1f} fps); show {last['showTime']:.3f} s, music {last['audioTime']:.3f} s")
            # The credits' yellow above the top bar, where the turntable
            # shows its orange and pink background.
            picture = Image.open(io.BytesIO(page.canvas_png())).convert("RGB")
            r, g, b = picture.getpixel((2, 2))
            self.assertTrue(r > 240 and 190 < g < 215 and b < 30, f"top left of the credits: {(r, g, b)}")

            page.press_key(*KEY_ESCAPE)
            ended = wait_state(page, ["ended"], timeout=10)
            self.assertEqual(page.evaluate("glowmotion.state"), "ended", ended)
            page.press_key(*KEY_ENTER)
            again = wait_state(page, ["playing"], timeout=30)
            page.wait_for("glowmotion.frames > " + str(last["frames"] + 2), timeout=30)
            replay = json.loads(state(page))
            self.assertLess(replay["showTime"], 5.0, f"play again starts at 0: {again}")
            self.assertEqual(replay["prepared"]["frames"], 0, "nothing to run before 0")
            self.assertEqual(replay["scene"], "turntable")


    def test_watching_keys(self):
        with StaticServer(SITE) as base:
            page = open_page(self, f"{base}index.html?controls&start=40")
            self.assertEqual(wait_state(page, ["ready", "failed"])["state"], "ready")
            page.press_key(*KEY_ENTER)
            page.wait_for("glowmotion.state === 'playing' && glowmotion.frames > 2", timeout=30)
            page.press_key(" ", "Space", 32)
            page.wait_for("document.getElementById('corner').textContent.endsWith('| paused')", timeout=10)
            held = page.evaluate("glowmotion.showTime")
            time.sleep(0.5)
            self.assertEqual(page.evaluate("glowmotion.showTime"), held, "the picture holds while paused")
            page.press_key("PageDown", "PageDown", 34)  # to the dance floor's start
            page.wait_for("glowmotion.showTime > 43", timeout=10)
            self.assertAlmostEqual(page.evaluate("glowmotion.showTime"), 43.9, places=4)
            # Forward: the frames from the one shown on, not the show again.
            jumped = json.loads(state(page))["prepared"]
            self.assertEqual(jumped["target"], 43.9)
            self.assertTrue(0 < jumped["frames"] <= (43.9 - held) * 60 + 1, jumped)
            page.press_key(".", "Period", 190)  # one frame on, still paused
            page.wait_for("glowmotion.showTime > 43.91", timeout=10)
            self.assertAlmostEqual(page.evaluate("glowmotion.showTime"), 43.9 + 1 / 60, places=4)
            page.press_key("i", "KeyI", 73)
            corner = page.wait_for("(t => t.includes('fps') && t)(document.getElementById('corner').textContent)",
                                   timeout=10)
            self.assertIn("43.92 s | dance floor: groove | paused", corner)
            page.press_key(" ", "Space", 32)
            page.wait_for("glowmotion.showTime > 44.2", timeout=30)
            now = json.loads(state(page))
            self.assertLess(abs(now["audioTime"] - now["showTime"]), 0.25, now)
            # Back: the show again from 0 up to the new place, then on with the music.
            page.press_key("ArrowLeft", "ArrowLeft", 37)
            page.wait_for("glowmotion.prepared.target < 40 && glowmotion.showTime > glowmotion.prepared.target"
                          " && glowmotion.showTime < 40", timeout=60)
            back = json.loads(state(page))
            self.assertLessEqual(abs(back["prepared"]["frames"] - back["prepared"]["target"] * 60), 1, back)
            self.assertEqual(back["scene"], "star tunnel")


class Errors(unittest.TestCase):
    def test_missing_data_package_is_said(self):
        with StaticServer(SITE, hidden={"glowmotion.data"}) as base:
            page = open_page(self, f"{base}index.html")
            failed = wait_state(page, ["failed", "ready"])
            self.assertEqual(failed["state"], "failed")
            text = note_shown(page)
            self.assertIn("glowmotion.data", text)
            self.assertIn("404", text)

    def test_silenced_page_says_so_and_waits(self):
        # A key event made by the page's own script is no gesture.
        with StaticServer(SITE) as base:
            page = open_page(self, f"{base}index.html")
            self.assertEqual(wait_state(page, ["ready", "failed"])["state"], "ready")
            page.evaluate("window.dispatchEvent(new KeyboardEvent('keydown', {key: 'Enter'})); true")
            page.wait_for("glowmotion.audioBlocked === true", timeout=20)
            self.assertEqual(page.evaluate("glowmotion.state"), "ready")
            self.assertIn("silent", note_shown(page))
            # The start card is still drawn behind the message.
            picture = Image.open(io.BytesIO(page.canvas_png())).convert("RGB")
            r, g, b = picture.getpixel((20, 20))
            self.assertTrue(r > 240 and 150 < g < 200 and b < 30, f"start card's orange: {(r, g, b)}")
            # A real key press then starts it.
            page.press_key(*KEY_ENTER)
            page.wait_for("glowmotion.state === 'playing' && glowmotion.frames > 2", timeout=30)
            self.assertEqual(note_shown(page), "")

    def test_missing_music_plays_in_silence(self):
        with StaticServer(SITE, hidden={"glowmotion.ogg", "glowmotion.mp3"}) as base:
            page = open_page(self, f"{base}index.html")
            ready = wait_state(page, ["ready", "failed"])
            self.assertEqual(ready["state"], "ready", ready["message"])
            page.wait_for("glowmotion.message.startsWith('No music')", timeout=30)
            self.assertIn("No music", note_shown(page))
            page.press_key(*KEY_ENTER)
            page.wait_for("glowmotion.state === 'playing' && glowmotion.showTime > 0.3", timeout=30)


def main():
    global SITE, SHOW
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", required=True)
    parser.add_argument("--show", required=True)
    args, rest = parser.parse_known_args()
    SITE, SHOW = os.path.abspath(args.site), os.path.abspath(args.show)
    if not os.path.isfile(os.path.join(SITE, "index.html")):
        print(f"web tests: {SITE} was not built (scripts/web.sh builds it)")
        sys.exit(77)
    why = available()
    if why:
        print(f"web tests: {why}")
        sys.exit(77)
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
# The browser build (build-web/, made by scripts/web.sh) in headless Chromium.
#
#     page_test.py --site build-web --show build/glowmotion [unittest arguments]
#
# Stills: for every scene and dance-floor sequence, the page's #start=S&fps=F&end=E
# frames against `glowmotion --capture` of the same S, F, E: the last frame of
# each must match the desktop's within 30 dB PSNR (each figure is printed).
# Play, in one visit: a key event made by the page's script leaves it silent
# and says so; a key press starts the music and the show, whose clock follows
# the music's; the watching keys (?controls) pause and jump, the music
# following; Escape leads to the "play again" card, and a press plays from 0.
# Errors: a missing data package and missing music each give a readable message.
#
# One Chromium for the whole run (sound only after a real gesture, as in a
# browser a person uses). Exits 77 (skipped, or failed when the suite requires
# the browser tests) when build-web/ was not built or Chromium is missing.
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

SITE = SHOW = BROWSER = None
ENTER, ESCAPE, SPACE = ("Enter", "Enter", 13), ("Escape", "Escape", 27), (" ", "Space", 32)
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


def setUpModule():
    global BROWSER  # a key press sent as the keyboard sends it is a gesture; one the page makes is none
    BROWSER = Browser(800, 600, ["--autoplay-policy=document-user-activation-required"])


def tearDownModule():
    BROWSER.close()


def visit(test, url, want="ready"):  # a new tab, closed when the test ends, once its state is settled
    page = BROWSER.open(url)
    test.addCleanup(page.close)
    test.assertEqual(wait(page, [want, "failed"], 180)["state"], want, state(page))
    return page


def state(page):
    return json.loads(page.evaluate("JSON.stringify(window.glowmotion || {})"))


def wait(page, wanted, timeout=90):
    page.wait_for(f"window.glowmotion && {json.dumps(wanted)}.includes(glowmotion.state)", timeout=timeout)
    return state(page)


def pixel(page, at):
    return Image.open(io.BytesIO(page.canvas_png())).convert("RGB").getpixel(at)


def note(page):  # the page's message box, if it is visible
    return page.evaluate("(n => getComputedStyle(n).display === 'none' ? '' : n.textContent)"
                         "(document.getElementById('note'))")


class Stills(unittest.TestCase):
    def test_every_scene_matches_the_desktop(self):
        with StaticServer(SITE) as base, tempfile.TemporaryDirectory(prefix="glowmotion-web-still-") as folder:
            for name, start, end, fps in STILLS:
                frames = os.path.join(folder, f"{start}s", "")  # a folder of PNG frames
                subprocess.run([SHOW, "--capture", frames, "--fps", str(fps), "--start-at", str(start),
                                "--end-at", str(end)], check=True, capture_output=True)
                names = sorted(n for n in os.listdir(frames) if n.endswith(".png"))
                page = visit(self, f"{base}index.html#start={start}&fps={fps}&end={end}", "done")
                self.assertEqual(state(page)["frames"], len(names), f"{name}: frames drawn")
                web = Image.open(io.BytesIO(page.canvas_png())).convert("RGB")
                page.close()
                desktop = Image.open(os.path.join(frames, names[-1])).convert("RGB")
                self.assertEqual(web.size, desktop.size)
                mse = sum(ImageStat.Stat(ImageChops.difference(desktop, web)).sum2) / (web.width * web.height * 3)
                figure = math.inf if mse == 0 else 10 * math.log10(255 * 255 / mse)
                print(f"web still: {name}: [{start}, {end}) at {fps} fps: PSNR {figure:.2f} dB", flush=True)
                self.assertGreaterEqual(figure, 30.0, name)


class Play(unittest.TestCase):
    def test_one_visit_silenced_played_watched_ended_and_replayed(self):
        with StaticServer(SITE) as base:
            page = visit(self, f"{base}index.html?controls&start=18.2")
            page.evaluate("window.dispatchEvent(new KeyboardEvent('keydown', {key: 'Enter'})); true")
            page.wait_for("glowmotion.audioBlocked === true", timeout=20)
            self.assertEqual((state(page)["state"], "silent" in note(page)), ("ready", True))
            r, g, b = pixel(page, (20, 20))
            self.assertTrue(r > 240 and 150 < g < 200 and b < 30, f"the start card's orange: {(r, g, b)}")

            pressed, samples = time.monotonic(), []
            page.press_key(*ENTER)
            while time.monotonic() < pressed + 60 and not (samples and samples[-1]["showTime"] > 19.6):
                now = state(page)
                samples += [now] if now["state"] == "playing" and now["frames"] > 0 else []
                time.sleep(0.05)
            wall = time.monotonic() - pressed
            self.assertTrue(samples and samples[-1]["showTime"] > 19.6, f"no credits: {samples[-1:]}")
            self.assertEqual(note(page), "")
            # Before 18.2 s is drawn, its frames from 0 run unseen at 60 fps.
            self.assertEqual(samples[0]["prepared"]["frames"], 1092, samples[0]["prepared"])
            for s in samples:  # the music's clock leads the show's by the output latency only
                self.assertLess(abs(s["audioTime"] - s["showTime"]), 0.25, s)
            self.assertTrue(1.0 < samples[-1]["audioTime"] - 18.2 < wall + 0.5, wall)  # the music is the clock
            r, g, b = pixel(page, (2, 2))  # the credits' yellow, where the turntable is orange and pink
            self.assertTrue(r > 240 and 190 < g < 215 and b < 30, f"top left of the credits: {(r, g, b)}")

            page.press_key(*SPACE)  # paused, then moved on twice: the picture and the music hold
            page.wait_for("document.getElementById('corner').textContent.endsWith('| paused')", timeout=10)
            for after in (36, 43):  # the star tunnel's start, the dance floor's
                page.press_key("PageDown", "PageDown", 34)
                page.wait_for(f"glowmotion.showTime > {after}", timeout=30)
            jumped = state(page)["prepared"]  # forward: the frames from the one shown on
            self.assertTrue(jumped["target"] == 43.9 and 0 < jumped["frames"] <= (43.9 - 36.1) * 60 + 1, jumped)
            time.sleep(0.5)
            self.assertAlmostEqual(page.evaluate("glowmotion.showTime"), 43.9, 4, "the picture holds while paused")
            page.press_key(*SPACE)
            page.wait_for("glowmotion.showTime > 44.2", timeout=30)
            self.assertLess(abs(state(page)["audioTime"] - state(page)["showTime"]), 0.25, state(page))
            page.press_key("ArrowLeft", "ArrowLeft", 37)  # back: the show from 0 up to there, then on
            page.wait_for("glowmotion.prepared.target < 40 && glowmotion.showTime > glowmotion.prepared.target"
                          " && glowmotion.showTime < 40", timeout=60)
            back = state(page)
            self.assertLessEqual(abs(back["prepared"]["frames"] - back["prepared"]["target"] * 60), 1, back)
            self.assertEqual(back["scene"], "star tunnel")

            page.press_key(*ESCAPE)
            frames = wait(page, ["ended"], 10)["frames"]
            page.press_key(*ENTER)
            page.wait_for(f"glowmotion.state === 'playing' && glowmotion.frames > {frames + 2}", timeout=30)
            replay = state(page)
            self.assertTrue(replay["showTime"] < 5.0 and replay["scene"] == "turntable", replay)
            self.assertEqual(replay["prepared"]["frames"], 0, "nothing to run before 0")


class Errors(unittest.TestCase):
    def test_missing_data_package_and_missing_music_are_said(self):
        with StaticServer(SITE, hidden={"glowmotion.data"}) as base:
            text = note(visit(self, f"{base}index.html", "failed"))
            self.assertTrue("glowmotion.data" in text and "404" in text, text)
        with StaticServer(SITE, hidden={"glowmotion.ogg", "glowmotion.mp3"}) as base:
            page = visit(self, f"{base}index.html")
            page.wait_for("glowmotion.message.startsWith('No music')", timeout=30)
            self.assertIn("No music", note(page))
            page.press_key(*ENTER)  # and it plays in silence
            page.wait_for("glowmotion.state === 'playing' && glowmotion.showTime > 0.3", timeout=30)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", required=True)
    parser.add_argument("--show", required=True)
    args, rest = parser.parse_known_args()
    SITE, SHOW = os.path.abspath(args.site), os.path.abspath(args.show)
    why = available() or (None if os.path.isfile(os.path.join(SITE, "index.html")) else
                          f"{SITE} was not built (scripts/web.sh builds it)")
    if why:
        print(f"web tests: {why}")
        sys.exit(77)
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)

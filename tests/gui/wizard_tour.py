#!/usr/bin/env python3
"""Runs the setup wizard under Wine in a prefix of the build tree.

  wizard_tour.py                 on $DISPLAY: the wizard to click through by hand
  wizard_tour.py --headless      under an Xvfb of its own: walks through the five pages on a
                                 Wine desktop (which draws the frames), installs with the
                                 defaults and saves a screenshot of every page
Options: --shots DIR (default docs/), --no-hidpi (skip the 144 dpi shots of the welcome and
ready pages). Exit code: the installer's.
"""
import argparse
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

import lggui

ROOT = Path(__file__).resolve().parents[2]
SETUP = r"C:\setup\lumagrove-setup64.exe"
DESKTOP = "Lumagrove"
SIZE = "900x650"


def prepare(name, display, dpi=None):
    prefix = lggui.gui_prefix(name, display, dpi=dpi)
    setup = prefix.host(SETUP)
    setup.parent.mkdir(parents=True, exist_ok=True)
    shutil.copy2(lggui.SETUP_EXE, setup)
    return prefix


class Tour:
    """The wizard on a Wine desktop of its own, driven page by page."""

    def __init__(self, display, prefix):
        self.display = display
        self.desktop = subprocess.Popen(["wine", "explorer", f"/desktop={DESKTOP},{SIZE}"],
                                        env=prefix.env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        time.sleep(3)
        prefix.env["LG_DESKTOP"] = DESKTOP
        self.drive = lggui.Driver(prefix)
        self.drive("start", rf"C:\setup|{SETUP}")
        self.drive("sheet", 30000, timeout=40)

    def shot(self, path):
        time.sleep(0.7)  # let the page finish painting
        self.display.screenshot(path, crop=f"{SIZE}+0+0")
        print(f"screenshot: {path}")

    def next(self, page):
        self.drive("press", "next", 120000, timeout=130)
        self.drive("waitpage", page, 120000, timeout=130)

    def close(self):
        self.drive.close()
        self.desktop.terminate()
        try:
            self.desktop.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.desktop.kill()


def headless(shots, hidpi):
    display = lggui.Display()
    try:
        prefix = prepare("wizard-tour", display)
        tour = Tour(display, prefix)
        try:
            names = ["welcome", "whats-new", "associations", "ready"]
            for page, name in enumerate(names):
                if page:
                    tour.next(page)
                tour.shot(shots / f"wizard-{page + 1}-{name}.png")
            tour.next(4)
            tour.shot(shots / "wizard-5-finish.png")
            # Leave without opening the FAQ page or starting the viewer.
            tour.drive("click", 4, 1022)
            tour.drive("click", 4, 1020)
            tour.drive("press", "cancel")
            code = int(tour.drive("wait-exit", 20000, timeout=30))
        finally:
            tour.close()
        target = prefix.host(r"C:\Program Files\Lumagrove")
        print(f"installed into {target} (exit code {code})")
        if hidpi:
            prefix = prepare("wizard-tour-144dpi", display, dpi=144)
            tour = Tour(display, prefix)
            try:
                tour.shot(shots / "wizard-1-welcome-144dpi.png")
                for page in (1, 2, 3):
                    tour.next(page)
                tour.shot(shots / "wizard-4-ready-144dpi.png")
                tour.drive("kill")
            finally:
                tour.close()
                prefix.remove()
        return code
    finally:
        display.close()


def on_display():
    if not os.environ.get("DISPLAY"):
        sys.exit("no $DISPLAY: run with --headless for screenshots under Xvfb")

    class Screen:
        name = os.environ["DISPLAY"]

    prefix = prepare("wizard-interactive", Screen)
    print(f"prefix: {prefix.path}")
    code = prefix.run(SETUP, timeout=24 * 3600)
    print(f"exit code {code}")
    return code


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--headless", action="store_true")
    parser.add_argument("--shots", type=Path, default=ROOT / "docs")
    parser.add_argument("--no-hidpi", dest="hidpi", action="store_false")
    args = parser.parse_args()
    return headless(args.shots, args.hidpi) if args.headless else on_display()


if __name__ == "__main__":
    sys.exit(main())

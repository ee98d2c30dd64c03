#!/usr/bin/env python3
"""Runs the setup wizard under Wine in a prefix of the build tree.

  wizard_tour.py                 on $DISPLAY: the wizard to click through by hand
  wizard_tour.py --headless      under an Xvfb of its own: walks through the five pages on a
                                 Wine desktop (which draws the frames), installs with the
                                 defaults and saves a screenshot of every page, cut to the
                                 wizard's window with its frame; then shoots the progress
                                 window of a silent run with /progress
Options: --shots DIR (default docs/), --no-hidpi (skip the 144 dpi shots of the welcome and
ready pages). Exit code: the wizard's installation's.
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
# Room for the wizard at 144 dpi too, within the 1280x1024 Xvfb screen.
SIZE = "1200x900"
PAUSE_AT_ENTRY = 20  # of the archive's 39


def prepare(name, display, dpi=None):
    prefix = lggui.gui_prefix(name, display, dpi=dpi)
    setup = prefix.host(SETUP)
    setup.parent.mkdir(parents=True, exist_ok=True)
    shutil.copy2(lggui.SETUP_EXE, setup)
    return prefix


class Desktop:
    """A Wine desktop of its own, which draws the frames, with the driver inside it."""

    def __init__(self, display, prefix):
        self.display = display
        self.explorer = subprocess.Popen(["wine", "explorer", f"/desktop={DESKTOP},{SIZE}"],
                                         env=prefix.env, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL)
        time.sleep(3)
        prefix.env["LG_DESKTOP"] = DESKTOP
        self.drive = lggui.Driver(prefix)

    def shoot(self, path, frame):
        """The part of the screen a window covers; frame is the driver's "left,top,width,height"
        (the Wine desktop lies at the screen's top left corner)."""
        left, top, width, height = map(int, frame.split(","))
        room = tuple(map(int, SIZE.split("x")))
        if left < 0 or top < 0 or left + width > room[0] or top + height > room[1]:
            raise lggui.GuiError(f"the window {frame} does not fit on the {SIZE} desktop")
        self.display.screenshot(path, crop=f"{width}x{height}+{left}+{top}")
        print(f"screenshot: {path}")

    def close(self):
        self.drive.close()
        self.explorer.terminate()
        try:
            self.explorer.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.explorer.kill()


class Tour(Desktop):
    """The wizard on the desktop, driven page by page."""

    def __init__(self, display, prefix):
        super().__init__(display, prefix)
        self.drive("start", rf"C:\setup|{SETUP}")
        self.drive("sheet", 30000, timeout=40)

    def shot(self, path):
        time.sleep(0.7)  # let the page finish painting
        self.shoot(path, self.drive("frame"))

    def next(self, page):
        self.drive("press", "next", 120000, timeout=130)
        self.drive("waitpage", page, 120000, timeout=130)


def progress_shot(display, path):
    """A real silent run with /progress, held by the driver half-way through the archive
    (its thread suspended, the window as drawn) while the screen is shot."""
    prefix = prepare("progress-shot", display)
    desktop = Desktop(display, prefix)
    try:
        desktop.drive("start", rf"C:\setup|{SETUP} /silent /progress")
        frame = desktop.drive("pause", PAUSE_AT_ENTRY, 60000, timeout=70)
        try:
            time.sleep(0.7)
            desktop.shoot(path, frame)
        finally:
            desktop.drive("resume")
        code = int(desktop.drive("wait-exit", 60000, timeout=70))
    finally:
        desktop.close()
        prefix.remove()
    if code != 0:
        raise lggui.GuiError(f"the silent run with /progress ended with {code}")


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
        progress_shot(display, shots / "progress.png")
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

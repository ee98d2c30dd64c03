"""Shared set-up of the wizard's GUI tests: one Xvfb display per test class, a fresh
GUI prefix per test with the stand-in browser registered, the driver, and snapshots of
what an installation leaves behind so that a wizard run can be compared with a silent one.
"""
import hashlib
import os
import shutil
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "gui"))
import lggui  # noqa: E402
import lgwine  # noqa: E402

SETUP = r"C:\setup\lumagrove-setup64.exe"
TARGET = r"C:\Program Files\Lumagrove"
BACK, NEXT, CANCEL = 12323, 12324, 2
YES, NO, OK = 6, 7, 1
QUIT_QUESTION = "Installation beenden?"
SHOTS = Path(os.environ.get("LG_WIZARD_SHOTS", lgwine.BUILD_DIR / "wizard-shots"))
# Files and registry parts that belong to the test tools or to Wine itself.
IGNORED_FILES = ("windows/", "setup/", "lgtools/", "lgbrowser.log", "users/root/Temp/",
                 "users/root/AppData/Local/Temp/", "ProgramData/Microsoft/Windows/")
IGNORED_KEYS = (r"software\wine", r"system\currentcontrolset\control\class",
                r"system\currentcontrolset\control\video", r"software\microsoft\windows\currentversion\explorer",
                r"system\currentcontrolset\control\session manager\environment",
                r"software\microsoft\windows nt\currentversion\fonts",
                r"software\microsoft\windows nt\currentversion\perflib")


class WizardTestCase(unittest.TestCase):
    """Each test gets its own prefix on the class's display and a driver in it."""

    dpi = None

    @classmethod
    def setUpClass(cls):
        cls.display = lggui.Display()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    maxDiff = None

    def setUp(self):
        self.prefix = self.new_prefix(self.id().split(".")[-1])
        self.drive = lggui.Driver(self.prefix)
        self.addCleanup(self.finish)

    def new_prefix(self, name):
        prefix = lggui.gui_prefix(f"gui_{name}", self.display, dpi=self.dpi)
        lggui.install_browser(prefix)
        setup = prefix.host(SETUP)
        setup.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(lggui.SETUP_EXE, setup)
        return prefix

    def finish(self):
        try:
            if self.drive("alive") == "1":
                self.drive("kill")
        except (lggui.GuiError, OSError):
            pass  # the prefix's wineserver was stopped to read its registry
        finally:
            self.drive.close()
            self.prefix.remove()

    # The wizard
    def start_wizard(self, command_line=SETUP):
        self.drive("start", rf"C:\setup|{command_line}")
        self.drive("sheet", 30000, timeout=40)

    def page(self):
        return int(self.drive("page"))

    def next_page(self, expected):
        self.assertEqual(self.drive("press", "next"), "done")
        self.drive("waitpage", expected)

    def button(self, button_id):
        return self.drive.fields("sheetstate", button_id)

    def state(self, page, control):
        return self.drive.fields("state", page, control)

    def checked(self, page, control):
        return self.state(page, control)["checked"] == "1"

    def shown(self, page, control):
        """WS_VISIBLE of the control itself (IsWindowVisible also asks its hidden page)."""
        return int(self.state(page, control)["style"], 16) & 0x10000000 != 0

    def enabled(self, page, control):
        return self.state(page, control)["enabled"] == "1"

    def dialog(self, timeout=15000):
        return self.drive.fields("dialog", timeout, timeout=timeout / 1000 + 5)

    def answer(self, button_id):
        self.drive("answer", button_id)

    def expect_message(self, text, answer=OK, buttons=None, default=None):
        box = self.dialog()
        self.assertEqual(box["text"], text)
        self.assertEqual(box["caption"], "Lumagrove 64-bit Setup")
        if buttons:
            self.assertEqual(box["buttons"], buttons)
        if default:
            self.assertEqual(box["default"], default)
        self.answer(answer)
        return box

    def exit_code(self, timeout=20000):
        return int(self.drive("wait-exit", timeout, timeout=timeout / 1000 + 5))

    def shot(self, name):
        return self.display.screenshot(SHOTS / f"{name}.png")

    # What an installation leaves behind
    def run_silent(self, prefix, options):
        """A silent run in prefix, started the way the wizard is; returns its exit code."""
        drive = lggui.Driver(prefix)
        try:
            drive("start", rf"C:\setup|{SETUP} /silent {options}".rstrip())
            return int(drive("wait-exit", 120000, timeout=130))
        finally:
            drive.close()


def installation_state(prefix):
    """Files (content hashes; links by name, their target times differ) and registry
    values that a run left, without the test tools' own traces."""
    prefix.stop()
    root = prefix.path / "drive_c"
    files = {}
    for path in root.rglob("*"):
        rel = path.relative_to(root).as_posix()
        if path.is_dir() or path.is_symlink() or rel.startswith(IGNORED_FILES):
            continue
        files[rel] = "link" if rel.endswith(".lnk") else hashlib.sha256(path.read_bytes()).hexdigest()
    registry = {}
    for hive in ("system.reg", "user.reg"):
        for key, entry in lgwine.Registry(prefix.path / hive).keys.items():
            if key.startswith(IGNORED_KEYS):
                continue
            for name, value in entry["values"].items():
                registry[(hive, key, name)] = value
    return files, registry

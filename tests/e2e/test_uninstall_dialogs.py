"""The interactive uninstaller under Xvfb: its question (No is the default and removes
nothing), then Yes and the result box, driven through lgdrive.exe."""
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "gui"))
import lggui  # noqa: E402
from test_integration import UNINSTALL  # noqa: E402

FOLDER = "C:\\Apps\\Lumagrove\\"
UNINSTALLER = FOLDER + "lgr_uninstall.exe"
CAPTION = "Lumagrove 64-bit Deinstallation"
QUESTION = "Möchten Sie Lumagrove 4.58 (64-bit) und alle seine Komponenten entfernen?"
REMOVED = "Lumagrove 4.58 (64-bit) wurde von Ihrem Computer entfernt."
YES, NO, OK = 6, 7, 1


class InteractiveRemoval(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = lggui.Display()
        cls.prefix = lggui.gui_prefix("uninstall-dialogs", cls.display)
        cls.setup_code = cls.prefix.setup(
            '/silent /folder="C:\\Apps\\Lumagrove" /group=1/desktop=1 /assoc=1')

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()
        cls.display.close()

    def box(self, drive):
        box = drive.fields("dialog", 15000, timeout=20)
        self.assertEqual(box["caption"], CAPTION)
        return box

    def test_no_keeps_the_installation_and_yes_removes_it(self):
        self.assertEqual(self.setup_code, 0)
        viewer = self.prefix.host(FOLDER + "lg_show64.exe")
        drive = lggui.Driver(self.prefix)
        try:
            drive("start", rf"C:\|{UNINSTALLER}")
            question = self.box(drive)
            self.assertEqual(question["text"], QUESTION)
            self.assertEqual(sorted(question["buttons"].split(",")), ["6", "7"])
            self.assertEqual(question["default"], str(NO))
            drive("answer", NO)
            self.assertEqual(drive("wait-exit", 20000, timeout=25), "2")
            self.assertTrue(viewer.exists())

            drive("start", rf"C:\|{UNINSTALLER}")
            self.assertEqual(self.box(drive)["text"], QUESTION)
            drive("answer", YES)
            result = self.box(drive)
            self.assertEqual(result["text"], REMOVED)
            self.assertEqual(result["buttons"], str(OK))
            drive("answer", OK)
            self.assertEqual(drive("wait-exit", 20000, timeout=25), "0")
        finally:
            if drive("alive") == "1":
                drive("kill")
            drive.close()
        self.assertFalse(viewer.exists())
        self.assertFalse(self.prefix.host(UNINSTALLER).exists())
        self.assertIsNone(self.prefix.machine().key(UNINSTALL))


if __name__ == "__main__":
    unittest.main()

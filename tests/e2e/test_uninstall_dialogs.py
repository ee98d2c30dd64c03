"""The interactive uninstaller under Xvfb: its question (No is the default and removes
nothing), then Yes and the result box, driven through lgdrive.exe."""
import contextlib
import os
import shutil
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
LINK_REFUSED = "ist ein Link oder eine Verzeichnisverbindung und wurde nicht verwendet"
FOLDER_REFUSED = f"Das Installationsverzeichnis {FOLDER} {LINK_REFUSED}.\n\nEs wurde nichts entfernt."
FILES_LEFT = ("Lumagrove 4.58 (64-bit) wurde entfernt, aber diese Dateien und Verzeichnisse "
              "konnten nicht gelöscht werden:\n\n")
YES, NO, OK = 6, 7, 1


def replace_by_link(prefix, winpath, outside):
    """Moves a folder to outside and puts a link to it in its place."""
    target = prefix.host(outside)
    target.parent.mkdir(parents=True, exist_ok=True)
    shutil.move(prefix.host(winpath), target)
    os.symlink(target, prefix.host(winpath))


class UninstallDialogs(unittest.TestCase):
    """One prefix on its own display per class, with the viewer installed silently."""
    NAME, OPTIONS = None, None

    @classmethod
    def setUpClass(cls):
        cls.display = lggui.Display()
        cls.prefix = lggui.gui_prefix(cls.NAME, cls.display)
        cls.setup_code = cls.prefix.setup(cls.OPTIONS)

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()
        cls.display.close()

    @contextlib.contextmanager
    def driving(self):
        """The GUI driver for the block; an uninstaller still running afterwards is ended."""
        drive = lggui.Driver(self.prefix)
        try:
            yield drive
        finally:
            if drive("alive") == "1":
                drive("kill")
            drive.close()

    def box(self, drive):
        box = drive.fields("dialog", 15000, timeout=20)
        self.assertEqual(box["caption"], CAPTION)
        return box


class InteractiveRemoval(UninstallDialogs):
    NAME = "uninstall-dialogs"
    OPTIONS = '/silent /folder="C:\\Apps\\Lumagrove" /group=1/desktop=1 /assoc=1'

    def test_no_keeps_the_installation_and_yes_removes_it(self):
        self.assertEqual(self.setup_code, 0)
        viewer = self.prefix.host(FOLDER + "lg_show64.exe")
        with self.driving() as drive:
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
        self.assertFalse(viewer.exists())
        self.assertFalse(self.prefix.host(UNINSTALLER).exists())
        self.assertIsNone(self.prefix.machine().key(UNINSTALL))


class InteractiveLinks(UninstallDialogs):
    """The installation folder as a link: a message and nothing removed. Then the Plugins
    folder as a link: removed without it, and the result names it."""
    NAME = "uninstall-dialogs-links"
    OPTIONS = f'/silent /folder="{FOLDER[:-1]}" /group=1'

    def test_a_linked_folder_is_refused_and_a_linked_plugins_folder_is_listed(self):
        self.assertEqual(self.setup_code, 0)
        p = self.prefix
        with self.driving() as drive:
            replace_by_link(p, FOLDER, r"C:\outside\Lumagrove")
            drive("start", rf"C:\|{UNINSTALLER}")
            refused = self.box(drive)
            self.assertEqual(refused["text"], FOLDER_REFUSED)
            drive("answer", OK)
            self.assertEqual(drive("wait-exit", 20000, timeout=25), "7")
            self.assertTrue(p.host(r"C:\outside\Lumagrove\lg_show64.exe").exists())

            p.host(FOLDER).unlink()
            shutil.move(p.host(r"C:\outside\Lumagrove"), p.host(FOLDER))
            replace_by_link(p, FOLDER + "Plugins", r"C:\outside\plugins")
            drive("start", rf"C:\|{UNINSTALLER}")
            self.assertEqual(self.box(drive)["text"], QUESTION)
            drive("answer", YES)
            result = self.box(drive)
            self.assertEqual(result["text"], FILES_LEFT + f"{FOLDER}Plugins: {LINK_REFUSED}")
            drive("answer", OK)
            self.assertEqual(drive("wait-exit", 20000, timeout=25), "3")
        self.assertTrue(p.host(r"C:\outside\plugins\Print.dll").exists())
        self.assertFalse(p.host(FOLDER + "lg_show64.exe").exists())


if __name__ == "__main__":
    unittest.main()

"""Real faults under Wine: a full disk, read-only drives, files held open by another
program, settings files the private-profile functions find hard to read.

The drives are small tmpfs mounts mapped as Wine drives; they need root (CI runs as
root). Every mount is undone in teardown, and one left over from an aborted run is
undone before the next mounts there.
"""
import os
import subprocess
import unittest
import zipfile

from e2e_support import (MESSAGE_7, MESSAGE_11, holding, ini_values, lgwine, log_messages,
                         pending_renames, temp_files)

PAYLOAD = lgwine.BUILD_DIR / "lumagrove-payload.zip"
MOUNTS = lgwine.WINE_ROOT / "mounts"
MESSAGE_12 = ("Warnung: Einige Dateien konnten nicht geschrieben werden, weil sie von einem "
              "anderen Programm verwendet werden. Die Installation ist unvollständig:")
BOM = b"\xff\xfe"
PREFIX = None


def setUpModule():
    global PREFIX
    PREFIX = lgwine.Prefix("faults")


def tearDownModule():
    PREFIX.remove()


def unmount(folder):
    for _ in range(5):
        if not os.path.ismount(folder):
            return
        if subprocess.run(["umount", str(folder)], capture_output=True).returncode != 0:
            subprocess.run(["umount", "-l", str(folder)], capture_output=True)


class Drive:
    """A tmpfs of `size` mapped as drive `letter` of the prefix; `fill` prepares it
    (a function of its host folder) before it is made read-only when asked."""

    def __init__(self, prefix, letter, size, read_only=False, fill=None):
        self.prefix, self.folder = prefix, MOUNTS / letter
        self.link = prefix.path / "dosdevices" / f"{letter}:"
        unmount(self.folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        r = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs",
                            str(self.folder)], capture_output=True, text=True)
        if r.returncode != 0:
            raise unittest.SkipTest(f"cannot mount a tmpfs (root needed): {r.stderr.strip()}")
        try:
            if fill:
                fill(self.folder)
            if read_only:
                subprocess.run(["mount", "-o", "remount,ro", str(self.folder)], check=True)
            self.link.unlink(missing_ok=True)
            self.link.symlink_to(self.folder)
        except BaseException:
            self.close()
            raise

    def close(self):
        self.link.unlink(missing_ok=True)
        self.prefix.stop()  # the wineserver may still hold a folder of the drive open
        unmount(self.folder)


class FullDisk(unittest.TestCase):
    # The walk fills the disk in Plugins/Icons.dll, after about 430 KB of files (each
    # rounded up to whole 4 KB pages); the larger the programs before it, the larger this.
    SIZE = "512k"

    @classmethod
    def setUpClass(cls):
        cls.drive = Drive(PREFIX, "e", cls.SIZE)
        try:
            cls.temp_before = temp_files(PREFIX)
            cls.code = PREFIX.setup(r"/silent /folder=E:\Lumagrove", r"C:\start-full")
        except BaseException:
            cls.drive.close()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.drive.close()

    def test_extraction_stops_with_exit_4_and_leaves_nothing_in_temp(self):
        self.assertEqual(self.code, 4)
        self.assertEqual(temp_files(PREFIX), self.temp_before)
        target = self.drive.folder / "Lumagrove"
        with zipfile.ZipFile(PAYLOAD) as archive:
            names = [i.filename for i in archive.infolist() if not i.is_dir()]
            written = [n for n in names if (target / n).exists()]
            # Mid-way: the first files are complete, the walk stopped before the end.
            self.assertGreater(len(written), 3)
            self.assertLess(len(written), len(names))
            for name in written[:-1]:
                self.assertEqual((target / name).read_bytes(), archive.read(name), name)
            self.assertEqual(written, names[:len(written)])
        # The file the disk filled up in never took its name, nor stayed as a scratch file.
        self.assertEqual(sorted(p.name for p in target.rglob("*.tmp")), [])

    def test_the_log_in_the_full_target_gets_its_entry(self):
        # Extraction made the full target the current folder, so the log is opened there
        # by its bare name. The file the disk filled up in is removed again, which leaves
        # room for the entry; the start folder gets nothing.
        self.assertIsNone(PREFIX.log(r"C:\start-full"))
        log = (self.drive.folder / "Lumagrove" / lgwine.LOG_NAME).read_bytes()
        self.assertEqual(log_messages(log), ["E:\\Lumagrove\\: " + MESSAGE_7])


class ReadOnlyDrive(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        def fill(folder):
            (folder / "Existing").mkdir()
            (folder / "Existing" / "keep.txt").write_bytes(b"the user's file")
        cls.drive = Drive(PREFIX, "f", "1m", read_only=True, fill=fill)

    @classmethod
    def tearDownClass(cls):
        cls.drive.close()

    def test_a_target_that_cannot_be_created_gives_message_11_and_exit_3(self):
        start = r"C:\start-ro"
        temp_before = temp_files(PREFIX)
        self.assertEqual(PREFIX.setup(r"/silent /folder=F:\Lumagrove", start), 3)
        self.assertEqual(log_messages(PREFIX.log(start)), [MESSAGE_11 + r": F:\Lumagrove" + "\\"])
        self.assertEqual(temp_files(PREFIX), temp_before)

    def test_an_existing_read_only_target_is_not_reported_as_installed(self):
        # The folder exists, so the walk runs, but no file can be written: the extraction
        # failed. Its log entry belongs in the target, which takes none: the exit code tells.
        start = r"C:\start-ro-existing"
        self.assertEqual(PREFIX.setup(r"/silent /folder=F:\Existing", start), 4)
        self.assertIsNone(PREFIX.log(start))
        self.assertEqual(sorted(p.name for p in (self.drive.folder / "Existing").iterdir()),
                         ["keep.txt"])

    def test_a_start_folder_without_write_access_still_gives_the_exit_code(self):
        setup = f'"{lgwine.dos_path(lgwine.SETUP_EXE)}" /silent /folder='
        self.assertEqual(PREFIX.run(setup, "F:\\"), 2)
        self.assertEqual(sorted(p.name for p in self.drive.folder.iterdir()), ["Existing"])

    def test_an_ini_folder_on_the_read_only_drive_keeps_the_settings_in_the_program_folder(self):
        check_uncreatable_ini_folder(self, r"F:\Settings", r"C:\IniReadOnly")


def check_uncreatable_ini_folder(test, ini_folder, target):
    """An INI folder that cannot be created: the run succeeds and the settings, old and
    new, stay where the viewer will look for them, the program folder."""
    program_ini = PREFIX.host(target) / "lg_show64.ini"
    program_ini.parent.mkdir(parents=True, exist_ok=True)
    program_ini.write_bytes(b"[Toolbar]\r\nSkin=mine.png\r\nSize=99\r\n[View]\r\nZoom=150\r\n")
    test.assertEqual(PREFIX.setup(f"/silent /folder={target} /ini={ini_folder}"), 0)
    values = ini_values(program_ini)
    test.assertNotIn(("Others", "INI_Folder"), values)
    for key, value in {("Toolbar", "Skin"): "mine.png", ("Toolbar", "Size"): "99",
                       ("View", "Zoom"): "150", ("Language", "DLL"): "DEUTSCH.DLL",
                       ("Language", "Lang"): "Deutsch"}.items():
        test.assertEqual(values.get(key), value, key)
    test.assertTrue(program_ini.read_bytes().startswith(BOM))


class HeldOpenFiles(unittest.TestCase):
    HELD = ["lg_show64.exe", r"Html\Vorlage_Bild.htm"]
    TARGET = r"C:\Held"

    def test_held_files_are_left_out_named_in_one_entry_and_exit_6(self):
        target = PREFIX.host(self.TARGET)
        (target / "Html").mkdir(parents=True, exist_ok=True)
        for name in self.HELD:
            (target / name.replace("\\", "/")).write_bytes(b"the running program's copy")
        with holding(PREFIX, [f"{self.TARGET}\\{name}" for name in self.HELD]):
            code = PREFIX.setup(f"/silent /folder={self.TARGET}", r"C:\start-held")
        self.assertEqual(code, 6)
        # The report comes after the extraction, so it lands in the target folder.
        self.assertIsNone(PREFIX.log(r"C:\start-held"))
        names = "".join(f"\n{self.TARGET}\\{name}" for name in self.HELD)
        self.assertEqual(log_messages(PREFIX.log(self.TARGET)), [MESSAGE_12 + names])
        with zipfile.ZipFile(PAYLOAD) as archive:
            for info in archive.infolist():
                path = target / info.filename
                with self.subTest(entry=info.filename):
                    if info.is_dir():
                        self.assertTrue(path.is_dir())
                    elif info.filename.replace("/", "\\") in self.HELD:
                        self.assertEqual(path.read_bytes(), b"the running program's copy")
                    else:
                        self.assertEqual(path.read_bytes(), archive.read(info))
        self.assertTrue((target / "lg_show64.ini").exists())  # the run went on after the walk
        # A folder users can write: nothing is left for a restart to follow by name, and
        # the new files that could not take their names are gone again.
        self.assertIsNone(pending_renames(PREFIX))
        self.assertEqual(sorted(p.name for p in target.rglob("*.tmp")), [])


class ExistingSettingsFiles(unittest.TestCase):
    LONG = "x" * 3000  # longer than one piece of the conversion

    def install_over(self, name, data):
        target = rf"C:\Settings{name}"
        program_ini = PREFIX.host(target) / "lg_show64.ini"
        program_ini.parent.mkdir(parents=True, exist_ok=True)
        program_ini.write_bytes(data)
        code = PREFIX.setup(f"/silent /folder={target} /ini=")
        return code, program_ini

    def test_a_utf16_file_keeps_every_key_and_stays_utf16(self):
        text = ("; UNICODE FILE - edit with care ;-)\r\n\r\n[Toolbar]\r\nSkin=mine.png\r\n"
                "Size=99\r\n[Recent]\r\nFile1=C:\\Bilder\\Ærø Ω.jpg\r\n")
        code, ini = self.install_over("Utf16", BOM + text.encode("utf-16-le"))
        self.assertEqual(code, 0)
        data = ini.read_bytes()
        self.assertTrue(data.startswith(BOM))
        self.assertFalse(data[2:].startswith(BOM), "converted twice")
        values = ini_values(ini)
        for key, value in {("Toolbar", "Skin"): "mine.png", ("Toolbar", "Size"): "99",
                           ("Recent", "File1"): "C:\\Bilder\\Ærø Ω.jpg",
                           ("Language", "DLL"): "DEUTSCH.DLL",
                           ("Language", "Lang"): "Deutsch"}.items():
            self.assertEqual(values.get(key), value, key)

    def test_lines_longer_than_a_conversion_piece_survive_whole(self):
        data = (f"[Recent]\r\nList={self.LONG}\r\nAfter=1\r\n[Toolbar]\r\nSkin=mine.png\r\n"
                f"[Long{self.LONG[:2500]}]\r\nKey=v\r\n").encode("cp1252")
        code, ini = self.install_over("Long", data)
        self.assertEqual(code, 0)
        self.assertTrue(ini.read_bytes().startswith(BOM))
        values = ini_values(ini)
        self.assertEqual(values.get(("Recent", "List")), self.LONG)
        self.assertEqual(values.get(("Recent", "After")), "1")
        self.assertEqual(values.get(("Toolbar", "Skin")), "mine.png")
        self.assertEqual(values.get((f"Long{self.LONG[:2500]}", "Key")), "v")
        self.assertEqual(values.get(("Language", "Lang")), "Deutsch")

    def test_an_ini_folder_below_a_regular_file_keeps_the_settings_in_the_program_folder(self):
        PREFIX.host(r"C:\IniBlocker").write_text("a file, not a folder")
        check_uncreatable_ini_folder(self, r"C:\IniBlocker\Lumagrove", r"C:\IniBlocked")


if __name__ == "__main__":
    unittest.main()

"""A silent installation under Wine: the payload as files, the settings, the icon rule."""
import os
import shutil
import time
import unittest
import zipfile
from pathlib import Path

from e2e_support import ini_text, ini_values, lgwine, temp_files

PAYLOAD = lgwine.BUILD_DIR / "lumagrove-payload.zip"
FIXTURES = Path(os.environ.get("LG_FIXTURES", lgwine.BUILD_DIR / "test-fixtures"))
HEADER = "; UNICODE FILE - edit with care ;-)\r\n\r\n"


class DefaultSilentInstallation(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.prefix = lgwine.Prefix("silent-default")
        cls.temp_before = temp_files(cls.prefix)
        cls.code = cls.prefix.setup("/silent", r"C:\start")
        cls.target = cls.prefix.host(r"C:\Program Files\Lumagrove")

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def test_exit_code_and_no_log_and_nothing_left_in_temp(self):
        self.assertEqual(self.code, 0)
        self.assertIsNone(self.prefix.log(r"C:\start"))
        self.assertFalse((self.target / lgwine.LOG_NAME).exists())
        self.assertEqual(temp_files(self.prefix), self.temp_before)

    def test_every_entry_is_installed_byte_identical_with_its_time(self):
        with zipfile.ZipFile(PAYLOAD) as archive:
            entries = archive.infolist()
            self.assertEqual(len(entries), 39)
            for info in entries:
                path = self.target / info.filename.rstrip("/")
                with self.subTest(entry=info.filename):
                    if info.is_dir():
                        self.assertTrue(path.is_dir())
                        continue
                    self.assertEqual(path.read_bytes(), archive.read(info))
                    expected = time.mktime(info.date_time + (0, 0, -1))
                    self.assertAlmostEqual(path.stat().st_mtime, expected, delta=2)

    def test_settings_go_to_appdata_in_utf16_with_a_pointer_in_the_program_folder(self):
        program_ini = self.target / "lg_show64.ini"
        self.assertNotEqual(program_ini.read_bytes()[:2], b"\xff\xfe")
        self.assertEqual(ini_values(program_ini)[("Others", "INI_Folder")], r"%APPDATA%\Lumagrove")
        settings = self.prefix.appdata / "Lumagrove" / "lg_show64.ini"
        text = ini_text(settings)
        self.assertTrue(settings.read_bytes().startswith(b"\xff\xfe"))
        self.assertTrue(text.startswith(HEADER), text[:60])
        values = ini_values(settings)
        self.assertEqual(values[("Language", "DLL")], "DEUTSCH.DLL")
        self.assertEqual(values[("Language", "Lang")], "Deutsch")
        skin, size = values[("Toolbar", "Skin")], values[("Toolbar", "Size")]
        self.assertIn(skin, {"Orlund_16.png", "Hallvik_24.png", "gnome-colors-wise_32.png",
                             "gnome-colors-human_48.png"})
        self.assertTrue(skin.endswith(f"_{size}.png"))
        self.assertTrue((self.target / "Toolbars" / skin).exists())


class PreplacedIconLibraries(unittest.TestCase):
    CASES = [("v451", False), ("v410_lower", True), ("v410_other", False),
             ("v430_exact", True), ("v430_other_size", False), ("no_version", True)]

    def test_kept_or_replaced_by_the_rule(self):
        prefix = lgwine.Prefix("silent-icons")
        try:
            with zipfile.ZipFile(PAYLOAD) as archive:
                ours = archive.read("Plugins/Icons.dll")
            for n, (fixture, replaced) in enumerate(self.CASES):
                folder = rf"C:\Icons{n}"
                plugins = prefix.host(folder) / "Plugins"
                plugins.mkdir(parents=True)
                installed = FIXTURES / "icons" / f"{fixture}.dll"
                shutil.copyfile(installed, plugins / "Icons.dll")
                with self.subTest(library=fixture):
                    self.assertEqual(prefix.setup(f"/silent /folder={folder}"), 0)
                    expected = ours if replaced else installed.read_bytes()
                    self.assertEqual((plugins / "Icons.dll").read_bytes(), expected)
                    self.assertTrue((plugins.parent / "lg_show64.exe").exists())
        finally:
            prefix.remove()


if __name__ == "__main__":
    unittest.main()

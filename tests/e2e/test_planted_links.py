"""Links a user without administrator rights plants before an elevated setup runs: in the
temporary folder, in a target folder the user made, in the settings folder under
%APPDATA%. The host's symbolic links stand in for junctions under Wine. Nothing outside
may be written through them; where the setup cannot go on safely it stops with exit code 7
and says why. Also: files held open, replaced at the restart below Program Files, and the
descriptor of a target folder the setup makes."""
import os
import stat
import unittest
import zipfile

from e2e_support import (holding, ini_values, lgwine, log_messages, pending_renames,
                          run_unit_tests_on_links, temp_files)
from test_integration import UNINSTALL

PAYLOAD = lgwine.BUILD_DIR / "lumagrove-payload.zip"
PROGRAM_FILES = r"C:\Program Files\Lumagrove"
START = r"C:\start"
REFUSED = "Die Installation wurde abgebrochen, weil ein Verzeichnis nicht sicher verwendet werden kann"
SETTINGS_REFUSED = ("Hinweis: Die Einstellungen bleiben im Programmverzeichnis, weil ihr Ort "
                    "nicht sicher verwendet werden kann")
REPLACED_AT_RESTART = ("Hinweis: Einige Dateien werden von einem anderen Programm verwendet und "
                       "werden beim nächsten Neustart ersetzt:")
LEFT_OUT = ("Warnung: Einige Dateien konnten nicht geschrieben werden, weil sie von einem "
            "anderen Programm verwendet werden. Die Installation ist unvollständig:")
# FileStatusText: a link to a folder shows as one; a link to a file as leading elsewhere.
REASONS = ("ist ein Link oder eine Verzeichnisverbindung und wurde nicht verwendet",
           "führt an einen anderen Ort und wurde nicht verwendet")
VICTIM = b"the victim's own bytes"


def archive_files():
    with zipfile.ZipFile(PAYLOAD) as archive:
        return {i.filename: archive.read(i) for i in archive.infolist() if not i.is_dir()}


class PlantedLinks(unittest.TestCase):
    """One fresh prefix per test: every case plants into a clean machine."""

    def setUp(self):
        self.prefix = lgwine.Prefix("planted-links")
        self.outside = self.prefix.host(r"C:\outside")
        self.outside.mkdir()

    def tearDown(self):
        self.prefix.remove()

    def victim(self, name="victim"):
        path = self.outside / name
        path.write_bytes(VICTIM)
        return path

    def assert_refused_entry(self, messages, path):
        self.assertEqual(len(messages), 1, messages)
        self.assertIn(messages[0], [f"{REFUSED}: {path} {reason}" for reason in REASONS])

    def assert_nothing_registered(self):
        self.assertIsNone(self.prefix.machine().key(UNINSTALL))

    def test_a_planted_temporary_archive_is_never_written(self):
        temp = self.prefix.host(r"C:\users\root\Temp")
        victim = self.victim()
        os.symlink(victim, temp / "lgshowg_x64.zip")
        before = temp_files(self.prefix)
        self.assertEqual(self.prefix.setup("/silent", START), 0)
        self.assertEqual(victim.read_bytes(), VICTIM)
        self.assertTrue(os.path.islink(temp / "lgshowg_x64.zip"))
        self.assertEqual(temp_files(self.prefix), before)

    def test_a_plugins_link_in_a_user_made_target_stops_before_anything_is_written(self):
        target = self.prefix.host(r"C:\Apps\Lumagrove")
        target.mkdir(parents=True)
        (self.outside / "plugins").mkdir()
        os.symlink(self.outside / "plugins", target / "Plugins")
        self.assertEqual(self.prefix.setup(r"/silent /folder=C:\Apps\Lumagrove", START), 7)
        self.assertEqual(list((self.outside / "plugins").iterdir()), [])
        self.assertEqual(sorted(p.name for p in target.iterdir()), ["Plugins"])
        self.assert_refused_entry(log_messages(self.prefix.log(START)),
                                  r"C:\Apps\Lumagrove\Plugins")
        self.assert_nothing_registered()

    def test_a_target_that_is_a_link_is_refused(self):
        (self.outside / "target").mkdir()
        self.prefix.host(r"C:\Apps").mkdir()
        os.symlink(self.outside / "target", self.prefix.host(r"C:\Apps\Lumagrove"))
        self.assertEqual(self.prefix.setup(r"/silent /folder=C:\Apps\Lumagrove", START), 7)
        self.assertEqual(list((self.outside / "target").iterdir()), [])
        self.assert_refused_entry(log_messages(self.prefix.log(START)), r"C:\Apps\Lumagrove")
        self.assert_nothing_registered()

    def test_payload_names_planted_as_links_are_replaced_not_written_through(self):
        target = self.prefix.host(r"C:\Apps\Lumagrove")
        (target / "Plugins").mkdir(parents=True)
        planted = {"lg_show64.exe": "symlink", "Plugins/Formats.dll": "symlink",
                   "lg_about.txt": "hard link"}
        victims = {}
        for name, kind in planted.items():
            victims[name] = self.victim(name.replace("/", "-"))
            (os.symlink if kind == "symlink" else os.link)(victims[name], target / name)
        self.assertEqual(self.prefix.setup(r"/silent /folder=C:\Apps\Lumagrove", START), 0)
        files = archive_files()
        for name, kind in planted.items():
            with self.subTest(name=name, kind=kind):
                self.assertEqual(victims[name].read_bytes(), VICTIM)
                self.assertFalse(os.path.islink(target / name))
                self.assertEqual((target / name).read_bytes(), files[name])

    def check_settings_kept_in_the_program_folder(self, refused_path):
        program_ini = self.prefix.host(PROGRAM_FILES) / "lg_show64.ini"
        values = ini_values(program_ini)
        self.assertNotIn(("Others", "INI_Folder"), values)
        self.assertEqual(values.get(("Language", "Lang")), "Deutsch")
        self.assertIn(("Toolbar", "Skin"), values)
        # Written after the extraction: the log is the target's.
        messages = log_messages(self.prefix.log(PROGRAM_FILES))
        self.assertEqual(len(messages), 1, messages)
        self.assertIn(messages[0],
                      [f"{SETTINGS_REFUSED}: {refused_path} {reason}" for reason in REASONS])

    def test_a_settings_file_planted_as_a_link_is_not_written(self):
        folder = self.prefix.appdata / "Lumagrove"
        folder.mkdir(parents=True)
        victim = self.victim("victim.ini")
        os.symlink(victim, folder / "lg_show64.ini")
        self.assertEqual(self.prefix.setup("/silent", START), 0)
        self.assertEqual(victim.read_bytes(), VICTIM)
        self.check_settings_kept_in_the_program_folder(
            r"C:\users\root\AppData\Roaming\Lumagrove\lg_show64.ini")

    def test_a_settings_folder_that_is_a_link_is_not_used(self):
        (self.outside / "settings").mkdir()
        os.symlink(self.outside / "settings", self.prefix.appdata / "Lumagrove")
        self.assertEqual(self.prefix.setup("/silent", START), 0)
        self.assertEqual(list((self.outside / "settings").iterdir()), [])
        self.check_settings_kept_in_the_program_folder(r"C:\users\root\AppData\Roaming\Lumagrove")

    def test_the_walk_refuses_folder_links_in_any_archive(self):
        # The unit binary extracts a test archive into planted links.
        root = self.prefix.host(r"C:\links")
        (root / "walk").mkdir(parents=True)
        for name in ("target", "help"):
            (self.outside / name).mkdir()
        os.symlink(self.outside / "target", root / "target-link")
        os.symlink(self.outside / "help", root / "walk" / "Help")
        run_unit_tests_on_links(self, self.prefix, "ExtractionLinks.*")
        self.assertEqual(list((self.outside / "target").iterdir()), [])
        self.assertEqual(list((self.outside / "help").iterdir()), [])


class HeldFilesBelowProgramFiles(unittest.TestCase):
    """A file held open in the default target waits beside it for the restart."""

    def setUp(self):
        self.prefix = lgwine.Prefix("held-restart")
        self.target = self.prefix.host(PROGRAM_FILES)
        self.target.mkdir(parents=True)
        (self.target / "lg_show64.exe").write_bytes(b"the running program's copy")

    def tearDown(self):
        self.prefix.remove()

    def test_a_held_file_is_replaced_at_the_restart_and_exit_3010(self):
        with holding(self.prefix, [PROGRAM_FILES + r"\lg_show64.exe"]):
            code = self.prefix.setup("/silent", START)
        self.assertEqual(code, 3010)
        self.assertEqual((self.target / "lg_show64.exe").read_bytes(), b"the running program's copy")
        scratch = [p.name for p in self.target.glob("~lg.*.tmp")]
        self.assertEqual(len(scratch), 1, scratch)
        self.assertEqual(pending_renames(self.prefix),
                         [rf"\??\{PROGRAM_FILES}\{scratch[0]}", rf"!\??\{PROGRAM_FILES}\lg_show64.exe"])
        self.assertEqual(log_messages(self.prefix.log(PROGRAM_FILES)),
                         [f"{REPLACED_AT_RESTART}\n{PROGRAM_FILES}\\lg_show64.exe"])

        self.prefix.restart()
        self.assertEqual((self.target / "lg_show64.exe").read_bytes(), archive_files()["lg_show64.exe"])
        self.assertEqual(list(self.target.glob("*.tmp")), [])
        self.assertIsNone(pending_renames(self.prefix))

    def test_the_restart_is_told_the_resolved_paths_not_a_link_above_the_target(self):
        # A link above the target is allowed, but a user could point it elsewhere before
        # the restart follows the names it was given.
        os.symlink(self.target.parent, self.prefix.host(r"C:\via"))
        with holding(self.prefix, [PROGRAM_FILES + r"\lg_show64.exe"]):
            code = self.prefix.setup(r"/silent /folder=C:\via\Lumagrove", START)
        self.assertEqual(code, 3010)
        renames = pending_renames(self.prefix)
        self.assertEqual(len(renames), 2)
        self.assertTrue(renames[0].startswith(rf"\??\{PROGRAM_FILES}\~lg."), renames)
        self.assertEqual(renames[1], rf"!\??\{PROGRAM_FILES}\lg_show64.exe")

    def test_with_another_file_left_out_the_installation_is_not_reported_complete(self):
        (self.target / "lg_about.txt").mkdir()  # a folder in the way: cannot be written
        with holding(self.prefix, [PROGRAM_FILES + r"\lg_show64.exe"]):
            code = self.prefix.setup("/silent", START)
        self.assertEqual(code, 6)
        self.assertEqual(log_messages(self.prefix.log(PROGRAM_FILES)),
                         [f"{LEFT_OUT}\n{PROGRAM_FILES}\\lg_about.txt",
                          f"{REPLACED_AT_RESTART}\n{PROGRAM_FILES}\\lg_show64.exe"])
        self.assertEqual(len(pending_renames(self.prefix)), 2)


class TargetFolderDescriptor(unittest.TestCase):
    """Wine keeps no descriptors, but it turns the one a folder is made with into Unix
    permissions: the protected one (users read and execute, nothing more) gives 0750,
    an inherited one the default 0755. So the host sees which the setup chose."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = lgwine.Prefix("target-descriptor")
        existing = cls.prefix.host(r"C:\Existing")
        existing.mkdir()
        existing.chmod(0o777)
        cls.codes = [cls.prefix.setup(f"/silent /folder={folder}", START)
                     for folder in (r"C:\Apps\Lumagrove", r"C:\Existing", f'"{PROGRAM_FILES}"')]

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def mode(self, folder):
        return stat.S_IMODE(self.prefix.host(folder).stat().st_mode)

    def test_made_outside_program_files_protected_inside_inherited_found_kept(self):
        self.assertEqual(self.codes, [0, 0, 0])
        self.assertEqual(oct(self.mode(r"C:\Apps\Lumagrove")), oct(0o750))
        self.assertEqual(oct(self.mode(r"C:\Apps")), oct(0o755))  # a parent: not the target
        self.assertEqual(oct(self.mode(r"C:\Existing")), oct(0o777))
        self.assertEqual(oct(self.mode(PROGRAM_FILES)), oct(0o755))


if __name__ == "__main__":
    unittest.main()

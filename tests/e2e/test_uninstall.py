"""The uninstaller under Wine: a silent removal leaves the machine as it was before the
installation apart from the user's settings, what other programs changed meanwhile and
the user's own files; with the viewer running, or run from a folder that is not the
installation, it removes nothing and says why in its exit code."""
import hashlib
import os
import re
import shutil
import subprocess
import time
import unittest

from e2e_support import lgwine
from test_faults import Drive
from test_integration import UNINSTALL, WINE_NOISE, Folders, changes, key, snapshot

FOLDER = "C:\\Apps\\Lumagrove\\"
UNINSTALLER = FOLDER + "lgr_uninstall.exe"
OPTIONS = '/silent /folder="C:\\Apps\\Lumagrove" /desktop=1/thumbs=1/group=1 /assoc=2'
# Files Wine itself writes while programs run.
WINE_FILES = ("windows/",)
FILE_EXTS_GIF = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.gif\UserChoice"
# Keys of Windows that hold the entries of many programs (a fresh Wine prefix lacks them,
# Windows always has them): the setup may create them, the uninstaller leaves them.
CONTAINERS = {"user:software\\microsoft\\windows\\currentversion\\explorer\\fileexts",
              "machine:software\\microsoft\\windows\\currentversion\\uninstall",
              "machine:software\\classes\\directory\\shell",
              "machine:software\\classes\\drive\\shell"}


def file_tree(prefix):
    """Every file and folder of drive C: {path: content hash, or "folder"}."""
    root = prefix.path / "drive_c"
    tree = {}
    for path in root.rglob("*"):
        rel = path.relative_to(root).as_posix()
        if rel.startswith(WINE_FILES) or path.is_symlink():
            continue
        tree[rel] = "folder" if path.is_dir() else hashlib.sha256(path.read_bytes()).hexdigest()
    return tree


def tree_changes(before, after):
    added = {k: v for k, v in after.items() if before.get(k) != v}
    lost = sorted(k for k in before if k not in after)
    return added, lost


# The uninstaller's private folders below the Windows folder's Temp (Administrators and
# SYSTEM only), and Program Files: the only places a delete at the next start may name.
PRIVATE_FOLDER = re.compile(r"C:\\windows\\Temp\\lg-[0-9a-f]{16}(\\[^\\]+)?", re.I)
PROGRAM_FILES = re.compile(r"C:\\Program Files\\.+", re.I)


def private_folders(prefix):
    return sorted(prefix.host(r"C:\windows").glob("[Tt]emp/lg-*"))


def copies_in(folder, program_bytes):
    """Files below a host folder with the uninstaller's bytes."""
    return [p for p in folder.rglob("*") if p.is_file() and p.read_bytes() == program_bytes]


def host_rel(winpath):
    return winpath[3:].replace("\\", "/").rstrip("/")


def start_viewer(prefix):
    """The stand-in viewer window; returns once it is up."""
    ready = prefix.host(r"C:\lgwindow.ready")
    ready.unlink(missing_ok=True)
    window = prefix.start(f'"{lgwine.dos_path(lgwine.BUILD_DIR / "lgwindow.exe")}" 60')
    deadline = time.time() + 30
    while not ready.exists() and time.time() < deadline:
        time.sleep(0.1)
    if not ready.exists():
        stop_viewer(prefix, window)
        raise AssertionError("the stand-in viewer window did not come up")
    ready.unlink()
    return window


def stop_viewer(prefix, window):
    window.kill()
    window.wait(timeout=30)
    subprocess.run(["wine", "taskkill", "/f", "/im", "lgwindow.exe"], env=prefix.env,
                   capture_output=True, timeout=60)


class SilentRemoval(unittest.TestCase):
    maxDiff = None
    """Installed for the user and for all users, then changed by the user and by another
    program, then removed with /silent."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = p = lgwine.Prefix("uninstall-silent")
        p.wine("reg", "add", r"HKLM\SOFTWARE\RegisteredApplications", "/f")
        cls.folders = Folders(p)
        cls.registry_before = snapshot(p)
        cls.files_before = file_tree(p)
        cls.setup_codes = [p.setup(OPTIONS), p.setup(OPTIONS + " /allusers=1")]
        cls.installed_links = p.links(*cls.folders.all)
        # Another program takes over .png and a user choice, and adds a verb to our ProgID.
        p.reg_add(r"HKLM\Software\Classes\.png", None, "OtherViewer.png")
        p.reg_add(FILE_EXTS_GIF, "Progid", "OtherViewer.gif")
        p.reg_add(r"HKLM\Software\Classes\Lumagrove.jpg\shell\edit\command", None, "other.exe")
        # The user's own file, in a folder of the payload.
        p.host(FOLDER + r"Html\Meine_Vorlage.htm").write_text("eigene Vorlage")
        cls.installed_files = file_tree(p)
        cls.code = p.run(f'"{UNINSTALLER}" /silent', r"C:\start")
        cls.links_after = p.links(*cls.folders.all)
        cls.registry_after = snapshot(p)
        cls.files_after = file_tree(p)

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def test_installs_then_removes(self):
        self.assertEqual(self.setup_codes, [0, 0])
        self.assertEqual(len(self.installed_links[self.folders.common_group]), 9)
        self.assertEqual(self.code, 0)

    def test_registry_is_as_before_except_what_another_program_wrote(self):
        sz = lambda text: ("REG_SZ", text)  # noqa: E731
        jpg = key("machine", r"Software\Classes\Lumagrove.jpg")
        expected = {
            (key("machine", r"Software\Classes\.png"), None): None,
            (key("machine", r"Software\Classes\.png"), ""): sz("OtherViewer.png"),
            (key("user", FILE_EXTS_GIF[5:]), None): None,
            (key("user", FILE_EXTS_GIF[5:]), "progid"): sz("OtherViewer.gif"),
            # The foreign verb keeps its ProgID as it was; our own open command goes. (The
            # hive files list keys between them only when they have values.)
            (jpg, None): None,
            (jpg, ""): sz("Lumagrove JPG File"),
            (jpg + "\\shell\\edit\\command", None): None,
            (jpg + "\\shell\\edit\\command", ""): sz("other.exe"),
        }
        found = changes(self.registry_before, self.registry_after)
        found = {k: v for k, v in found.items() if not (k[1] is None and k[0] in CONTAINERS)}
        self.assertEqual(found, expected)
        lost = [k for k in self.registry_before if k not in self.registry_after
                and not k[0].startswith(WINE_NOISE)]
        self.assertEqual(lost, [], "entries that were there before the installation")
        self.assertNotIn((key("machine", UNINSTALL), None), self.registry_after)

    def test_links_and_group_folders_are_gone(self):
        self.assertEqual(self.links_after, {f: {} for f in self.folders.all})
        for group in (self.folders.group, self.folders.common_group):
            self.assertNotIn(host_rel(group), self.files_after)

    def test_files_are_as_before_except_the_settings_and_the_users_own(self):
        added, lost = tree_changes(self.files_before, self.files_after)
        installed = self.installed_files
        settings = host_rel(FOLDER) + "/lg_show64.ini"
        own = host_rel(FOLDER) + "/Html/Meine_Vorlage.htm"
        appdata = "users/root/AppData/Roaming/Lumagrove"
        expected = {"Apps": "folder", host_rel(FOLDER): "folder", "start": "folder",
                    appdata: "folder", appdata + "/lg_show64.ini": installed[appdata + "/lg_show64.ini"],
                    host_rel(FOLDER) + "/Html": "folder",
                    settings: installed[settings], own: installed[own]}
        self.assertEqual(lost, [])
        self.assertEqual(added, expected)

    def test_no_copy_of_the_uninstaller_is_left_behind(self):
        leftovers = [k for k in self.files_after if "/temp/" in k.lower() and "lgr" in k.lower()]
        self.assertEqual(leftovers, [])
        self.assertEqual([p for p in private_folders(self.prefix) if any(p.iterdir())], [])


class OwnCopyAndSettings(unittest.TestCase):
    """Removals one after the other in one prefix: a default installation; the same with
    the user's own settings in the program folder's settings file; one into a folder of
    the user's whose uninstaller Windows cannot delete while it runs (here: read-only, which
    Wine refuses to delete as Windows refuses a running program)."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = p = lgwine.Prefix("uninstall-own-copy")
        cls.program_files = p.host(r"C:\Program Files\Lumagrove")
        cls.runs = {}
        cls.run_default("plain")
        cls.run_default("user settings", b"[Toolbar]\r\nSkin=Orlund_16.png\r\n")
        code = p.setup(r"/silent /folder=C:\Apps\ReadOnly")
        program = p.host(r"C:\Apps\ReadOnly\lgr_uninstall.exe")
        cls.program_bytes = program.read_bytes()
        os.chmod(program, 0o444)
        cls.runs["read-only"] = (code, p.run(r'"C:\Apps\ReadOnly\lgr_uninstall.exe" /silent'))
        cls.pending = p.pending_renames()

    @classmethod
    def run_default(cls, name, user_settings=None):
        p = cls.prefix
        code = p.setup("/silent")
        if user_settings:
            with open(cls.program_files / "lg_show64.ini", "ab") as ini:
                ini.write(user_settings)
        cls.runs[name] = (code, p.run(r'"C:\Program Files\Lumagrove\lgr_uninstall.exe" /silent'),
                          sorted(x.name for x in cls.program_files.iterdir())
                          if cls.program_files.exists() else None)

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def test_a_default_installation_leaves_only_the_settings_in_appdata(self):
        self.assertEqual(self.runs["plain"], (0, 0, None))
        self.assertTrue((self.prefix.appdata / "Lumagrove" / "lg_show64.ini").exists())

    def test_the_users_settings_in_the_program_folder_stay(self):
        self.assertEqual(self.runs["user settings"], (0, 0, ["lg_show64.ini"]))

    def test_no_copy_and_no_delete_at_restart_where_users_can_write(self):
        # Nowhere in the users' folders (%TEMP% among them).
        self.assertEqual(copies_in(self.prefix.host(r"C:\users"), self.program_bytes), [])
        self.assertTrue(self.pending, "Wine cannot delete the read-only program: it waits")
        for source, target in self.pending:
            self.assertEqual(target, "", source)
            self.assertTrue(PRIVATE_FOLDER.fullmatch(source) or PROGRAM_FILES.fullmatch(source),
                            source)
        # The copy waits in its private folder, named for deletion with that folder.
        waiting = [p for p in private_folders(self.prefix) if copies_in(p, self.program_bytes)]
        self.assertEqual(len(waiting), 1)
        folder = "C:\\windows\\Temp\\" + waiting[0].name
        self.assertIn((folder + "\\lgr_uninstall.exe", ""), self.pending)
        self.assertIn((folder, ""), self.pending)
        self.assertLess(self.pending.index((folder + "\\lgr_uninstall.exe", "")),
                        self.pending.index((folder, "")))
        self.assertEqual(self.runs["read-only"], (0, 0))
        self.assertFalse(self.prefix.host(r"C:\Apps\ReadOnly").exists())


class ProgramOnAnotherVolume(unittest.TestCase):
    """Installed on a drive of its own, the running program cannot be moved into a private
    folder, and a delete at the next start would follow its path in a folder the user can
    write: it stays, and the exit code says that something stays."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = p = lgwine.Prefix("uninstall-other-volume")
        try:
            drive = Drive(p, "u", "8m")
        except BaseException:
            p.remove()
            raise
        try:
            cls.setup_code = p.setup(r"/silent /folder=U:\Lumagrove")
            cls.code = p.run(r'"U:\Lumagrove\lgr_uninstall.exe" /silent')
            cls.left = sorted(x.name for x in (drive.folder / "Lumagrove").iterdir())
            cls.pending = p.pending_renames()
        finally:
            drive.close()

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def test_the_program_stays_with_nothing_left_for_the_restart(self):
        self.assertEqual(self.pending, [])
        self.assertEqual((self.setup_code, self.code), (0, 3))
        self.assertEqual(self.left, ["lgr_uninstall.exe"])


class NothingRemoved(unittest.TestCase):
    """An installation that the uninstaller must leave alone, and why (its exit code)."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = lgwine.Prefix("uninstall-refused")
        cls.setup_code = cls.prefix.setup(OPTIONS)

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def assertUntouched(self, command_line, expected_code, viewer=False):
        """Runs command_line (with the viewer's window open): the exit code says why, and
        nothing has changed. Reading the registry ends the prefix's processes, so it is
        read before the window opens and after it has closed."""
        registry, files = snapshot(self.prefix), file_tree(self.prefix)
        window = start_viewer(self.prefix) if viewer else None
        try:
            code = self.prefix.run(command_line, r"C:\start")
        finally:
            if window:
                stop_viewer(self.prefix, window)
        self.assertEqual(code, expected_code)
        self.assertEqual(changes(registry, snapshot(self.prefix)), {})
        self.assertEqual(tree_changes(files, file_tree(self.prefix)), ({}, []))

    def test_refuses_while_the_viewer_runs(self):
        self.assertEqual(self.setup_code, 0)
        self.assertUntouched(f'"{UNINSTALLER}" /silent', 1, viewer=True)

    def test_refuses_outside_the_registered_folder(self):
        copy = self.prefix.host(r"C:\Elsewhere\lgr_uninstall.exe")
        copy.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(self.prefix.host(UNINSTALLER), copy)
        # Files of the payload's names there stay too.
        self.prefix.host(r"C:\Elsewhere\lg_about.txt").write_text("not ours")
        self.assertUntouched(r'"C:\Elsewhere\lgr_uninstall.exe" /silent', 4)


if __name__ == "__main__":
    unittest.main()

"""Links a user without administrator rights plants for an elevated setup or uninstaller:
the start-menu group, a link's name, a payload folder, the installation folder. The host's
symbolic links stand in for junctions under Wine (Wine follows them everywhere). Nothing
below C:\\outside may change, and the run ends as documented."""
import hashlib
import os
import shutil
import unittest

from e2e_support import lgwine, log_messages
from test_integration import UNINSTALL, Folders, changes, snapshot
from test_uninstall import file_tree, tree_changes

FOLDER = "C:\\Apps\\Lumagrove\\"
UNINSTALLER = FOLDER + "lgr_uninstall.exe"
LINK_REFUSED = "ist ein Link oder eine Verzeichnisverbindung und wurde nicht verwendet"
VIEWER_LINK = "Lumagrove 64 4.58.lnk"


def contents(folder):
    """{relative path: sha256} of every file below a host folder."""
    return {p.relative_to(folder).as_posix(): hashlib.sha256(p.read_bytes()).hexdigest()
            for p in sorted(folder.rglob("*")) if p.is_file()}


def plant_folder_link(prefix, winpath, target):
    """Replaces the folder winpath (moved to target when it exists) by a link to target."""
    link, outside = prefix.host(winpath), prefix.host(target)
    if link.exists():
        outside.parent.mkdir(parents=True, exist_ok=True)
        shutil.move(link, outside)
    outside.mkdir(parents=True, exist_ok=True)
    link.parent.mkdir(parents=True, exist_ok=True)
    os.symlink(outside, link)


def plant_file_link(prefix, winpath, victim):
    link = prefix.host(winpath)
    link.parent.mkdir(parents=True, exist_ok=True)
    link.unlink(missing_ok=True)
    os.symlink(prefix.host(victim), link)


class SetupLinks(unittest.TestCase):
    """The setup writes its start-menu and desktop links where a user may have planted
    links: it writes none through them."""

    OPTIONS = f'/silent /folder="{FOLDER[:-1]}" /group=1/desktop=1'

    def setUp(self):
        self.prefix = lgwine.Prefix("planted-setup")
        self.folders = Folders(self.prefix)
        self.victim = self.prefix.host(r"C:\outside\victim.txt")
        self.victim.parent.mkdir(parents=True)
        self.victim.write_bytes(b"victim")

    def tearDown(self):
        self.prefix.remove()

    def test_a_group_folder_that_is_a_link_gets_no_links(self):
        outside = self.prefix.host(r"C:\outside\group")
        outside.mkdir()
        (outside / "Notiz.txt").write_bytes(b"not the setup's")
        plant_folder_link(self.prefix, self.folders.group, r"C:\outside\group")
        code = self.prefix.setup(self.OPTIONS)
        self.assertEqual(code, 0)
        self.assertEqual(contents(outside), {"Notiz.txt": hashlib.sha256(b"not the setup's").hexdigest()})
        # After the extraction the target folder is the current folder, and so the log's.
        self.assertEqual(log_messages(self.prefix.log(FOLDER)),
                         [f"{self.folders.group}: {LINK_REFUSED}"])
        # The rest of the integration is there: the desktop link and the uninstall entry.
        self.assertIn("Lumagrove 64.lnk", self.prefix.links(self.folders.desktop))
        self.assertIsNotNone(self.prefix.machine().key(UNINSTALL))

    def test_a_link_under_a_links_name_is_replaced_not_written_through(self):
        planted = [self.folders.group + "\\" + VIEWER_LINK,
                   self.folders.desktop + "\\Lumagrove 64.lnk"]
        for path in planted:
            plant_file_link(self.prefix, path, r"C:\outside\victim.txt")
        code = self.prefix.setup(self.OPTIONS)
        self.assertEqual(code, 0)
        self.assertEqual(self.victim.read_bytes(), b"victim")
        for path in planted:
            self.assertFalse(os.path.islink(self.prefix.host(path)), path)
        self.assertEqual(self.prefix.links(self.folders.group)[VIEWER_LINK]["target"],
                         FOLDER + "lg_show64.exe")
        self.assertEqual(self.prefix.links(self.folders.desktop)["Lumagrove 64.lnk"]["target"],
                         FOLDER + "lg_show64.exe")
        self.assertIsNone(self.prefix.log(FOLDER), "a replaced name is no problem")


class UninstallerLinks(unittest.TestCase):
    """Installed for the user and for all users; then a user replaces the Plugins folder,
    the user's group folder, one link of the common group and one desktop link by links to
    places outside, each holding files of the names the uninstaller deletes."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = p = lgwine.Prefix("planted-uninstall")
        cls.folders = f = Folders(p)
        options = f'/silent /folder="{FOLDER[:-1]}" /group=1/desktop=1'
        cls.setup_codes = [p.setup(options), p.setup(options + " /allusers=1")]
        plant_folder_link(p, FOLDER + "Plugins", r"C:\outside\plugins")
        plant_folder_link(p, f.group, r"C:\outside\group")
        victim = p.host(r"C:\outside\victim.txt")
        victim.write_bytes(b"victim")
        plant_file_link(p, f.common_group + "\\" + VIEWER_LINK, r"C:\outside\victim.txt")
        plant_file_link(p, f.desktop + "\\Lumagrove 64.lnk", r"C:\outside\victim.txt")
        cls.outside_before = contents(p.host(r"C:\outside"))
        cls.code = p.run(f'"{UNINSTALLER}" /silent', r"C:\start")
        cls.outside_after = contents(p.host(r"C:\outside"))

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def test_nothing_outside_is_deleted(self):
        self.assertEqual(self.setup_codes, [0, 0])
        self.assertIn("plugins/Print.dll", self.outside_before)
        self.assertIn("group/" + VIEWER_LINK, self.outside_before)
        self.assertEqual(self.outside_after, self.outside_before)

    def test_the_plugins_link_stays_and_the_removal_says_so(self):
        self.assertEqual(self.code, 3)
        self.assertTrue(os.path.islink(self.prefix.host(FOLDER + "Plugins")))
        self.assertEqual(sorted(p.name for p in self.prefix.host(FOLDER).iterdir()),
                         ["Plugins", "lg_show64.ini"])

    def test_the_rest_is_removed(self):
        links = self.prefix.links(self.folders.common_group, self.folders.common_desktop,
                                  self.folders.desktop)
        self.assertEqual(links[self.folders.common_group], {}, "the planted name is no link")
        self.assertEqual(links[self.folders.common_desktop], {})
        self.assertTrue(os.path.islink(self.prefix.host(self.folders.common_group + "\\" + VIEWER_LINK)))
        self.assertIsNone(self.prefix.machine().key(UNINSTALL))


class InstallationFolderIsALink(unittest.TestCase):
    """The installation folder itself replaced by a link: the uninstaller removes nothing."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = p = lgwine.Prefix("planted-install-folder")
        cls.setup_code = p.setup(f'/silent /folder="{FOLDER[:-1]}" /group=1')
        plant_folder_link(p, FOLDER, r"C:\outside\Lumagrove")

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def test_exit_code_7_and_nothing_removed(self):
        self.assertEqual(self.setup_code, 0)
        registry, files = snapshot(self.prefix), file_tree(self.prefix)
        outside = contents(self.prefix.host(r"C:\outside"))
        code = self.prefix.run(f'"{UNINSTALLER}" /silent', r"C:\start")
        self.assertEqual(code, 7)
        self.assertEqual(contents(self.prefix.host(r"C:\outside")), outside)
        self.assertIn("Lumagrove/lgr_uninstall.exe", outside)
        self.assertEqual(changes(registry, snapshot(self.prefix)), {})
        self.assertEqual(tree_changes(files, file_tree(self.prefix)), ({}, []))


if __name__ == "__main__":
    unittest.main()

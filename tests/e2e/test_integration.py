"""System integration of full silent runs under Wine: every registry entry and link of an
installation, read back from the saved hives and through IShellLinkW."""
import time
import unittest
import zipfile

from e2e_support import MESSAGE_5, lgwine, log_messages

# The file types: extensions of each row, "ext>stem" where the ProgID has another stem,
# and the DefaultIcon kind (0, 8, 9: icon of the viewer; "own": the file itself).
ROWS = [
    ("ani", "own"), ("b3d", 0), ("bmp dib>bmp", 0), ("clp", 0), ("crw cr2 cr3", 0),
    ("cur", "own"), ("dcm acr>dcm ima>dcm", 0), ("dcx", 0), ("dds", 0), ("djvu iw44>djvu", 0),
    ("dxf", 0), ("ecw", 0), ("emf", 0), ("eps ps>eps", 0), ("exr", 0), ("g3", 0), ("gif", 0),
    ("hdp jxr>hdp wdp>hdp", 0), ("heic", 0), ("ico", "own"), ("iff lbm>iff", 0), ("jls", 0),
    ("jp2 jpc>jp2 j2k>jp2", 0), ("jpg jpeg>jpg jpe>jpg", 0), ("jpm", 0), ("mng jng", 0),
    ("pbm", 0), ("pcd", 0), ("pcx", 0), ("pgm", 0), ("png", 0), ("ppm", 0), ("psd", 0),
    ("psp", 0), ("ras sun>ras", 0), ("raw", 0), ("rle", 0), ("sff", 0), ("sgi rgb>sgi", 0),
    ("sid", 0), ("tga", 0), ("tif tiff>tif", 0), ("wbmp", 0), ("webp", 0), ("wmf", 0),
    ("xbm", 0), ("xpm", 0), ("swf flv", 0), ("ttf", 0), ("asf", 9), ("avi", 9),
    ("mpg mpe mpeg>mpg", 9), ("mov", 9), ("wmv", 9), ("aif", 8), ("mid rmi", 8), ("mp3", 8),
    ("ogg", 8), ("au snd>au", 8), ("wav", 8), ("wma", 8),
]
IMAGE_ROWS = 47
APPX = ["AppXvhc4p7vz4b485xfp46hhk3fq3grkdgjg", "AppXk0g4vb8gvt7b93tg50ybcy892pge6jmt",
        "AppX43hnxtbyyps62jhe9sqpdzxn1790zetc", "AppX9rkaq77s0jzh1tyccadx9ghba15r6t3h",
        "AppX6eg8h5sxqq90pv53845wmnbewywdqq5h"]
VERB = "Durchsuchen mit &Lumagrove"
UNINSTALL = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumagrove64"
FILE_EXTS = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\."
SHELL_FOLDERS = r"Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
WEB_BASE = "https://www.example.com"  # the build's default LG_WEB_BASE
# Keys Wine itself rewrites when a prefix starts (devices, time zone, locale, fonts).
WINE_NOISE = ("machine:system\\", "user:control panel\\international", "user:software\\wine")


def extensions(rows=ROWS):
    """(row index, extension, stem, icon kind) of every extension in table order."""
    for index, (exts, icon) in enumerate(rows):
        for item in exts.split():
            ext, _, stem = item.partition(">")
            yield index, ext, stem or ext, icon


def snapshot(prefix):
    """Every value of both hives: {(hive:key, value name): (type, data)}, lower-case keys."""
    values = {}
    for hive, registry in (("machine", prefix.machine()), ("user", prefix.user())):
        for key, entry in registry.keys.items():
            values[(f"{hive}:{key}", None)] = None  # the key itself
            for name, value in entry["values"].items():
                values[(f"{hive}:{key}", name)] = value
    return values


def changes(before, after):
    """What a run added or changed, without Wine's own bookkeeping."""
    return {k: v for k, v in after.items()
            if before.get(k, "absent") != v and not k[0].startswith(WINE_NOISE)}


def key(hive, path):
    return f"{hive}:{path.lower()}"


def expected_entries(folder, selected_rows, windows10, registered_applications, thumbnails,
                     install_date):
    """The values an installation into folder leaves: {(hive:key, name): (type, data)}."""
    exe = folder + "lg_show64.exe"
    open_command = f'"{exe}" "%1"'
    sz = lambda text: ("REG_SZ", text)  # noqa: E731
    m = lambda path: key("machine", path)  # noqa: E731
    values = {}
    if thumbnails:
        for base in (r"Software\Classes\Directory\shell", r"Software\Classes\Drive\shell"):
            values[(m(f"{base}\\{VERB}"), "")] = sz(VERB)
            values[(m(f"{base}\\{VERB}\\command"), "")] = sz(open_command + " /thumbs")
    values[(m(r"Software\Classes\Lumagrove"), "")] = sz("Lumagrove")
    values[(m(r"Software\Classes\Lumagrove\shell\open\command"), "")] = sz(open_command)
    applications = r"Software\Classes\Applications\lg_show64.exe"
    values[(m(applications + r"\shell\open\command"), "")] = sz(open_command)
    values[(m(applications), "friendlyappname")] = sz("Lumagrove 64-bit")
    uninstall = {"": sz(""), "displayname": sz("Lumagrove 4.58 (64-bit)"),
                 "uninstallstring": sz(f'"{folder}lgr_uninstall.exe"'),
                 "publisher": sz("Vestalor"), "installlocation": sz(folder),
                 "displayversion": sz("4.58"), "displayicon": sz(exe + ",0"),
                 "versionmajor": ("REG_DWORD", 4), "versionminor": ("REG_DWORD", 58),
                 "estimatedsize": ("REG_DWORD", 7168),
                 "quietuninstallstring": sz(f'"{folder}lgr_uninstall.exe" /silent'),
                 "installdate": sz(install_date), "urlinfoabout": sz(WEB_BASE + "/"),
                 "helplink": sz(WEB_BASE + "/faq.htm"),
                 "nomodify": ("REG_DWORD", 1), "norepair": ("REG_DWORD", 1)}
    values.update({(m(UNINSTALL), n): v for n, v in uninstall.items()})
    values[(m(r"Software\Lumagrove\shell\open\command"), "")] = sz(f'"{exe}"')
    values[(m(r"Software\Lumagrove\Capabilities"), "applicationdescription")] = sz(
        "Picture viewer, editor and converter - one of the most popular viewers worldwide")
    if registered_applications:
        values[(m(r"Software\RegisteredApplications"), "lumagrove")] = sz(
            r"SOFTWARE\Lumagrove\Capabilities")
    icons = {"own": "%1", 0: exe + ",0", 8: exe + ",8", 9: exe + ",9"}
    for row, ext, stem, icon in extensions():
        prog_id = f"Lumagrove.{stem}"
        values[(m(f"Software\\Classes\\{prog_id}"), "")] = sz(f"Lumagrove {stem.upper()} File")
        values[(m(f"Software\\Classes\\{prog_id}\\shell\\open\\command"), "")] = sz(open_command)
        values[(m(f"Software\\Classes\\{prog_id}\\DefaultIcon"), "")] = sz(icons[icon])
        values[(m(r"Software\Lumagrove\Capabilities\FileAssociations"), "." + ext)] = sz(prog_id)
        if row in selected_rows or ext in ("jpg", "png", "tif"):
            values[(m(f"Software\\Classes\\.{ext}"), "")] = sz(prog_id)
        if row in selected_rows:
            values[(key("user", FILE_EXTS + ext + "\\UserChoice"), "progid")] = sz(prog_id)
    if windows10 and selected_rows:
        for prog_id in APPX:
            values[(key("user", f"Software\\Classes\\{prog_id}"), "noopenwith")] = sz("")
    return values


def split(found):
    """The values and the bare keys of a change set."""
    values = {k: v for k, v in found.items() if k[1] is not None}
    keys = {k[0] for k in found if k[1] is None}
    return values, keys


def group_links(folder, windows10):
    exe = folder + "lg_show64.exe"
    plain = lambda target: {"target": target, "arguments": "", "icon": "",  # noqa: E731
                            "description": ""}
    links = {
        "Lumagrove 64 4.58.lnk": plain(exe),
        "Lumagrove - Thumbnails.lnk": {"target": exe, "arguments": "/thumbs", "icon": exe,
                                       "icon_index": 7, "description": ""},
        "Über Lumagrove.lnk": plain(folder + "lg_about.txt"),
        "Was ist neu.lnk": plain(folder + "lg_changes.txt"),
        "Kommandozeilen-Optionen.lnk": plain(folder + "lg_options.txt"),
        "Verfügbare PlugIns.lnk": plain(folder + "lg_plugins.txt"),
        "Verfügbare Sprachen.lnk": plain(folder + "lg_languages.txt"),
        # The shell folds the doubled backslash of the help target into one.
        "Lumagrove Hilfe.lnk": plain(folder + "help\\lg_show32_deutsch.chm"),
    }
    if not windows10:
        links["Lumagrove deinstallieren.lnk"] = plain(folder + "lgr_uninstall.exe")
    return links


def desktop_links(folder):
    exe = folder + "lg_show64.exe"
    return {
        "Lumagrove 64.lnk": {"target": exe, "arguments": "", "icon": "",
                             "description": "Lumagrove 64 - Bildbetrachter"},
        "Lumagrove 64 Thumbnails.lnk": {"target": exe, "arguments": "/thumbs", "icon": exe,
                                        "icon_index": 7, "description": "Lumagrove - Thumbnails"},
    }


class Folders:
    """The prefix's user and common desktop and Programs folders, as Windows names them."""

    def __init__(self, prefix):
        user, machine = prefix.user(), prefix.machine()
        self.desktop = user.value(SHELL_FOLDERS, "Desktop")[1]
        self.group = user.value(SHELL_FOLDERS, "Programs")[1] + "\\Lumagrove"
        self.common_desktop = machine.value(SHELL_FOLDERS, "Common Desktop")[1]
        self.common_group = machine.value(SHELL_FOLDERS, "Common Programs")[1] + "\\Lumagrove"
        self.all = (self.desktop, self.group, self.common_desktop, self.common_group)


class Run:
    """One setup run: its exit code, then the links of all four folders (read while the
    prefix is still up, which saves a Wine start) and every registry value."""

    def __init__(self, prefix, folders, arguments, start_folder=r"C:\start"):
        self.dates = {time.strftime("%Y%m%d")}  # Wine's local date is the host's
        self.code = prefix.setup(arguments, start_folder)
        self.dates.add(time.strftime("%Y%m%d"))
        self.links = prefix.links(*folders.all)
        self.values = snapshot(prefix)

    def install_date(self):
        """The uninstall entry's InstallDate, which must be the day of the run."""
        kind, date = self.values[(key("machine", UNINSTALL), "installdate")]
        assert kind == "REG_SZ" and date in self.dates, (kind, date, self.dates)
        return date


class IntegrationTestCase(unittest.TestCase):
    def assertLinks(self, found, expected):
        self.assertEqual(sorted(found), sorted(expected))
        for name, want in expected.items():
            got = dict(found[name])
            if not want.get("icon"):
                got.pop("icon_index")
            self.assertEqual(got, want, name)

    def assertEntries(self, found, expected):
        """found holds exactly the expected values, and only keys on their way."""
        values, keys = split(found)
        self.assertEqual(sorted(set(values) - set(expected)), [], "unexpected values")
        self.assertEqual(sorted(set(expected) - set(values)), [], "missing values")
        for k, v in expected.items():
            self.assertEqual(values[k], v, k)
        prefixes = set()
        for value_key, _ in expected:
            parts = value_key.split("\\")
            prefixes.update("\\".join(parts[:i]) for i in range(1, len(parts) + 1))
        self.assertEqual(sorted(keys - prefixes), [], "unexpected keys")


class FullInstallationOnWindows7(IntegrationTestCase):
    """/assoc=2 with every link, run twice in one prefix."""

    FOLDER = "C:\\Apps\\Lumagrove\\"
    OPTIONS = '/silent /folder="C:\\Apps\\Lumagrove" /desktop=1/thumbs=1/group=1 /assoc=2'

    @classmethod
    def setUpClass(cls):
        cls.prefix = lgwine.Prefix("integration-win7")
        # Windows has this list; Wine does not.
        cls.prefix.wine("reg", "add", r"HKLM\SOFTWARE\RegisteredApplications", "/f")
        cls.folders = Folders(cls.prefix)
        cls.before = snapshot(cls.prefix)
        cls.first = Run(cls.prefix, cls.folders, cls.OPTIONS)
        cls.second = Run(cls.prefix, cls.folders, cls.OPTIONS)

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def test_both_runs_install(self):
        self.assertEqual([self.first.code, self.second.code], [0, 0])
        self.assertIsNone(self.prefix.log(), "a clean run writes no log")

    def test_registry_holds_exactly_the_integration_entries(self):
        expected = expected_entries(self.FOLDER, set(range(len(ROWS))), windows10=False,
                                    registered_applications=True, thumbnails=True,
                                    install_date=self.first.install_date())
        self.assertEqual(len([k for k in expected if "fileassociations" in k[0]]), 84)
        self.assertEntries(changes(self.before, self.first.values), expected)

    def test_links_of_the_group_and_the_desktop(self):
        links = self.first.links
        self.assertLinks(links[self.folders.group], group_links(self.FOLDER, False))
        self.assertLinks(links[self.folders.desktop], desktop_links(self.FOLDER))
        self.assertEqual(links[self.folders.common_group], {})
        self.assertEqual(links[self.folders.common_desktop], {})

    def test_second_run_writes_the_same_and_nothing_twice(self):
        self.assertEqual(changes(self.first.values, self.second.values), {})
        self.assertEqual(self.second.links, self.first.links)
        self.assertEqual(len(self.second.links[self.folders.group]), 9)


class AssociationModesOnWindows10(IntegrationTestCase):
    """A run without /assoc=, then one for all users with the image types."""

    FOLDER = "C:\\Programme\\LG\\"

    @classmethod
    def setUpClass(cls):
        cls.prefix = lgwine.Prefix("integration-win10", windows_version="win10")
        cls.folders = Folders(cls.prefix)
        cls.before = snapshot(cls.prefix)
        cls.plain = Run(cls.prefix, cls.folders, r"/silent /folder=C:\Programme\LG /group=1 /desktop=0")
        cls.shared = Run(cls.prefix, cls.folders, r"/silent /folder=C:\Programme\LG /allusers=1 "
                         r"/group=1 /desktop=1 /thumbs=1 /assoc=1")

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def test_without_assoc_no_user_choice_and_no_appx_value(self):
        self.assertEqual(self.plain.code, 0)
        expected = expected_entries(self.FOLDER, set(), windows10=True,
                                    registered_applications=False, thumbnails=False,
                                    install_date=self.plain.install_date())
        self.assertEntries(changes(self.before, self.plain.values), expected)

    def test_windows10_group_has_no_uninstall_link(self):
        self.assertLinks(self.plain.links[self.folders.group], group_links(self.FOLDER, True))
        self.assertEqual(self.plain.links[self.folders.desktop], {})
        self.assertEqual(self.plain.links[self.folders.common_group], {})

    def test_all_users_links_go_to_the_common_folders(self):
        self.assertEqual(self.shared.code, 0)
        links = self.shared.links
        self.assertLinks(links[self.folders.common_group], group_links(self.FOLDER, True))
        self.assertLinks(links[self.folders.common_desktop], desktop_links(self.FOLDER))
        # The user's own folders keep what the first run left.
        self.assertEqual(links[self.folders.group], self.plain.links[self.folders.group])
        self.assertEqual(links[self.folders.desktop], {})

    def test_image_types_take_over_with_appx_values(self):
        found = changes(self.before, self.shared.values)
        expected = expected_entries(self.FOLDER, set(range(IMAGE_ROWS)), windows10=True,
                                    registered_applications=False, thumbnails=True,
                                    install_date=self.shared.install_date())
        self.assertEntries(found, expected)
        self.assertIn((key("user", FILE_EXTS + "jpeg\\UserChoice"), "progid"), found)
        self.assertNotIn((key("user", FILE_EXTS + "avi\\UserChoice"), "progid"), found)


class TargetFolderLength(unittest.TestCase):
    """The longest accepted folder installs; one character more is refused with message 5."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = lgwine.Prefix("integration-length")
        with zipfile.ZipFile(lgwine.BUILD_DIR / "lumagrove-payload.zip") as archive:
            cls.longest_entry = max(len(name) for name in archive.namelist())
        # What must fit 259 characters after the folder (with its backslash): the browse
        # command ("<folder>lg_show64.exe" in quotes, ' "%1" /thumbs'), the quiet uninstall
        # string ("<folder>lgr_uninstall.exe" in quotes, " /silent"), the help link's
        # target (an extra backslash, "help\lg_show32_deutsch.chm") and the unpacked files.
        tail = max(len("lg_show64.exe") + 2 + len(' "%1" /thumbs'),
                   len("lgr_uninstall.exe") + 2 + len(" /silent"),
                   1 + len("help\\lg_show32_deutsch.chm"), cls.longest_entry)
        cls.limit = 259 - tail  # characters of the folder, final backslash included

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def folder(self, length):
        """A folder of length characters (no final backslash) in levels below C:\\Len."""
        folder = "C:\\Len"
        while len(folder) < length:
            folder += "\\" if len(folder) % 50 == 0 else "d"
        return folder[:-1] + "e" if folder.endswith("\\") else folder

    def test_one_character_too_long_is_refused(self):
        folder = self.folder(self.limit)  # with the backslash one more than the limit
        before = snapshot(self.prefix)
        code = self.prefix.setup(f"/silent /folder={folder} /group=1 /assoc=2", r"C:\start-long")
        self.assertEqual(code, 2)
        self.assertEqual(log_messages(self.prefix.log(r"C:\start-long")), [f"{MESSAGE_5}: {folder}"])
        self.assertFalse(self.prefix.host(folder).exists())
        self.assertEqual(changes(before, snapshot(self.prefix)), {})

    def test_exactly_at_the_limit_installs(self):
        folder = self.folder(self.limit - 1)
        run = Run(self.prefix, Folders(self.prefix), f"/silent /folder={folder} /group=1 /thumbs=1",
                  r"C:\start-fit")
        self.assertEqual(run.code, 0)
        self.assertIsNone(self.prefix.log(r"C:\start-fit"))
        uninstall = key("machine", UNINSTALL)
        self.assertEqual(run.values[(uninstall, "installlocation")], ("REG_SZ", folder + "\\"))
        exe = folder + "\\lg_show64.exe"
        command = key("machine", f"Software\\Classes\\Directory\\shell\\{VERB}\\command")
        self.assertEqual(run.values[(command, "")], ("REG_SZ", f'"{exe}" "%1" /thumbs'))
        self.assertEqual(run.values[(uninstall, "quietuninstallstring")],
                         ("REG_SZ", f'"{folder}\\lgr_uninstall.exe" /silent'))
        self.assertTrue(self.prefix.host(exe).exists())
        with zipfile.ZipFile(lgwine.BUILD_DIR / "lumagrove-payload.zip") as archive:
            longest = max(archive.namelist(), key=len)
        self.assertLessEqual(len(folder) + 1 + len(longest), 259)
        self.assertTrue(self.prefix.host(folder + "\\" + longest.replace("/", "\\")).exists())
        group = run.links[Folders(self.prefix).group]
        self.assertEqual(group["Lumagrove Hilfe.lnk"]["target"],
                         folder + "\\help\\lg_show32_deutsch.chm")


if __name__ == "__main__":
    unittest.main()

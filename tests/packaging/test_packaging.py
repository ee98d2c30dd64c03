"""The deployment packages in packaging/: the winget manifests against their schemas, both
packages against the program's own exit-code tables and option names (so a new exit code
or a renamed switch cannot leave a package behind), the Chocolatey package against the
community repository's rules, and the scripts that fill in the installer's hash.

Needs no build and no Wine; runs with `ctest -R packaging` or `python3 -m unittest -v
test_packaging` in this folder."""
import hashlib
import json
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
from pathlib import Path

import jsonschema
import yaml

ROOT = Path(__file__).resolve().parents[2]
PACKAGING = ROOT / "packaging"
WINGET = PACKAGING / "winget"
CHOCO = PACKAGING / "chocolatey"
SCHEMAS = ROOT / "third-party" / "winget-manifest-schemas-1.28.0"
MANIFEST_VERSION = "1.28.0"

# The final exit-code tables, and whether the product is installed (removed) afterwards.
# Until the program's headers carry every code listed here, test_exit_code_tables_are_final
# fails; the other tests follow whatever the headers hold.
SETUP_CODES = {
    0: True,      # installed
    1: False,     # a viewer is running, nothing installed
    2: False,     # target folder empty, invalid or too long
    3: False,     # target folder cannot be created
    4: False,     # payload could not be extracted
    5: False,     # wizard left
    6: False,     # installed, but files held open stay old: not a state to report as done
    7: False,     # target folder or one of its folders is a link: refused
    8: False,     # a newer version is registered, downgrade refused
    3010: True,   # installed, a restart completes it
}
UNINSTALL_CODES = {
    0: True,      # removed
    1: False,     # viewer running
    2: False,     # the user answered No
    3: True,      # removed (entry gone), but files stay
    4: False,     # no installation in this folder
    7: False,     # the installation folder is a link: nothing removed
}
# The options the packages pass; /log=, /progress, /closeviewer= and /allowdowngrade are
# the deployment switches added for them.
SETUP_OPTIONS = {"/silent", "/progress", "/log=", "/folder=", "/closeviewer=",
                 "/allowdowngrade", "/group=", "/desktop=", "/thumbs=", "/allusers=",
                 "/assoc=", "/ini="}
# The ReturnResponse values winget counts as an installation that went through.
WINGET_SUCCESS_RESPONSES = {"rebootRequiredToFinish"}
COMMAND_LINE_READ = 519     # characters of its command line the setup looks at
OPTION_WINDOW = 260         # characters of one option, counted from its "/"

OPTION_TOKEN = re.compile(r"/[a-z]+=?")


def read(path):
    return path.read_text(encoding="utf-8")


def function_body(text, signature):
    """The text between the braces of the function that starts with signature."""
    start = text.index(signature)
    open_at = text.index("{", start)
    depth = 0
    for i in range(open_at, len(text)):
        depth += {"{": 1, "}": -1}.get(text[i], 0)
        if depth == 0:
            return text[open_at + 1:i]
    raise AssertionError(f"unbalanced braces after {signature}")


def exit_code_table(folders, signature, enum):
    """{outcome: code} from the one function that maps an outcome enum to exit codes."""
    files = [p for folder in folders for p in sorted((ROOT / folder).glob("*.h"))
             if signature in read(p)]
    assert len(files) == 1, f"{signature} should be defined once, found in {files}"
    body = function_body(read(files[0]), signature)
    table = {m[1]: int(m[2]) for m in
             re.finditer(rf"case\s+{enum}::(\w+):\s*return\s+(-?\d+)\s*;", body)}
    assert table, f"no cases in {files[0]}"
    return table


def setup_exit_codes():
    return set(exit_code_table(("app", "engine", "base"), "constexpr int ExitCodeFor(",
                               "RunOutcome").values())


def uninstall_exit_codes():
    return set(exit_code_table(("payload/uninstaller",), "constexpr int UninstallExitCode(",
                               "UninstallOutcome").values())


def option_literals(folders):
    """The option texts a program looks for: wide literals such as L"/folder=" ."""
    found = set()
    for folder in folders:
        for path in (ROOT / folder).glob("*.cpp"):
            found |= set(re.findall(r'L"(/[a-z]+=?)"', read(path)))
    return found


def program_facts():
    """Version, product name, publisher, uninstall key and web base as the program has them."""
    paths = read(ROOT / "integration/install_paths.h")
    major = re.search(r"kVersionMajor\s*=\s*(\d+)", paths)[1]
    minor = re.search(r"kVersionMinor\s*=\s*(\d+)", paths)[1]
    cmake = read(ROOT / "CMakeLists.txt")
    return {
        "version": f"{major}.{minor}",
        "project_version": re.search(r"project\(\w+ VERSION ([\d.]+)", cmake)[1],
        "product": re.search(r'kProductName\[\]\s*=\s*L"([^"]+)"', paths)[1],
        "publisher": re.search(r'kPublisher\[\]\s*=\s*L"([^"]+)"',
                               read(ROOT / "integration/registration.cpp"))[1],
        "uninstall_key": re.search(r'kUninstallKey\[\]\s*=\s*L"([^"]+)"',
                                   read(ROOT / "integration/registration.h"))[1]
                         .replace("\\\\", "\\"),
        "web_base": re.search(r'set\(LG_WEB_BASE "([^"]+)"', cmake)[1],
    }


def load_manifests():
    manifests = {}
    for path in sorted(WINGET.glob("*.yaml")):
        data = yaml.safe_load(read(path))
        assert data["ManifestType"] not in manifests, f"two {data['ManifestType']} manifests"
        manifests[data["ManifestType"]] = (path, data)
    return manifests


def winget_success_codes(installer):
    """The exit codes winget reports as installed: 0, the success codes, reboot-to-finish."""
    expected = {e["InstallerReturnCode"] for e in installer.get("ExpectedReturnCodes", [])
                if e["ReturnResponse"] in WINGET_SUCCESS_RESPONSES}
    return {0} | set(installer.get("InstallerSuccessCodes", [])) | expected


def setup_value(line, option):
    """What the setup reads for option in its command line: the first occurrence in the
    first 519 characters, up to the next "/"; True for a switch without "=", None when
    absent. Path values lose trailing blanks and one quote at each end."""
    line = line[:COMMAND_LINE_READ]
    at = line.find(option)
    if at < 0:
        return None
    if not option.endswith("="):
        return True
    value = line[at + len(option):at + OPTION_WINDOW].split("/", 1)[0].rstrip(" ")
    if value.endswith('"'):
        value = value[:-1]
    if value.startswith('"'):
        value = value[1:]
    return value.rstrip(" ")


def winget_command_line(switches, installer_path, log_path, *, silent=False, custom=None,
                        upgrade=False, location=None):
    """The command line winget starts the setup with, parts in winget's order
    (ShellExecuteInstallerHandler.cpp, GetInstallerArgsTemplate)."""
    parts = [switches["Silent" if silent else "SilentWithProgress"], switches["Log"]]
    parts.append(switches.get("Custom"))
    parts.append(custom)
    if upgrade:
        parts.append(switches.get("Upgrade"))
    if location is not None:
        parts.append(switches["InstallLocation"].replace("<INSTALLPATH>", location))
    args = " ".join(p for p in parts if p).replace("<LOGPATH>", log_path)
    return f'"{installer_path}" {args}'


def ps_code_table(script, name):
    """The integer keys of a hashtable `$name = @{ 1 = '...' ... }` in a PowerShell script."""
    m = re.search(rf"^\${name}\s*=\s*@\{{(.*?)^\}}", script, re.M | re.S)
    assert m, f"no ${name} = @{{...}} table"
    return {int(k) for k in re.findall(r"^\s*(-?\d+)\s*=", m[1], re.M)}


def ps_array(script, name):
    """The integers of a line `$name = @(1, 2)` in a PowerShell script."""
    m = re.search(rf"^\${name}\s*=\s*@\(([^)]*)\)", script, re.M)
    assert m, f"no ${name} = @(...) line"
    return {int(x) for x in m[1].split(",")}


class ProgramTables(unittest.TestCase):
    def test_exit_code_tables_are_final(self):
        # Fails until the setup and the uninstaller return every code of the final tables.
        self.assertEqual(setup_exit_codes(), set(SETUP_CODES), "setup exit codes")
        self.assertEqual(uninstall_exit_codes(), set(UNINSTALL_CODES), "uninstaller exit codes")

    def test_programs_read_the_options_the_packages_need(self):
        self.assertEqual(SETUP_OPTIONS - option_literals(("app", "base")), set())
        self.assertIn("/silent", option_literals(("payload/uninstaller",)))


class WingetManifests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.manifests = load_manifests()
        cls.installer = cls.manifests["installer"][1]
        cls.locale = cls.manifests["defaultLocale"][1]
        cls.version = cls.manifests["version"][1]
        cls.facts = program_facts()

    def test_manifests_match_their_schemas(self):
        self.assertEqual(set(self.manifests), {"version", "defaultLocale", "installer"})
        for kind, (path, data) in self.manifests.items():
            with self.subTest(path.name):
                schema = json.loads(read(SCHEMAS / f"manifest.{kind}.{MANIFEST_VERSION}.json"))
                errors = [f"{'/'.join(map(str, e.absolute_path))}: {e.message}"
                          for e in jsonschema.Draft7Validator(schema).iter_errors(data)]
                self.assertEqual(errors, [])
                self.assertEqual(data["ManifestVersion"], MANIFEST_VERSION)
                # The editor hint names the same schema.
                self.assertIn(f"$schema={schema['$id']}", read(path).splitlines()[0])

    def test_manifests_agree_with_the_program(self):
        facts, inst = self.facts, self.installer
        for _, data in self.manifests.values():
            self.assertEqual(data["PackageIdentifier"], "Vestalor.Lumagrove")
            self.assertEqual(data["PackageVersion"], facts["version"])
        self.assertEqual(facts["project_version"], facts["version"])
        self.assertEqual(self.version["DefaultLocale"], self.locale["PackageLocale"])
        self.assertEqual(inst["InstallerLocale"], self.locale["PackageLocale"])
        self.assertEqual(self.locale["Publisher"], facts["publisher"])
        product_code = facts["uninstall_key"].rsplit("\\", 1)[1]
        self.assertEqual(inst["ProductCode"], product_code)
        (entry,) = inst["AppsAndFeaturesEntries"]
        self.assertEqual(entry["ProductCode"], product_code)
        self.assertEqual(entry["Publisher"], facts["publisher"])
        self.assertEqual(entry["DisplayName"], f"{facts['product']} {facts['version']} (64-bit)")
        # The entry's DisplayVersion is the package version, so winget wants it left out.
        self.assertNotIn("DisplayVersion", entry)

    def test_urls_use_the_web_base(self):
        base = self.facts["web_base"]
        urls = [v for _, data in self.manifests.values() for v in strings_in(data)
                if v.startswith("http")]
        self.assertTrue(urls)
        for url in urls:
            self.assertTrue(url.startswith(base + "/"), url)
        self.assertEqual(self.locale["LicenseUrl"], base + "/eula.htm")
        self.assertIn(base + "/faq.htm", urls)
        (package,) = self.installer["Installers"]
        self.assertTrue(package["InstallerUrl"].endswith(
            f"/{self.facts['version']}/lumagrove-setup64.exe"))

    def test_every_exit_code_of_the_setup_has_its_meaning(self):
        inst = self.installer
        success = set(inst.get("InstallerSuccessCodes", []))
        expected = {e["InstallerReturnCode"] for e in inst["ExpectedReturnCodes"]}
        self.assertEqual(success & expected, set(), "a success code hides its response")
        for code in sorted(setup_exit_codes() - {0}):
            with self.subTest(code=code):
                self.assertTrue(code in success or code in expected, "not in the manifest")
        # And no entry for a code the program does not have.
        self.assertEqual((success | expected) - set(SETUP_CODES), set())
        winget_ok = winget_success_codes(inst)
        for code, installed in SETUP_CODES.items():
            with self.subTest(code=code):
                self.assertEqual(code in winget_ok, installed)

    def test_switches_are_options_of_the_setup(self):
        known = option_literals(("app", "base")) | SETUP_OPTIONS
        for name, text in self.installer["InstallerSwitches"].items():
            with self.subTest(name):
                tokens = OPTION_TOKEN.findall(text)
                self.assertTrue(tokens)
                self.assertEqual(set(tokens) - known, set())
        switches = self.installer["InstallerSwitches"]
        self.assertIn('"<LOGPATH>"', switches["Log"])
        self.assertIn('"<INSTALLPATH>"', switches["InstallLocation"])

    def test_what_the_setup_reads_from_winget(self):
        switches = self.installer["InstallerSwitches"]
        exe = r"C:\Users\anna\AppData\Local\Temp\WinGet\Vestalor.Lumagrove.4.58\lumagrove-setup64.exe"
        log = r"C:\Users\anna\AppData\Local\WinGet-Vestalor.Lumagrove.4.58-2026-12-11-10-37-09.123.log"
        # (winget arguments, {option: what the setup must read})
        cases = [
            ({}, {"/silent": True, "/progress": True, "/log=": log, "/group=": "1",
                  "/folder=": None, "/closeviewer=": None}),
            ({"silent": True, "location": r"D:\Program Files\Lumagrove"},
             {"/silent": True, "/progress": None, "/folder=": r"D:\Program Files\Lumagrove",
              "/log=": log}),
            ({"upgrade": True}, {"/closeviewer=": "30", "/folder=": None}),
            # The user's --custom comes before the upgrade's default and wins.
            ({"upgrade": True, "custom": "/closeviewer=5 /desktop=1/assoc=1"},
             {"/closeviewer=": "5", "/desktop=": "1", "/assoc=": "1", "/group=": "1"}),
        ]
        for args, reads in cases:
            line = winget_command_line(switches, exe, log, **args)
            with self.subTest(line):
                for option, value in reads.items():
                    self.assertEqual(setup_value(line, option), value, option)
                if "custom" not in args:
                    tokens = OPTION_TOKEN.findall(line)
                    self.assertEqual(len(tokens), len(set(tokens)), "an option given twice")

    def test_command_line_leaves_room_for_the_folder(self):
        # The longest paths winget itself puts before /folder=: the system account's
        # profile and its default log name. The setup stops reading at 519 characters, so
        # the fixed switches must leave a long folder room to be read whole.
        switches = self.installer["InstallerSwitches"]
        profile = r"C:\Windows\System32\config\systemprofile"
        exe = r"C:\Windows\SystemTemp\WinGet\Vestalor.Lumagrove.4.58\lumagrove-setup64.exe"
        log = (profile + r"\AppData\Local\Packages\Microsoft.DesktopAppInstaller_8wekyb3d8bbwe"
               r"\LocalState\DiagOutputDir\WinGet-Vestalor.Lumagrove.4.58-2026-12-11-10-37-09.123.log")
        folder = "D:\\" + "\\".join(["Anwendungen mit langem Namen"] * 5)[:147]
        line = winget_command_line(switches, exe, log, upgrade=True, location=folder)
        self.assertLessEqual(len(line), COMMAND_LINE_READ, line)
        self.assertEqual(setup_value(line, "/folder="), folder)


def strings_in(data):
    if isinstance(data, dict):
        for value in data.values():
            yield from strings_in(value)
    elif isinstance(data, list):
        for value in data:
            yield from strings_in(value)
    elif isinstance(data, str):
        yield data


NUSPEC_NS = {"n": "http://schemas.microsoft.com/packaging/2015/06/nuspec.xsd"}


class ChocolateyPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.nuspec_path = CHOCO / "lumagrove.nuspec"
        cls.nuspec_text = read(cls.nuspec_path)
        cls.metadata = {el.tag.split("}")[1]: (el.text or "").strip()
                        for el in ET.fromstring(cls.nuspec_text).find("n:metadata", NUSPEC_NS)}
        cls.install = read(CHOCO / "tools" / "chocolateyInstall.ps1")
        cls.uninstall = read(CHOCO / "tools" / "chocolateyUninstall.ps1")
        cls.facts = program_facts()

    def test_nuspec_meets_the_community_rules(self):
        m = self.metadata
        for field in ("id", "version", "title", "authors", "description", "summary", "tags",
                      "copyright", "projectUrl", "packageSourceUrl", "iconUrl", "licenseUrl",
                      "docsUrl", "bugTrackerUrl"):
            with self.subTest(field):
                self.assertTrue(m.get(field), "missing or empty")
        self.assertEqual(m["id"], self.nuspec_path.stem)
        self.assertRegex(m["id"], r"^[a-z0-9-]+$")   # lower case, no dots or underscores
        self.assertNotRegex(m["id"], r"alpha|beta|prerelease|\.config$")
        self.assertEqual(m["version"], self.facts["version"])
        for field in ("projectUrl", "packageSourceUrl", "iconUrl", "licenseUrl", "docsUrl",
                      "bugTrackerUrl"):
            self.assertTrue(m[field].startswith(self.facts["web_base"] + "/"), field)
        self.assertEqual(m["licenseUrl"], self.facts["web_base"] + "/eula.htm")
        if m.get("requireLicenseAcceptance") == "true":
            self.assertTrue(m["licenseUrl"])
        self.assertGreater(len(m["description"]), 30)
        self.assertLessEqual(len(m["description"]), 4000)
        self.assertNotRegex(m["description"], re.compile(r"^#+[^\s#]", re.M))
        self.assertGreaterEqual(len(m["copyright"]), 4)
        tags = m["tags"].split()
        self.assertNotIn(",", m["tags"])
        self.assertIn("admin", tags)          # the package uses the admin helpers
        self.assertNotIn("chocolatey", tags)
        self.assertNotRegex(self.nuspec_text, r"[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+\.[A-Za-z]{2,}")
        self.assertNotRegex(self.nuspec_text.lower(), r"__replace|space_separated|tag1")

    def test_package_files(self):
        tools = CHOCO / "tools"
        # Exact names; an installer is embedded, so the licence and the verification too.
        for name in ("chocolateyInstall.ps1", "chocolateyUninstall.ps1", "LICENSE.txt",
                     "VERIFICATION.txt"):
            self.assertTrue((tools / name).is_file(), name)
        self.assertIn('src="tools\\**" target="tools"', self.nuspec_text)
        verification = read(tools / "VERIFICATION.txt")
        (package,) = load_manifests()["installer"][1]["Installers"]
        self.assertIn(package["InstallerUrl"], verification)
        self.assertRegex(verification, re.compile(r"^\s*checksum64: [0-9A-F]{64}$", re.M))
        self.assertIn(self.metadata["licenseUrl"], read(tools / "LICENSE.txt"))
        if shutil.which("git") and (ROOT / ".git").exists():
            tracked = subprocess.run(["git", "ls-files", "packaging"], cwd=ROOT, check=True,
                                     capture_output=True, text=True).stdout.split()
            self.assertEqual([f for f in tracked if f.lower().endswith((".exe", ".nupkg"))], [])

    def test_scripts_avoid_what_the_community_repository_refuses(self):
        refused = ("choco install", "cinst", "choco upgrade", "import-module",
                   "$installarguments", "$installerarguments", "chocolateyinstallarguments",
                   "$nugetexe", "$nugetpath", "$shimgen", "$checksumexe", "# main helper")
        for name, script in (("install", self.install), ("uninstall", self.uninstall)):
            for text in refused:
                with self.subTest(script=name, text=text):
                    self.assertNotIn(text, script.lower())

    def test_exit_codes_match_the_programs(self):
        valid = ps_array(self.install, "validExitCodes")
        self.assertEqual(valid, winget_success_codes(load_manifests()["installer"][1]))
        self.assertEqual(valid, {c for c, ok in SETUP_CODES.items() if ok})
        removed = ps_array(self.uninstall, "validExitCodes")
        self.assertEqual(removed, {c for c, ok in UNINSTALL_CODES.items() if ok})
        self.assertLessEqual(removed, uninstall_exit_codes())
        # Every failure has its own explanation (Chocolatey's hints describe other installers).
        self.assertEqual(ps_code_table(self.install, "failures"),
                         {c for c, ok in SETUP_CODES.items() if not ok})
        self.assertEqual(ps_code_table(self.uninstall, "failures"),
                         {c for c, ok in UNINSTALL_CODES.items() if not ok})

    def test_parameters_map_onto_setup_options(self):
        rows = re.findall(r"@\{ Name = '(\w+)'; Switch = '([^']+)'; Kind = '(\w+)'", self.install)
        self.assertTrue(rows)
        known = option_literals(("app", "base")) | SETUP_OPTIONS
        names = [name for name, _, _ in rows]
        self.assertEqual(len(names), len(set(names)))
        for name, switch, kind in rows:
            with self.subTest(name):
                self.assertIn(switch, known)
                self.assertEqual(kind == "flag", not switch.endswith("="))
                self.assertIn(f"/{name}", self.metadata["description"])   # documented
        # Long paths first: the setup reads only the first 519 characters.
        kinds = [kind for _, _, kind in rows]
        self.assertEqual(kinds, sorted(kinds, key=lambda k: k != "path"))
        self.assertIn("@('/silent')", self.install)
        # The uninstall script reads the program's own uninstall entry and passes its switch.
        self.assertIn(f"'HKLM:\\{self.facts['uninstall_key']}'", self.uninstall)
        self.assertIn("silentArgs     = '/silent'", self.uninstall)


class PackagingScripts(unittest.TestCase):
    def setUp(self):
        self.tmp = Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, self.tmp)
        self.installer = self.tmp / "lumagrove-setup64.exe"
        self.installer.write_bytes(b"MZ stand-in for the setup")
        self.digest = hashlib.sha256(self.installer.read_bytes()).hexdigest().upper()

    def run_script(self, *args):
        return subprocess.run([str(PACKAGING / args[0]), *map(str, args[1:])], check=True,
                              capture_output=True, text=True)

    def test_update_hashes_fills_both_files(self):
        copy = self.tmp / "packaging"
        for part in ("winget", "chocolatey"):
            shutil.copytree(PACKAGING / part, copy / part)
        for content in (b"first build", b"second build"):
            self.installer.write_bytes(content)
            digest = hashlib.sha256(content).hexdigest().upper()
            self.run_script("update-hashes", self.installer, "--packaging", copy)
            installer = yaml.safe_load(read(copy / "winget/Vestalor.Lumagrove.installer.yaml"))
            self.assertEqual(installer["Installers"][0]["InstallerSha256"], digest)
            schema = json.loads(read(SCHEMAS / f"manifest.installer.{MANIFEST_VERSION}.json"))
            jsonschema.validate(installer, schema, cls=jsonschema.Draft7Validator)
            verification = read(copy / "chocolatey/tools/VERIFICATION.txt")
            self.assertEqual(re.findall(r"checksum64: (\w+)", verification), [digest])

    def test_update_hashes_refuses_a_missing_installer(self):
        result = subprocess.run([str(PACKAGING / "update-hashes"), self.tmp / "none.exe",
                                 "--packaging", self.tmp], capture_output=True, text=True)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("no installer", result.stderr)

    def test_stage_chocolatey_leaves_the_tree_alone(self):
        before = {p: p.read_bytes() for p in CHOCO.rglob("*") if p.is_file()}
        self.run_script("stage-chocolatey", self.installer, self.tmp / "stage")
        staged = self.tmp / "stage" / "chocolatey"
        self.assertEqual((staged / "tools/lumagrove-setup64.exe").read_bytes(),
                         self.installer.read_bytes())
        self.assertIn(f"checksum64: {self.digest}", read(staged / "tools/VERIFICATION.txt"))
        self.assertEqual(read(staged / "lumagrove.nuspec"), read(CHOCO / "lumagrove.nuspec"))
        self.assertEqual({p: p.read_bytes() for p in CHOCO.rglob("*") if p.is_file()}, before)


if __name__ == "__main__":
    unittest.main(argv=sys.argv)

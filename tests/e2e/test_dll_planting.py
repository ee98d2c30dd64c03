"""Libraries planted beside the elevated programs. Started from a folder that a user can
write (a download folder), or from an installation folder, neither the installer nor the
uninstaller may load a uxtheme.dll or msimg32.dll found there: Windows looks for a
library that is not a known one in the program's folder first. Wine prefers its builtin
libraries; the override "n,b" makes it take a native one from the program's folder, as
Windows does. A planted library leaves a marker file when it is loaded."""
import re
import shutil
import subprocess
import sys
import unittest
from pathlib import Path

from e2e_support import lgwine

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "gui"))
import lggui  # noqa: E402

PLANTED = ("uxtheme.dll", "msimg32.dll")
DOWNLOADS = "C:\\Downloads\\"
SETUP = DOWNLOADS + "lumagrove-setup64.exe"
UNINSTALLER = DOWNLOADS + "lgr_uninstall.exe"
TARGET = "C:\\Apps\\Lumagrove\\"
MARKERS = r"C:\outside"
OK, YES = 1, 6
NOT_THIS_FOLDER = 4
WIZARD_ABANDONED = 5
# The KnownDLLs of 64-bit Windows 10 (HKLM\SYSTEM\CurrentControlSet\Control\Session
# Manager\KnownDLLs, without the WOW64 ones), and ntdll, which every process has first.
# Windows takes these from the system folder only, whatever the search path.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll", "difxapi.dll",
    "gdi32.dll", "gdiplus.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll", "msctf.dll",
    "msvcrt.dll", "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll",
    "rpcrt4.dll", "sechost.dll", "setupapi.dll", "shcore.dll", "shell32.dll", "shlwapi.dll",
    "user32.dll", "wldap32.dll", "ws2_32.dll", "ntdll.dll"}
OBJDUMP = "x86_64-w64-mingw32-objdump"


class PlantedLibraries(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        cls.prefix = p = lgwine.Prefix("dll-planting")
        p.env["WINEDLLOVERRIDES"] += ";" + ",".join(n[:-4] for n in PLANTED) + "=n,b"
        p.env["LG_PLANTED_MARKERS"] = MARKERS
        p.host(MARKERS).mkdir(parents=True)
        p.host(DOWNLOADS).mkdir(parents=True)
        shutil.copy2(lgwine.SETUP_EXE, p.host(SETUP))
        shutil.copy2(lgwine.BUILD_DIR / "payload-files" / "lgr_uninstall.exe", p.host(UNINSTALLER))
        cls.plant(DOWNLOADS)

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    @classmethod
    def plant(cls, folder):
        for name in PLANTED:
            shutil.copy2(lgwine.BUILD_DIR / "planted" / name, cls.prefix.host(folder) / name)

    def loaded(self):
        """{planted library: programs that loaded it} since the last call."""
        found = {}
        for marker in sorted(self.prefix.host(MARKERS).iterdir()):
            found[marker.name] = marker.read_text(encoding="utf-8").split()
            marker.unlink()
        return found

    def driven(self, command_line, steps):
        """Starts command_line from the download folder under the GUI driver and runs
        steps(drive); returns the program's exit code, or the driver's complaint when the
        program did not behave (a planted library may break it)."""
        drive = lggui.Driver(self.prefix)
        try:
            drive("start", f"{DOWNLOADS}|{command_line}")
            steps(drive)
            return int(drive("wait-exit", 30000, timeout=40))
        except lggui.GuiError as error:
            return str(error)
        finally:
            if drive("alive") == "1":
                drive("kill")
            drive.close()

    def test_imports_are_known_libraries(self):
        """Imports are resolved before the program's first line; only KnownDLLs are safe."""
        uninstaller = lgwine.BUILD_DIR / "payload-files" / "lgr_uninstall.exe"
        for program in (lgwine.SETUP_EXE, uninstaller):
            with self.subTest(program=program.name):
                dump = subprocess.run([OBJDUMP, "-p", str(program)], check=True,
                                      capture_output=True, text=True).stdout
                imports = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
                self.assertIn("kernel32.dll", imports)
                self.assertEqual(imports - KNOWN_DLLS, set())

    def test_silent_installation_and_removal(self):
        options = f'/silent /folder="{TARGET[:-1]}" /desktop=1/group=1 /assoc=2'
        code = self.prefix.run(f'"{SETUP}" {options}', DOWNLOADS)
        self.assertEqual(code, 0)
        self.assertEqual(self.loaded(), {})
        self.assertTrue(self.prefix.host(TARGET + "lgr_uninstall.exe").exists())
        # The same libraries beside the installed uninstaller.
        self.plant(TARGET)
        code = self.prefix.run(f'"{TARGET}lgr_uninstall.exe" /silent', DOWNLOADS)
        self.assertEqual(code, 0)
        self.assertEqual(self.loaded(), {})
        self.assertFalse(self.prefix.host(TARGET + "lg_show64.exe").exists())

    def test_wizard_shows_its_pages(self):
        def walk(drive):
            drive("sheet", 30000, timeout=40)
            self.assertEqual(drive("press", "next"), "done")
            drive("waitpage", 1)
            drive("press", "cancel")
            drive("answer", YES)

        code = self.driven(f'"{SETUP}"', walk)
        self.assertEqual(self.loaded(), {})
        self.assertEqual(code, WIZARD_ABANDONED)

    def test_uninstaller_shows_its_message(self):
        def confirm(drive):
            box = drive.fields("dialog", 20000, timeout=30)
            self.assertIn("keine Installation", box["text"])
            drive("answer", OK)

        code = self.driven(f'"{UNINSTALLER}"', confirm)
        self.assertEqual(self.loaded(), {})
        self.assertEqual(code, NOT_THIS_FOLDER)


if __name__ == "__main__":
    unittest.main()

"""The full log that /log=PATH writes, under Wine: a silent installation with winget's
command line and the removal by the uninstall entry's QuietUninstallString, each step in
their logs, and the machine as it was before; a failed run, whose failure log stays as it
always was; log paths that cannot be written, which change nothing else."""
import getpass
import os
import re
import time
import unittest
import zipfile

from e2e_support import MESSAGE_11, full_log, lgwine, log_messages
from test_integration import (UNINSTALL, WINE_NOISE, Folders, changes, extensions, group_links,
                              snapshot)
from test_uninstall import CONTAINERS, file_tree, host_rel, tree_changes

PAYLOAD = lgwine.BUILD_DIR / "lumagrove-payload.zip"
TARGET = "C:\\Program Files\\Lumagrove\\"
SETUP_LOG = r"C:\Logs\Lumagrove Setup.log"
UNINSTALL_LOG = r"C:\Logs\Lumagrove Uninstall.log"
# winget joins Silent, Log and Custom from the manifest, then the user's --custom.
WINGET_INSTALL = f'/silent /log="{SETUP_LOG}" /group=1 /desktop=1 /thumbs=1 /assoc=2'
# Windows always has the user's class key; a fresh Wine prefix gets it from the picture
# apps' "NoOpenWith" values (Windows 10), and the uninstaller leaves it like the others.
KEPT_KEYS = CONTAINERS | {"user:software\\classes"}
OLDER_RUN = b"2026-01-02 03:04:05  an older run\r\n"
VICTIM = b"the victim's own bytes"


def now():
    return time.strftime("%Y-%m-%d %H:%M:%S")


def payload_entries():
    """(Windows path below the target, is a folder) of every archive entry."""
    with zipfile.ZipFile(PAYLOAD) as archive:
        return [(i.filename.rstrip("/").replace("/", "\\"), i.is_dir()) for i in archive.infolist()]


def starting(texts, prefix):
    return [t[len(prefix):] for t in texts if t.startswith(prefix)]


class FullLogTestCase(unittest.TestCase):
    maxDiff = None

    def assertHeader(self, texts, program, command_line, windows):
        """The lines every full log starts with."""
        self.assertEqual(texts[0], f"======== {program} 4.58 ========")
        self.assertTrue(texts[1].startswith("Programmdatei: ") and texts[1].endswith(".exe"),
                        texts[1])
        self.assertEqual(texts[2], f"Befehlszeile: {command_line}")
        self.assertRegex(texts[3], rf"^Windows: {re.escape(windows)}\.\d+")
        self.assertEqual(texts[4], "Erhöht (Administrator): ja")
        self.assertRegex(texts[5], rf"^Benutzer: [^\\]+\\{re.escape(getpass.getuser())}$")
        self.assertRegex(texts[6], r"^Datum und Zeit: \d{4}-\d\d-\d\d \d\d:\d\d:\d\d Ortszeit "
                                   r"\(UTC[+-]\d\d:\d\d\)$")


class WingetRoundTrip(FullLogTestCase):
    """On Windows 10: the installation as winget starts it, then exactly the uninstall
    entry's QuietUninstallString (winget appends nothing to it; the test adds /log=)."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = p = lgwine.Prefix("full-log-winget", windows_version="win10")
        p.host(r"C:\Logs").mkdir()
        p.host(r"C:\start").mkdir()
        p.host(SETUP_LOG).write_bytes(OLDER_RUN)  # a log is appended to, never replaced
        cls.folders = Folders(p)
        cls.registry_before = snapshot(p)
        cls.files_before = file_tree(p)
        cls.started = now()
        cls.install_code = p.setup(WINGET_INSTALL)
        cls.finished = now()
        cls.quiet = p.machine().value(UNINSTALL, "QuietUninstallString")
        cls.uninstall_line = f'{cls.quiet[1]} /log="{UNINSTALL_LOG}"'
        cls.uninstall_code = p.run(cls.uninstall_line, r"C:\start")
        cls.registry_after = snapshot(p)
        cls.files_after = file_tree(p)
        cls.setup_steps = full_log(p.host(SETUP_LOG), after=OLDER_RUN)
        cls.setup_texts = [text for _, text in cls.setup_steps]
        cls.uninstall_texts = [text for _, text in full_log(p.host(UNINSTALL_LOG))]

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def test_installs_and_removes_by_the_registered_quiet_command(self):
        self.assertEqual(self.quiet, ("REG_SZ", f'"{TARGET}lgr_uninstall.exe" /silent'))
        self.assertEqual((self.install_code, self.uninstall_code), (0, 0))
        self.assertIsNone(self.prefix.log(r"C:\start"), "no failure log after a good run")

    def test_setup_log_is_appended_with_the_header_and_the_options(self):
        texts = self.setup_texts
        command_line = f'"{lgwine.dos_path(lgwine.SETUP_EXE)}" {WINGET_INSTALL}'
        self.assertHeader(texts, "Lumagrove 64-bit Setup", command_line, "10.0")
        for time_stamp, _ in self.setup_steps:
            self.assertTrue(self.started <= time_stamp <= self.finished, time_stamp)
        self.assertIn("Art des Laufs: unbeaufsichtigt (/silent)", texts)
        for line in (f"Option Protokoll (/log=): {SETUP_LOG}",
                     "Option Betrachter schließen (/closeviewer=): nicht angegeben",
                     f"Option Zielverzeichnis (/folder=): {TARGET[:-1]}",
                     "Option Startmenügruppe (/group=): 1", "Option Desktop-Verknüpfung (/desktop=): 1",
                     "Option Thumbnails-Verknüpfung (/thumbs=): 1",
                     "Option Für alle Benutzer (/allusers=): 0",
                     "Option Einstellungsverzeichnis (/ini=): %APPDATA%\\Lumagrove",
                     "Option Dateitypen (/assoc=): Zuordnen 1, ausgewählte Einträge: 0-61"):
            self.assertIn(line, texts)
        self.assertEqual(texts[-1], "Ergebnis: installiert (Exitcode 0)")

    def test_setup_log_names_every_folder_and_file_once(self):
        texts = self.setup_texts
        expected_files = sorted(TARGET + p for p, folder in payload_entries() if not folder)
        self.assertEqual(len(expected_files), 34)
        self.assertEqual(sorted(starting(texts, "Datei geschrieben: ")), expected_files)
        self.assertEqual([t for t in texts if t.startswith("Datei ") and
                          not t.startswith("Datei geschrieben: ")], [])
        self.assertEqual(sorted(starting(texts, "Verzeichnis erstellt: ")),
                         sorted(TARGET + p for p, folder in payload_entries() if folder))
        self.assertIn("Entpacken beendet: 34 Dateien geschrieben, 0 ersetzt, 0 beim Neustart, "
                      "0 ausgelassen", texts)
        self.assertIn(f"Zielverzeichnis erstellt (Rechte von Program Files geerbt): {TARGET[:-1]}",
                      texts)

    def test_setup_log_names_the_settings_links_and_registry_groups(self):
        texts = self.setup_texts
        appdata_ini = r"C:\users\root\AppData\Roaming\Lumagrove\lg_show64.ini"
        for line in ("Einstellungsverzeichnis erstellt: C:\\users\\root\\AppData\\Roaming\\Lumagrove",
                     f"Einstellungsdatei (Verweis auf das Einstellungsverzeichnis) geschrieben: "
                     f"{TARGET}lg_show64.ini",
                     f"Einstellungsdatei geschrieben: {appdata_ini}",
                     f"Einstellungsdatei in UTF-16 umgewandelt: {appdata_ini}"):
            self.assertIn(line, texts)
        group, desktop = self.folders.group, self.folders.desktop
        links = [f"{group}\\{name}" for name in group_links(TARGET, windows10=True)]
        links += [f"{desktop}\\{name}" for name in ("Lumagrove 64.lnk", "Lumagrove 64 Thumbnails.lnk")]
        self.assertEqual(sorted(starting(texts, "Verknüpfung geschrieben: ")), sorted(links))
        self.assertEqual(starting(texts, "Verknüpfung ausgelassen "),
                         [f"(ab Windows 8 steht die Deinstallation in den Einstellungen): "
                          f"{group}\\Lumagrove deinstallieren.lnk"])
        count = len(list(extensions()))
        self.assertEqual([t for t in texts if t.startswith("Registrierung")], [
            "Registrierung Befehl „Durchsuchen mit Lumagrove“ (Ordner und Laufwerke): "
            "4 Werte geschrieben",
            "Registrierung Anwendungsklasse (HKLM\\SOFTWARE\\Classes\\Lumagrove, "
            "HKCR\\Applications\\lg_show64.exe): 4 Werte geschrieben",
            "Registrierung Deinstallationseintrag HKLM\\SOFTWARE\\Microsoft\\Windows\\"
            "CurrentVersion\\Uninstall\\Lumagrove64: 16 Werte geschrieben",
            "Registrierung Anwendung und Fähigkeiten (HKLM\\SOFTWARE\\Lumagrove): "
            "2 Werte geschrieben",
            f"Registrierung Dateitypen (61 Zeilen, {count} Erweiterungen mit ProgID und "
            f"Fähigkeit, davon {count} auf Lumagrove gesetzt, {count} Benutzerauswahlen "
            f"übernommen): {6 * count} Werte geschrieben",
            "Registrierung NoOpenWith der Foto-Apps: 5 Werte geschrieben",
        ])
        # In the order of the run.
        order = [next(i for i, t in enumerate(texts) if t.startswith(p)) for p in (
            "Datei geschrieben", "Einstellungsdatei geschrieben", "Verknüpfung geschrieben",
            "Registrierung Dateitypen", "Einstellungsdatei in UTF-16", "Ergebnis")]
        self.assertEqual(order, sorted(order))

    def test_uninstall_log_names_each_removal_and_the_outcome(self):
        texts = self.uninstall_texts
        self.assertHeader(texts, "Lumagrove 64-bit Deinstallation", self.uninstall_line, "10.0")
        self.assertIn(f"Option Protokoll (/log=): {UNINSTALL_LOG}", texts)
        files = sorted(TARGET + p for p, folder in payload_entries()
                       if not folder and p != "lgr_uninstall.exe")
        self.assertEqual(sorted(starting(texts, "Datei entfernt: ")), files)
        self.assertEqual(sorted(starting(texts, "Verzeichnis entfernt: ")),
                         sorted(TARGET + p for p, folder in payload_entries() if folder))
        group, desktop = self.folders.group, self.folders.desktop
        links = [f"{group}\\{name}" for name in group_links(TARGET, windows10=True)]
        links += [f"{desktop}\\{name}" for name in ("Lumagrove 64.lnk", "Lumagrove 64 Thumbnails.lnk")]
        self.assertEqual(sorted(starting(texts, "Verknüpfung entfernt: ")), sorted(links))
        self.assertIn(f"Startmenügruppe entfernt: {group}", texts)
        self.assertIn(f"Einstellungsdatei (Verweis auf das Einstellungsverzeichnis) entfernt: "
                      f"{TARGET}lg_show64.ini", texts)
        own = [t for t in texts if t.startswith("Eigene Datei ")]
        self.assertRegex(own[0], rf"^Eigene Datei {re.escape(TARGET)}lgr_uninstall\.exe "
                                 r"verschoben nach C:\\windows\\Temp\\lg-[0-9a-f]{16}\\lgr_uninstall\.exe$")
        count = len(list(extensions()))
        for line in (f"Registrierung entfernt, Dateierweiterungen: {count} entfernt, 0 behalten",
                     f"Registrierung entfernt, Benutzerauswahlen: {count} entfernt, 0 behalten",
                     "Registrierung entfernt, Deinstallationseintrag: 1 entfernt, 0 behalten",
                     f"Installationsverzeichnis entfernt: {TARGET[:-1]}"):
            self.assertIn(line, texts)
        self.assertEqual(texts[-1], "Ergebnis: entfernt (Exitcode 0)")

    def test_the_machine_is_as_before_but_for_the_settings_and_the_logs(self):
        found = changes(self.registry_before, self.registry_after)
        found = {k: v for k, v in found.items() if not (k[1] is None and k[0] in KEPT_KEYS)}
        self.assertEqual(found, {})
        lost = [k for k in self.registry_before if k not in self.registry_after
                and not k[0].startswith(WINE_NOISE)]
        self.assertEqual(lost, [])
        added, lost = tree_changes(self.files_before, self.files_after)
        appdata = "users/root/AppData/Roaming/Lumagrove"
        self.assertEqual(lost, [])
        self.assertEqual(sorted(added), sorted([appdata, appdata + "/lg_show64.ini",
                                                host_rel(SETUP_LOG), host_rel(UNINSTALL_LOG)]))


class FailedRunAndUnwritableLogs(FullLogTestCase):
    """In one prefix: a run that cannot make its target, with and without /log=; then good
    runs whose /log= cannot be written, and an uninstaller run like that."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = p = lgwine.Prefix("full-log-failed")
        p.host(r"C:\afile").write_bytes(b"a file, not a folder")
        p.host(r"C:\Logs").mkdir()
        cls.outside = p.host(r"C:\outside")
        cls.outside.mkdir()
        failing = r"/silent /folder=C:\afile\Lumagrove"
        cls.failed = [p.setup(failing, r"C:\start-plain"),
                      p.setup(failing + r" /log=C:\Logs\failed.log", r"C:\start-logged")]
        (cls.outside / "victim").write_bytes(VICTIM)
        os.symlink(cls.outside / "victim", p.host(r"C:\Logs\linked.log"))
        os.symlink(cls.outside / "new.log", p.host(r"C:\Logs\dangling.log"))
        cls.unwritable = {log: p.setup(rf"/silent /log={log}", r"C:\start-good") for log in (
            r"C:\nowhere\setup.log", r"C:\Logs\linked.log", r"C:\Logs\dangling.log", r"C:\Logs")}
        cls.uninstall_code = p.run(f'"{TARGET}lgr_uninstall.exe" /silent /log=C:\\Logs\\linked.log')

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def test_the_failed_run_keeps_its_failure_log_as_it_was(self):
        self.assertEqual(self.failed, [3, 3])
        plain, logged = (log_messages(self.prefix.log(start))
                         for start in (r"C:\start-plain", r"C:\start-logged"))
        self.assertEqual(plain, logged)
        self.assertEqual(len(plain), 1)
        self.assertTrue(plain[0].startswith(MESSAGE_11 + ": C:\\afile\\Lumagrove"), plain)

    def test_the_failed_run_logs_why_and_where_the_failure_log_went(self):
        texts = [text for _, text in full_log(self.prefix.host(r"C:\Logs\failed.log"))]
        self.assertHeader(texts, "Lumagrove 64-bit Setup",
                          f'"{lgwine.dos_path(lgwine.SETUP_EXE)}" /silent '
                          r"/folder=C:\afile\Lumagrove /log=C:\Logs\failed.log", "6.1")
        self.assertTrue(any(t.startswith(r"Zielverzeichnis konnte nicht erstellt werden: "
                                         r"C:\afile\Lumagrove (") for t in texts), texts)
        entry = MESSAGE_11.replace("\n\n", " ")
        self.assertTrue(any(t.startswith(rf"Eintrag im Fehlerprotokoll C:\start-logged\{lgwine.LOG_NAME}: "
                                         + entry) for t in texts), texts)
        self.assertEqual(texts[-1], "Ergebnis: Zielverzeichnis kann nicht erstellt werden (Exitcode 3)")
        self.assertFalse([t for t in texts if t.startswith("Datei ")])

    def test_a_log_that_cannot_be_written_changes_nothing_else(self):
        for log, code in self.unwritable.items():
            with self.subTest(log=log):
                self.assertEqual(code, 0)
        self.assertEqual(self.uninstall_code, 0)
        self.assertFalse(self.prefix.host(r"C:\nowhere").exists())
        self.assertEqual((self.outside / "victim").read_bytes(), VICTIM)
        self.assertEqual(sorted(x.name for x in self.outside.iterdir()), ["victim"])
        self.assertTrue(self.prefix.host(r"C:\Logs").is_dir())
        self.assertIsNone(self.prefix.log(r"C:\start-good"))


if __name__ == "__main__":
    unittest.main()

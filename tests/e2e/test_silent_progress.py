"""/silent /progress under Xvfb: a small window with the setup's title, the current step and a
bar over the archive's entries shows while the run goes on, asks nothing and goes away; the
installation, the exit codes and the log are those of the same run without /progress, which
shows no window at all. Without /silent, /progress changes nothing.

The driver follows the run from its start to its end; once the progress window shows, it
keeps the installer's thread suspended except to let it go on to its next progress report,
where the installer pumps its window and answers the driver's question."""
import unittest

from wizard_support import lggui, lgwine  # noqa: F401  (sets up the import path)
from wizard_support import QUIT_QUESTION, SETUP, YES, WizardTestCase, installation_state
from e2e_support import log_messages

TITLE = "Lumagrove 64-bit Setup"
STEPS = ["Dateien werden entpackt …", "Einstellungen werden geschrieben …",
         "Verknüpfungen werden erstellt …", "Dateitypen werden registriert …"]
ENTRIES = 39  # of the payload archive, folders included
OPTIONS = "/group=1/desktop=1/thumbs=1 /assoc=1"


class SilentProgress(WizardTestCase):
    def watched_run(self, prefix, arguments):
        """Starts the installer with arguments and samples its windows until it ends."""
        drive = self.drive if prefix is self.prefix else lggui.Driver(prefix)
        try:
            drive("start", rf"C:\setup|{SETUP} {arguments}")
            seen = drive.fields("watch", 120000, timeout=130)
        finally:
            if drive is not self.drive:
                drive.close()
        seen["exit"] = int(seen["exit"])
        return seen

    def assert_progress_window(self, seen):
        self.assertEqual(seen["windows"], "1", seen)
        self.assertEqual(seen["title"], TITLE)
        self.assertEqual((seen["buttons"], seen["sysmenu"]), ("0", "0"))  # nothing to press
        # From the moment the driver sees the window the run goes on in lockstep with it,
        # one report at a time: every step shows, and the bar ends full.
        self.assertEqual(seen["steps"].split("|"), STEPS)
        self.assertEqual(int(seen["high"]), ENTRIES)
        positions = list(map(int, seen["positions"].split(",")))
        self.assertEqual(positions, sorted(positions))
        self.assertEqual(positions[-1], ENTRIES)
        self.assertGreater(len(positions), 3, positions)
        # Centred on the screen's work area.
        left, top, width, height = map(int, seen["rect"].split(","))
        area = list(map(int, seen["work"].split(",")))
        self.assertLessEqual(abs(2 * left + width - (2 * area[0] + area[2])), 1, seen)
        self.assertLessEqual(abs(2 * top + height - (2 * area[1] + area[3])), 1, seen)

    def test_the_window_shows_while_installing_what_a_plain_silent_run_installs(self):
        seen = self.watched_run(self.prefix, f"/silent /progress {OPTIONS}")
        self.assertEqual(seen["exit"], 0)
        self.assert_progress_window(seen)
        with_progress = installation_state(self.prefix)

        plain_prefix = self.new_prefix("plain_silent")
        self.addCleanup(plain_prefix.remove)
        plain = self.watched_run(plain_prefix, f"/silent {OPTIONS}")
        self.assertEqual(plain, {"exit": 0, "windows": "0"})
        without = installation_state(plain_prefix)

        self.assertIn("Program Files/Lumagrove/lg_show64.exe", with_progress[0])
        files = {k: (with_progress[0].get(k), without[0].get(k))
                 for k in set(with_progress[0]) | set(without[0])
                 if with_progress[0].get(k) != without[0].get(k)}
        self.assertEqual(files, {})
        # Wine fills in its own defaults of these when a process first opens a window.
        wine_defaults = ("control panel\\", "console")
        values = {k: (with_progress[1].get(k), without[1].get(k))
                  for k in set(with_progress[1]) | set(without[1])
                  if with_progress[1].get(k) != without[1].get(k)
                  and not (k[0] == "user.reg" and k[1].startswith(wine_defaults))}
        self.assertEqual(values, {})
        self.assertIsNone(self.prefix.log(r"C:\setup"))

    def test_failed_runs_end_and_log_as_without_progress(self):
        self.prefix.host(r"C:\blocker").write_bytes(b"a file where a folder should be")
        cases = [("/folder=", 2), (r"/folder=C:\blocker\Lumagrove", 3)]
        for folder, code in cases:
            results = []
            for progress in ("/progress ", ""):
                seen = self.watched_run(self.prefix, f"/silent {progress}{folder}")
                log = self.prefix.host(r"C:\setup") / lgwine.LOG_NAME
                results.append((seen["exit"], log_messages(log.read_bytes())))
                log.unlink()
                # The run may be over before the window is sampled; if seen, it asked nothing.
                self.assertEqual(seen.get("buttons", "0"), "0", folder)
            self.assertEqual(results[0], results[1], folder)
            self.assertEqual(results[0][0], code, folder)

    def test_without_silent_progress_changes_nothing(self):
        self.start_wizard(f"{SETUP} /progress")
        self.assertEqual(self.drive("title"), TITLE)
        self.drive("nowindow", "LumagroveSetupProgress", 0)
        self.drive("press", "cancel")
        self.expect_message(QUIT_QUESTION, YES)
        self.assertEqual(self.exit_code(), 5)


if __name__ == "__main__":
    unittest.main()

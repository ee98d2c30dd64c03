"""Silent start-up under Wine: folder checks, the running viewer, the log, bad input."""
import subprocess
import time
import unittest

from e2e_support import (MESSAGE_5, MESSAGE_10, MESSAGE_11, lgwine, log_messages)


class SilentStartup(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.prefix = lgwine.Prefix("silent-startup")

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def test_empty_folder_is_logged_once_per_run_and_exits_2(self):
        start = r"C:\start-empty"
        self.assertEqual(self.prefix.setup("/silent /folder=", start), 2)
        self.assertEqual(log_messages(self.prefix.log(start)), [MESSAGE_5 + ": "])
        # A second failing run appends behind the first.
        self.assertEqual(self.prefix.setup("/silent /folder=/group=1", start), 2)
        self.assertEqual(log_messages(self.prefix.log(start)), [MESSAGE_5 + ": "] * 2)

    def test_folders_of_blanks_or_quotes_are_invalid(self):
        for n, value in enumerate(['"   "', '""', '"', "     "]):
            start = rf"C:\start-blank{n}"
            with self.subTest(value=value):
                self.assertEqual(self.prefix.setup(f"/silent /folder={value}", start), 2)
                self.assertEqual(log_messages(self.prefix.log(start)), [MESSAGE_5 + ": "])

    def test_target_below_a_regular_file_gives_message_11_and_exit_3(self):
        start = r"C:\start-blocked"
        self.prefix.host(r"C:\blocker").write_text("a file, not a folder")
        code = self.prefix.setup(r"/silent /folder=C:\blocker\Lumagrove   ", start)
        self.assertEqual(code, 3)
        self.assertEqual(log_messages(self.prefix.log(start)),
                         [MESSAGE_11 + r": C:\blocker\Lumagrove" + "\\"])

    def test_running_viewer_stops_the_run_with_exit_1(self):
        start = r"C:\start-running"
        ready = self.prefix.host(r"C:\lgwindow.ready")
        ready.unlink(missing_ok=True)
        window = self.prefix.start(f'"{lgwine.dos_path(lgwine.BUILD_DIR / "lgwindow.exe")}" 60')
        try:
            deadline = time.time() + 30
            while not ready.exists() and time.time() < deadline:
                time.sleep(0.1)
            self.assertTrue(ready.exists(), "the stand-in viewer window did not come up")
            code = self.prefix.setup(r"/silent /folder=C:\ViewerRunning /group=1 /assoc=2", start)
        finally:
            window.kill()
            window.wait(timeout=30)
            subprocess.run(["wine", "taskkill", "/f", "/im", "lgwindow.exe"], env=self.prefix.env,
                           capture_output=True, timeout=60)
        self.assertEqual(code, 1)
        self.assertEqual(log_messages(self.prefix.log(start)), [MESSAGE_10])
        self.assertFalse(self.prefix.host(r"C:\ViewerRunning").exists())

    def test_overlong_command_lines_and_values_do_not_overrun(self):
        start = r"C:\start-long"
        cases = [
            # The value is cut to 252 characters, longer than any target folder may be.
            ("/silent /folder=C:\\" + "x" * 300, 2),
            ("/silent /folder= " + "/desktop=1" * 600, 2),
            # Options beyond the first 519 characters are not seen: the default folder stays.
            ("/silent " + "a" * 5000 + " /folder=C:\\late", None),
        ]
        for arguments, expected in cases:
            with self.subTest(length=len(arguments)):
                code = self.prefix.setup(arguments, start)
                self.assertIn(code, (0, 2, 3, 4, 6))
                if expected is not None:
                    self.assertEqual(code, expected)
        self.assertFalse(self.prefix.host("C:\\" + "x" * 250).exists())
        self.assertFalse(self.prefix.host("C:\\late").exists())

    def test_a_folder_cut_by_the_line_limit_is_refused(self):
        # As a distribution tool builds it: long switches first, the folder last, running
        # past the 519 characters that are read. Installing into the cut path would put the
        # viewer where nobody asked for it.
        start = r"C:\start-cut"
        program = f'"{lgwine.dos_path(lgwine.SETUP_EXE)}" '
        head = '/silent /log="C:\\Logs\\'
        # "/folder=" starts at the 490th character, so its value crosses the limit.
        log = "C:\\Logs\\" + "l" * (490 - len(program) - len(head) - len('.log" ')) + ".log"
        arguments = f'/silent /log="{log}" /folder="C:\\Apps\\Lumagrove Viewer"'
        self.assertEqual((program + arguments).index("/folder="), 490)
        self.assertEqual(self.prefix.setup(arguments, start), 2)
        self.assertEqual(log_messages(self.prefix.log(start)), [
            "Die Befehlszeile ist zu lang: Der Wert von /folder= endet erst nach den 519 "
            "Zeichen, die gelesen werden. Es wurde nichts installiert."])
        self.assertFalse(self.prefix.host(r"C:\Apps").exists())


if __name__ == "__main__":
    unittest.main()

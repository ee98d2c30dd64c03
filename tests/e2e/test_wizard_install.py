"""Installing through the wizard under Xvfb: the result equals the equivalent silent run,
the finish actions open the FAQ page and start the viewer, a running viewer blocks the
installation, and a failed installation returns to the welcome page."""
import shutil
import time
import unittest

from e2e_support import MESSAGE_11, full_log

from wizard_support import lggui, lgwine  # noqa: F401  (sets up the import path)
from wizard_support import (BACK, CANCEL, NEXT, NO, OK, SETUP, TARGET, YES, WizardTestCase,
                            installation_state)

VIEWER_RUNNING = ("Warnung: Lumagrove läuft!\n"
                  "Beenden Sie bitte Lumagrove bevor Sie mit der Installation fortsetzen!")
CONFIRM_ASSOCIATIONS = ("Sie möchten die aktuellen Verknüpfungen ändern und einen oder mehrere "
                        "Dateitypen mit Lumagrove verknüpfen!\n\nSind Sie sicher!?")


class WizardInstallation(WizardTestCase):
    def install_to_finish(self, images_only=False):
        d = self.drive
        self.next_page(1)
        self.next_page(2)
        if images_only:
            d("click", 2, 3311)
            d("click", 2, 1091)
        self.next_page(3)
        self.assertEqual(d("press", "next"), "pending" if images_only else "done")
        if images_only:
            self.expect_message(CONFIRM_ASSOCIATIONS, YES, buttons="6,7", default="7")
        d("waitpage", 4, 120000, timeout=130)
        self.assertTrue(self.shown(3, 1044))

    def assert_same_as_silent(self, options):
        wizard = installation_state(self.prefix)
        silent_prefix = self.new_prefix(self.id().split(".")[-1] + "_silent")
        self.addCleanup(silent_prefix.remove)
        self.assertEqual(self.run_silent(silent_prefix, options), 0)
        silent = installation_state(silent_prefix)
        self.assertIn("Program Files/Lumagrove/lg_show64.exe", wizard[0])
        self.assertEqual(sorted(set(wizard[0]) ^ set(silent[0])), [])
        self.assertEqual({k: v for k, v in wizard[0].items() if silent[0].get(k) != v}, {})
        diff = {k: (wizard[1].get(k), silent[1].get(k))
                for k in set(wizard[1]) | set(silent[1]) if wizard[1].get(k) != silent[1].get(k)}
        self.assertEqual(diff, {})

    def test_defaults_install_like_the_silent_run_and_finish_page(self):
        d = self.drive
        # The wizard keeps a full log too; C:\setup is left out of the comparison below.
        self.start_wizard(SETUP + r" /log=C:\setup\wizard.log")
        self.install_to_finish()
        self.assertEqual(self.button(CANCEL), {"enabled": "1", "visible": "1",
                                               "text": "&Fertig stellen"})
        self.assertEqual(self.button(BACK)["enabled"], "0")
        self.assertEqual(self.button(NEXT)["enabled"], "0")
        self.assertTrue(self.checked(4, 1022))
        self.assertTrue(self.checked(4, 1020))
        self.shot("wizard-5-finish")
        # Both actions off: the finish button only closes, without a question.
        d("click", 4, 1022)
        d("click", 4, 1020)
        d("press", "cancel")
        self.assertEqual(self.exit_code(), 0)
        d("nowindow", "Lumagrove")
        self.assertEqual(lggui.browser_urls(self.prefix), [])
        texts = [text for _, text in full_log(self.prefix.host(r"C:\setup\wizard.log"))]
        self.assertEqual(texts[0], "======== Lumagrove 64-bit Setup 4.58 ========")
        self.assertEqual(texts[2], rf"Befehlszeile: {SETUP} /log=C:\setup\wizard.log")
        self.assertIn("Art des Laufs: Assistent", texts)
        self.assertIn("Option Unbeaufsichtigt (/silent): 0", texts)
        self.assertIn(rf"Datei geschrieben: {TARGET}\lg_show64.exe", texts)
        self.assertEqual(texts[-1], "Ergebnis: installiert (Exitcode 0)")
        self.assert_same_as_silent("/desktop=1 /thumbs=1 /group=1")

    def test_images_only_installs_like_assoc_1_and_finish_actions_run(self):
        d = self.drive
        self.start_wizard()
        self.install_to_finish(images_only=True)
        # Escape on the finish page is the finish button: FAQ first, then the viewer.
        d("key", "sheet", CANCEL, "escape")
        self.assertEqual(self.exit_code(10000), 0)
        self.assertEqual(lggui.browser_urls(self.prefix), ["https://www.example.com/faq.htm"])
        self.assertEqual(d.fields("window", "Lumagrove", 10000)["foreground"], "1")
        d("closewindow", "Lumagrove")
        time.sleep(1)
        self.assert_same_as_silent("/desktop=1 /thumbs=1 /group=1 /assoc=1")

    def test_running_viewer_blocks_and_failed_install_returns_to_welcome(self):
        d = self.drive
        tools = self.prefix.host(r"C:\lgtools\lgwindow.exe")
        shutil.copy2(lgwine.BUILD_DIR / "lgwindow.exe", tools)
        viewer = self.prefix.start(r"C:\lgtools\lgwindow.exe 120")
        self.addCleanup(viewer.kill)
        deadline = time.monotonic() + 30
        while not self.prefix.host(r"C:\lgwindow.ready").exists():
            self.assertLess(time.monotonic(), deadline, "stand-in viewer did not start")
            time.sleep(0.2)
        # The welcome page warns at every activation but stays usable.
        self.drive("start", rf"C:\setup|{SETUP}")
        box = self.dialog(30000)
        self.assertEqual(box.get("text"), VIEWER_RUNNING, box)
        self.answer(OK)
        d("sheet", 30000, timeout=40)
        d("settext", 0, 1000, r"Q:\Lumagrove")  # no drive Q: the folder cannot be made
        self.next_page(1)
        self.next_page(2)
        self.next_page(3)
        # The ready page's Next only warns while the viewer runs.
        d("press", "next")
        self.expect_message(VIEWER_RUNNING, OK)
        self.assertEqual(self.page(), 3)
        self.assertFalse(self.shown(3, 1044))
        d("closewindow", "Lumagrove")
        d("nowindow", "Lumagrove", 10000)
        d("press", "next")
        box = self.dialog(60000)
        # The box shows the message alone; the ": folder" join belongs to the silent log.
        self.assertEqual(box["text"].replace("\r\n", "\n"), MESSAGE_11, box)
        self.answer(OK)
        d("waitpage", 0)
        self.assertEqual(self.button(BACK)["enabled"], "0")
        self.assertEqual(d("text", 0, 1000), r"Q:\Lumagrove")
        self.next_page(1)
        self.next_page(2)
        self.next_page(3)
        self.assertTrue(self.shown(3, 1044))
        d("press", "cancel")
        self.expect_message("Installation beenden?", YES)
        self.assertEqual(self.exit_code(), 5)


class HighDpiScreens(WizardTestCase):
    dpi = 144

    def test_welcome_and_ready_pages_at_144_dpi(self):
        d = self.drive
        self.start_wizard()
        self.shot("wizard-1-welcome-144dpi")
        self.next_page(1)
        self.next_page(2)
        first, second, width = map(int, d("lv", 2, 1579, "columns").split())
        self.assertEqual(second, 2 * width // 3 - 38)  # MulDiv(25, 144, 96)
        self.next_page(3)
        self.shot("wizard-4-ready-144dpi")
        d("press", "cancel")
        self.expect_message("Installation beenden?", YES)
        self.assertEqual(self.exit_code(), 5)


if __name__ == "__main__":
    unittest.main()

"""The wizard under Xvfb: the five pages in order with their texts, captions, button
states and list, the question before the setup is abandoned, the welcome page's checks,
and screenshots of every page."""
import unittest

from wizard_support import (BACK, CANCEL, NEXT, NO, OK, QUIT_QUESTION, TARGET, YES,
                            WizardTestCase)

NOTES_START = "\ufeffLumagrove 4.58"


class PageFlow(WizardTestCase):
    def test_pages_in_order_with_their_texts_and_buttons(self):
        d = self.drive
        self.start_wizard()
        self.assertEqual(d("title"), "Lumagrove 64-bit Setup")
        self.assertEqual(d("pagecount"), "5")
        # Welcome page: texts filled once, boxes checked, default folder, Back off.
        self.assertEqual(self.page(), 0)
        self.assertEqual(d("text", 0, 1013), "Willkommen zur Lumagrove 64 Installation!")
        self.assertEqual(d("text", 0, 1056),
                         "Dieses Programm wird Lumagrove Version  4.58  (64 bit) auf Ihrem PC "
                         "installieren.\n(Bitte mit Admin-Rechten ausführen)")
        self.assertEqual(d("text", 0, 1000), TARGET)
        for box in (1011, 1021, 1012, 1016):
            self.assertTrue(self.checked(0, box), box)
        self.assertFalse(self.checked(0, 1017))
        self.assertEqual(self.button(BACK), {"enabled": "0", "visible": "1", "text": "< &Zurück"})
        self.assertEqual(self.button(NEXT), {"enabled": "1", "visible": "1", "text": "&Weiter >"})
        self.assertEqual(self.button(CANCEL), {"enabled": "1", "visible": "1", "text": "&Beenden"})
        self.shot("wizard-1-welcome")

        # What's new: the release notes without their final line break.
        self.next_page(1)
        notes = d("text", 1, 1000)
        self.assertTrue(notes.startswith(NOTES_START), notes[:40])
        self.assertIn("\r\n", notes)
        self.assertTrue(notes[-1].isalnum(), repr(notes[-5:]))
        self.assertEqual(self.button(BACK)["enabled"], "1")
        self.assertEqual(d("title"), "Lumagrove 64-bit Setup")
        self.shot("wizard-2-whats-new")
        # Back shows the welcome page with Back disabled and the entries kept.
        d("settext", 0, 1000, r"D:\Bilder\Lumagrove   ")
        d("click", 0, 1021)
        self.assertEqual(d("press", "back"), "done")
        d("waitpage", 0)
        self.assertEqual(self.button(BACK)["enabled"], "0")
        self.assertFalse(self.checked(0, 1021))
        self.assertEqual(d("text", 0, 1000), r"D:\Bilder\Lumagrove   ")
        self.next_page(1)

        # Associations: 61 unmarked rows in a grey, disabled list.
        self.next_page(2)
        lv = ("lv", 2, 1579)
        self.assertEqual(d(*lv, "count"), "61")
        self.assertEqual(d(*lv, "states"), "1" * 61)
        self.assertEqual(d(*lv, "style"), "0x000024")  # check boxes, full-row select
        self.assertEqual(d(*lv, "colors"), "back=0xC0C0C0 text=0x0080FF")
        self.assertFalse(self.checked(2, 3311))
        for control in (1579, 1091, 1080, 1081):
            self.assertFalse(self.enabled(2, control), control)
        first, second, width = map(int, d(*lv, "columns").split())
        self.assertEqual(first, width // 3)
        self.assertEqual(second, 2 * width // 3 - 25)
        self.assertTrue(d(*lv, "text", 0, 0))
        self.assertTrue(d(*lv, "text", 60, 1))
        self.shot("wizard-3-associations")
        d("click", 2, 3311)
        own_colours = d(*lv, "colors")
        self.assertNotEqual(own_colours, "back=0xC0C0C0 text=0x0080FF")
        for control in (1579, 1091, 1080, 1081):
            self.assertTrue(self.enabled(2, control), control)
        d(*lv, "set", 50, 2)
        d("click", 2, 1091)
        self.assertEqual(d(*lv, "states"), "2" * 47 + "1" * 14)
        d("click", 2, 1080)
        self.assertEqual(d(*lv, "states"), "2" * 61)
        d("click", 2, 1081)
        self.assertEqual(d(*lv, "states"), "1" * 61)
        d(*lv, "set", 3, 2)
        # Unchecking 3311 greys the list but keeps the marks; checking it brings back its colours.
        d("click", 2, 3311)
        self.assertEqual(d(*lv, "colors"), "back=0xC0C0C0 text=0x0080FF")
        self.assertEqual(d(*lv, "states"), "1112" + "1" * 57)
        d("click", 2, 3311)
        self.assertEqual(d(*lv, "colors"), own_colours)
        # Back and Next again: the list is not filled a second time.
        d("press", "back")
        d("waitpage", 1)
        self.next_page(2)
        self.assertEqual(d(*lv, "count"), "61")
        self.assertEqual(d(*lv, "states"), "1112" + "1" * 57)

        # Ready: folder line trimmed, application data preselected, progress label hidden.
        self.next_page(3)
        self.assertEqual(d("text", 3, 1010), r"Zielverzeichnis: D:\Bilder\Lumagrove")
        self.assertTrue(self.checked(3, 1039))
        self.assertFalse(self.checked(3, 1038))
        self.assertEqual(self.state(3, 1044)["visible"], "0")
        self.shot("wizard-4-ready")
        # The INI choice returns to its default when the page is shown again.
        d("click", 3, 1038)
        self.assertTrue(self.checked(3, 1038))
        d("press", "back")
        d("waitpage", 2)
        self.next_page(3)
        self.assertTrue(self.checked(3, 1039))
        self.assertFalse(self.checked(3, 1038))
        self.assertEqual(self.button(BACK)["enabled"], "1")
        self.assertEqual(self.button(NEXT)["enabled"], "1")

        # Leaving without installing: exit code 5.
        d("press", "cancel")
        self.expect_message(QUIT_QUESTION, YES)
        self.assertEqual(self.exit_code(), 5)

    def test_every_way_out_asks_first_on_pages_0_to_3(self):
        d = self.drive
        self.start_wizard()
        ways = [("press", "cancel"), ("click", "sheet", CANCEL),
                ("key", "sheet", NEXT, "escape"), ("close",)]
        for page in range(4):
            if page:
                self.next_page(page)
            for way in ways:
                with self.subTest(page=page, way=way):
                    d(*way)
                    box = self.expect_message(QUIT_QUESTION, NO, buttons="6,7", default="7")
                    self.assertEqual(box["icon"], "1")
                    d("nodialog", 300)
                    self.assertEqual(self.page(), page)
                    self.assertEqual(d("alive"), "1")
        # Yes on the close command ends the wizard at once; nothing is installed.
        d("close")
        self.expect_message(QUIT_QUESTION, YES)
        self.assertEqual(self.exit_code(), 5)
        self.assertFalse(self.prefix.host(TARGET).exists())


class WelcomePage(WizardTestCase):
    def test_folder_check_shortcut_boxes_browser_and_licence_link(self):
        d = self.drive
        self.start_wizard()
        # Texts without a drive part are refused with message 5; Back is enabled then but
        # there is no page before this one.
        for text in ("", r"Programme\Lumagrove", r"\\server\share\Lumagrove", r" C:\Lumagrove",
                     "C:\\" + "x" * 258):
            with self.subTest(text=text):
                d("settext", 0, 1000, text)
                d("press", "next")
                self.expect_message("Ungültiges Zielverzeichnis!", OK)
                self.assertEqual(self.page(), 0)
        self.assertEqual(self.button(BACK)["enabled"], "1")
        d("press", "back")
        d("nodialog", 300)
        self.assertEqual(self.page(), 0)
        # A drive alone passes this page.
        d("settext", 0, 1000, "C:")
        self.next_page(1)
        d("press", "back")
        d("waitpage", 0)

        # "Keine" clears the boxes and disables the user choice; one box brings it back.
        d("click", 0, 1017)
        d("click", 0, 1019)
        for box in (1011, 1021, 1012):
            self.assertFalse(self.checked(0, box), box)
        self.assertFalse(self.enabled(0, 1016))
        self.assertFalse(self.enabled(0, 1017))
        d("click", 0, 1012)
        self.assertTrue(self.enabled(0, 1016))
        self.assertTrue(self.enabled(0, 1017))
        self.assertTrue(self.checked(0, 1017))

        # The folder browser: cancelled it changes nothing; chosen it gets "Lumagrove\".
        d("settext", 0, 1000, r"C:\windows")
        self.assertEqual(d("click", 0, 1009), "pending")
        browser = self.dialog()
        self.assertIn("Zielverzeichnis:", browser["text"])
        self.answer(2)
        d("nodialog", 300)
        self.assertEqual(d("text", 0, 1000), r"C:\windows")
        d("click", 0, 1009)
        self.dialog()
        self.answer(OK)
        self.assertEqual(d("text", 0, 1000).lower(), r"c:\windows\lumagrove" + "\\")

        # The licence link opens its page in the browser.
        d("mouseclick", 0, 1045)
        self.wait_for_urls(1)
        self.assertEqual(self.urls(), ["https://www.example.com/eula.htm"])

    def urls(self):
        import lggui
        return lggui.browser_urls(self.prefix)

    def wait_for_urls(self, count, seconds=15):
        import time
        deadline = time.monotonic() + seconds
        while len(self.urls()) < count and time.monotonic() < deadline:
            time.sleep(0.2)


if __name__ == "__main__":
    unittest.main()

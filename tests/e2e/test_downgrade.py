"""A newer registered version under Wine: a silent run and the wizard refuse to replace it
(exit code 8, nothing installed) unless /allowdowngrade is given; the same or an older
version is installed over as before."""
import unittest

from e2e_support import lgwine, log_messages
from test_integration import UNINSTALL, changes, key, snapshot
from wizard_support import OK, SETUP, WizardTestCase

UNINSTALL_KEY = "HKLM\\" + UNINSTALL
NEWER = ("Eine neuere Version von Lumagrove ({}) ist bereits installiert.\n"
         "Die Installation wurde abgebrochen.")
FOLDER = r"C:\Apps\Lumagrove"
OPTIONS = f"/silent /folder={FOLDER} /group=1/desktop=1 /assoc=2"


def registered_version(prefix):
    return prefix.machine().value(UNINSTALL, "DisplayVersion")


class NewerVersionRegistered(unittest.TestCase):
    """4.60 registered: refused, then installed over with /allowdowngrade."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = p = lgwine.Prefix("downgrade-newer")
        p.reg_add(UNINSTALL_KEY, "DisplayVersion", "4.60")
        cls.before = snapshot(p)
        cls.refused = p.setup(OPTIONS, r"C:\start-refused")
        cls.after_refusal = snapshot(p)
        cls.allowed = p.setup(OPTIONS + " /allowdowngrade", r"C:\start-allowed")
        cls.version_after = registered_version(p)

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def test_refused_with_exit_8_and_one_log_entry_and_nothing_changed(self):
        self.assertEqual(self.refused, 8)
        self.assertEqual(log_messages(self.prefix.log(r"C:\start-refused")), [NEWER.format("4.60")])
        self.assertEqual(changes(self.before, self.after_refusal), {})
        self.assertNotIn(("machine:software\\classes\\lumagrove", None), self.after_refusal)

    def test_allowdowngrade_installs_over_it(self):
        self.assertEqual(self.allowed, 0)
        self.assertIsNone(self.prefix.log(r"C:\start-allowed"))
        self.assertTrue(self.prefix.host(FOLDER + r"\lg_show64.exe").exists())
        self.assertEqual(self.version_after, ("REG_SZ", "4.58"))


class NotNewerVersionRegistered(unittest.TestCase):
    """The same version, older ones (4.6 is minor 6) and a text that is no version: each
    is installed over without a word."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = lgwine.Prefix("downgrade-older")

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def test_installs_over_them(self):
        for n, version in enumerate(["4.58", "4.50", "4.6", "neu"]):
            with self.subTest(version=version):
                self.prefix.reg_add(UNINSTALL_KEY, "DisplayVersion", version)
                start = rf"C:\start-{n}"
                self.assertEqual(self.prefix.setup(OPTIONS, start), 0)
                self.assertIsNone(self.prefix.log(start))
                self.assertEqual(registered_version(self.prefix), ("REG_SZ", "4.58"))


class WizardWithNewerVersion(WizardTestCase):
    def new_prefix(self, name):
        # Written before the driver starts in the prefix.
        prefix = super().new_prefix(name)
        prefix.reg_add(UNINSTALL_KEY, "DisplayVersion", "4.61")
        return prefix

    def test_warns_before_the_first_page_and_ends_with_exit_8(self):
        self.drive("start", rf"C:\setup|{SETUP}")
        box = self.expect_message(NEWER.format("4.61"), OK, buttons="1")
        self.assertEqual(box["icon"], "1")
        self.assertEqual(self.exit_code(), 8)
        self.assertFalse(self.prefix.host(r"C:\Program Files\Lumagrove").exists())
        self.assertEqual(registered_version(self.prefix), ("REG_SZ", "4.61"))

    def test_allowdowngrade_shows_the_wizard(self):
        self.start_wizard(SETUP + " /allowdowngrade")
        self.assertEqual(self.page(), 0)
        self.drive("nodialog", 2000)


if __name__ == "__main__":
    unittest.main()

"""The guarded file operations against real links: the host's symbolic links stand in
for junctions under Wine, so they are planted from here and the unit test binary checks
that nothing outside is read, written, made or deleted through them."""
import os
import unittest

from e2e_support import lgwine, run_unit_tests_on_links



class GuardedLinks(unittest.TestCase):
    def setUp(self):
        self.prefix = lgwine.Prefix("guarded-links")

    def tearDown(self):
        self.prefix.remove()

    def test_nothing_is_reached_through_a_link(self):
        root = self.prefix.host(r"C:\links")
        (root / "outside" / "dir").mkdir(parents=True)
        (root / "real" / "inner").mkdir(parents=True)
        victim = root / "outside" / "victim.txt"
        victim.write_bytes(b"victim")
        os.symlink(root / "outside" / "dir", root / "top-link")
        os.symlink(root / "outside" / "dir", root / "real" / "sub-link")
        os.symlink(victim, root / "real" / "file-link.ini")
        os.symlink(victim, root / "real" / "delete-link.ini")
        os.symlink(root / "outside" / "made.log", root / "real" / "dangling.log")
        os.symlink(root / "real", root / "via-parent")

        run_unit_tests_on_links(self, self.prefix, "GuardedLinks.*")
        self.assertEqual(victim.read_bytes(), b"victim")
        self.assertFalse((root / "outside" / "made.log").exists())
        self.assertEqual(list((root / "outside" / "dir").iterdir()), [])
        self.assertTrue(os.path.islink(root / "real" / "delete-link.ini"))


if __name__ == "__main__":
    unittest.main()

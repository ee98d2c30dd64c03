"""A running viewer under Wine, as the setup and the uninstaller see it: the installed
lg_show64.exe on another Wine desktop, whose window they cannot find but whose process
they do; and /closeviewer=N with a viewer that closes and with one that refuses."""
import time
import unittest

from e2e_support import MESSAGE_10, lgwine, log_messages

FOLDER = "C:\\Apps\\Lumagrove\\"
VIEWER = FOLDER + "lg_show64.exe"
UNINSTALLER = FOLDER + "lgr_uninstall.exe"
INSTALL = '/silent /folder="C:\\Apps\\Lumagrove"'


def helper(name):
    return lgwine.dos_path(lgwine.BUILD_DIR / name)


def stamps(prefix):
    """Every file of the program folder with its inode and change time: a file written
    again with the same bytes and time still shows."""
    root = prefix.host(FOLDER)
    return {p.relative_to(root).as_posix(): (p.stat().st_ino, p.stat().st_ctime_ns)
            for p in root.rglob("*")}


def window_seen(prefix, seconds):
    """Whether FindWindowW on the prefix's default desktop sees a "Lumagrove" window."""
    return prefix.run(f'"{helper("lgfindwindow.exe")}" Lumagrove {seconds}') == 0


def wait_until(condition, seconds=30):
    deadline = time.time() + seconds
    while not condition() and time.time() < deadline:
        time.sleep(0.1)
    return condition()


def start_viewer(prefix, desktop=None):
    """The installed viewer, as a process of its own or on a Wine desktop of that name;
    returns once its process runs (and, on the default desktop, its window is up)."""
    command = f'"{VIEWER}"'
    if desktop:
        command = rf'C:\windows\explorer.exe /desktop={desktop},640x480 "{VIEWER}"'
    started = prefix.start(command)
    if not wait_until(lambda: prefix.running("lg_show64.exe")):
        stop_all(prefix, started)
        raise AssertionError("the viewer did not start")
    if not desktop and not window_seen(prefix, 30):
        stop_all(prefix, started)
        raise AssertionError("the viewer's window did not come up")
    return started


def start_refusing_window(prefix):
    """A "Lumagrove" window that ignores WM_CLOSE; returns once it is up."""
    ready = prefix.host(r"C:\lgwindow.ready")
    ready.unlink(missing_ok=True)
    started = prefix.start(f'"{helper("lgwindow.exe")}" 120 refuse')
    if not wait_until(ready.exists):
        stop_all(prefix, started)
        raise AssertionError("the refusing window did not come up")
    return started


def stop_all(prefix, *started):
    """Ends every process of the prefix, other Wine desktops included."""
    prefix.stop()
    for process in started:
        process.kill()
        process.wait(timeout=30)


class ViewerOnAnotherDesktop(unittest.TestCase):
    """The viewer runs where the setup's FindWindowW does not look (as a user's viewer
    does for a setup that runs as SYSTEM): only its process shows it."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = p = lgwine.Prefix("viewer-elsewhere")
        cls.install_code = p.setup(INSTALL)
        cls.before = stamps(p)
        viewer = start_viewer(p, desktop="other")
        try:
            cls.window_seen = window_seen(p, 2)
            cls.setup_code = p.setup(INSTALL)
            cls.uninstall_code = p.run(f'"{UNINSTALLER}" /silent', r"C:\start")
            cls.still_running = p.running("lg_show64.exe")
        finally:
            stop_all(p, viewer)
        cls.after = stamps(p)

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def test_the_window_is_not_seen_but_the_process_is(self):
        self.assertEqual(self.install_code, 0)
        self.assertFalse(self.window_seen)
        self.assertEqual(len(self.still_running), 1, self.still_running)

    def test_the_setup_exits_1_with_message_10_and_writes_nothing(self):
        self.assertEqual(self.setup_code, 1)
        self.assertEqual(log_messages(self.prefix.log()), [MESSAGE_10])
        self.assertIn("lg_show64.exe", self.before)
        self.assertEqual(self.after, self.before)

    def test_the_uninstaller_exits_1_and_removes_nothing(self):
        self.assertEqual(self.uninstall_code, 1)
        self.assertEqual(self.after, self.before)


class CloseViewer(unittest.TestCase):
    """/closeviewer=N: a viewer that closes lets the run go on; one that refuses stops it
    after about N seconds."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = lgwine.Prefix("viewer-close")

    @classmethod
    def tearDownClass(cls):
        cls.prefix.remove()

    def setUp(self):
        self.assertEqual(self.prefix.setup(INSTALL), 0)

    def test_the_setup_closes_the_viewer_and_installs(self):
        before = stamps(self.prefix)
        viewer = start_viewer(self.prefix)
        try:
            code = self.prefix.setup(INSTALL + " /closeviewer=10", r"C:\start-close")
            viewer.wait(timeout=30)
        finally:
            stop_all(self.prefix, viewer)
        self.assertEqual(code, 0)
        # lgrun hands on the viewer's exit code: 0, it ended through its message loop.
        self.assertEqual(viewer.returncode, 0)
        self.assertIsNone(self.prefix.log(r"C:\start-close"))
        self.assertNotEqual(stamps(self.prefix)["lg_show64.exe"], before["lg_show64.exe"])

    def test_the_uninstaller_closes_the_viewer_and_removes(self):
        viewer = start_viewer(self.prefix)
        try:
            code = self.prefix.run(f'"{UNINSTALLER}" /silent /closeviewer=10', r"C:\start")
            viewer.wait(timeout=30)
        finally:
            stop_all(self.prefix, viewer)
        self.assertEqual(code, 0)
        self.assertEqual(viewer.returncode, 0)
        self.assertFalse(self.prefix.host(VIEWER).exists())

    def test_a_viewer_that_refuses_stops_both_after_the_wait(self):
        start = r"C:\start-refused"
        before = stamps(self.prefix)
        window = start_refusing_window(self.prefix)
        try:
            t0 = time.monotonic()
            plain = self.prefix.setup(INSTALL, start)
            t1 = time.monotonic()
            waited = self.prefix.setup(INSTALL + " /closeviewer=3", start)
            t2 = time.monotonic()
            removal = self.prefix.run(f'"{UNINSTALLER}" /silent /closeviewer=2', r"C:\start")
            t3 = time.monotonic()
            still_open = window.poll() is None and window_seen(self.prefix, 0)
        finally:
            stop_all(self.prefix, window)
        self.assertEqual((plain, waited, removal), (1, 1, 1))
        self.assertTrue(still_open)
        self.assertEqual(log_messages(self.prefix.log(start)), [MESSAGE_10] * 2)
        self.assertEqual(stamps(self.prefix), before)
        # The wait is the run without it plus about N seconds (Wine's start-up varies).
        self.assertGreaterEqual(t2 - t1, 3)
        self.assertLess((t2 - t1) - (t1 - t0), 3 + 8)
        self.assertGreaterEqual(t3 - t2, 2)
        self.assertLess(t3 - t2, 2 + 15)


if __name__ == "__main__":
    unittest.main()

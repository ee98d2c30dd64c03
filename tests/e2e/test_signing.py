"""Signed builds: with a certificate, every PE file the project ships carries an Authenticode
signature by it, made at the release time; without one, none does.

The signed build is a build of its own under LG_BUILD_DIR/signing-test, made through
scripts/build with a throwaway CA and certificate; later runs rebuild it incrementally.
"""
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parents[1]
sys.path.insert(0, str(HERE.parent / "harness"))
sys.path.insert(0, str(ROOT / "payload"))
import lgwine  # noqa: E402
import payload_tool  # noqa: E402
from test_payload_archive import PE  # noqa: E402

BUILD_DIR = lgwine.BUILD_DIR
WORK = BUILD_DIR / "signing-test"
CERT = WORK / "certificate"
SIGNED = WORK / "build"
SIGN_FILE = ROOT / "scripts" / "lib" / "sign-file"
SIGN_VARIABLES = ("LG_SIGN_PKCS12", "LG_SIGN_CERT", "LG_SIGN_KEY", "LG_SIGN_PASSWORD_FILE",
                  "LG_SIGN_TIMESTAMP_URL")
INSTALLER = "lumagrove-setup64.exe"
ARCHIVE = "lumagrove-payload.zip"
IMAGE_DIRECTORY_ENTRY_SECURITY = 4


def release_time_text():
    """The release time as osslsigncode prints a signing time."""
    t = datetime.datetime(*payload_tool.RELEASE)
    return f"{t:%b} {t.day:2d} {t:%H:%M:%S %Y} GMT"


def cache_values(build_dir):
    values = {}
    for line in (build_dir / "CMakeCache.txt").read_text().splitlines():
        if line[:1] not in ("", "#", "/") and "=" in line:
            key, _, value = line.partition("=")
            values[key.split(":")[0]] = value
    return values


def program_entries():
    """The archive's programs and libraries: everything of it that is a PE file."""
    entries = payload_tool.read_layout(ROOT / "payload" / "layout.txt")
    return [e.name for e in entries if e.kind == "program"]


def shipped_pe_files(build_dir):
    """{name: bytes} of the installer and of every PE file in its archive."""
    files = {INSTALLER: (build_dir / INSTALLER).read_bytes()}
    with zipfile.ZipFile(build_dir / ARCHIVE) as zf:
        for name in program_entries():
            files[name] = zf.read(name)
    return files


def osslsigncode(*args):
    r = subprocess.run(["osslsigncode", *map(str, args)], stdout=subprocess.PIPE,
                       stderr=subprocess.STDOUT, text=True)
    return r.returncode, r.stdout


def signing_env(**settings):
    """This environment with exactly the given signing settings."""
    env = {k: v for k, v in os.environ.items() if k not in SIGN_VARIABLES}
    env.update({k: str(v) for k, v in settings.items()})
    return env


def build(build_dir, **settings):
    env = signing_env(**settings)
    env["LG_BUILD_DIR"] = str(build_dir)
    return subprocess.run([ROOT / "scripts" / "build"], env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, text=True)


def main_build_is_signed():
    cache = cache_values(BUILD_DIR)
    return bool(cache.get("LG_SIGN_PKCS12") or cache.get("LG_SIGN_CERT"))


def setUpModule():
    # A fresh CA each run: one kept in the build tree would expire.
    subprocess.run([ROOT / "scripts" / "lib" / "make-test-certificate", CERT], check=True)


class SignedBuildTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not (SIGNED / "CMakeCache.txt").exists():
            # The shipped products only, from the minizip sources the main build has.
            minizip = SIGNED / "_deps" / "minizip"
            shutil.copytree(cache_values(BUILD_DIR)["LG_MINIZIP_DIR"], minizip)
            subprocess.run(["cmake", "-S", ROOT, "-B", SIGNED, "-G", "Ninja",
                            "-DLG_BUILD_TESTS=OFF", "-DCMAKE_BUILD_TYPE=Release",
                            f"-DCMAKE_TOOLCHAIN_FILE={ROOT / 'cmake' / 'mingw-w64-x86_64.cmake'}",
                            f"-DLG_MINIZIP_DIR={minizip}"],
                           check=True, stdout=subprocess.DEVNULL)
        r = build(SIGNED, LG_SIGN_PKCS12=CERT / "signer.p12",
                  LG_SIGN_PASSWORD_FILE=CERT / "password")
        if r.returncode != 0:
            raise AssertionError(f"signed build failed:\n{r.stdout[-4000:]}")
        cls.files = shipped_pe_files(SIGNED)

    def verify(self, name, *options):
        with tempfile.TemporaryDirectory() as tmp:
            path = Path(tmp) / Path(name).name
            path.write_bytes(self.files[name])
            return osslsigncode("verify", *options, "-in", path)

    def test_every_shipped_pe_file_verifies_with_the_release_time(self):
        self.assertEqual(len(self.files), 14)
        for name in self.files:
            with self.subTest(name):
                rc, out = self.verify(name, "-CAfile", CERT / "ca.pem")
                self.assertEqual(rc, 0, out)
                self.assertIn("Signature verification: ok", out)
                self.assertIn("Number of verified signatures: 1", out)
                self.assertIn("Subject: /CN=Lumagrove Test Signer", out)
                self.assertIn("Message digest algorithm  : SHA256", out)
                self.assertIn(f"Signing time: {release_time_text()}", out)

    def test_the_signature_is_trusted_only_through_its_ca(self):
        rc, out = self.verify(INSTALLER)  # the machine's CAs instead of ours
        self.assertNotEqual(rc, 0, out)

    def test_the_installer_carries_the_archive_of_signed_files(self):
        embedded = PE(self.files[INSTALLER]).resources()["ZIP"][1974]
        self.assertEqual(embedded, (SIGNED / ARCHIVE).read_bytes())

    def test_without_its_signature_each_file_is_the_unsigned_build(self):
        if main_build_is_signed():
            self.skipTest("the main build is signed")
        unsigned = shipped_pe_files(BUILD_DIR)
        with tempfile.TemporaryDirectory() as tmp:
            for name in program_entries():
                with self.subTest(name):
                    signed, stripped = Path(tmp) / "signed", Path(tmp) / "stripped"
                    signed.write_bytes(self.files[name])
                    stripped.unlink(missing_ok=True)
                    rc, out = osslsigncode("remove-signature", "-in", signed, "-out", stripped)
                    self.assertEqual(rc, 0, out)
                    self.assertEqual(stripped.read_bytes(), unsigned[name])

    def test_settings_that_cannot_sign_stop_the_build(self):
        cases = {
            "certificate without key": ({"LG_SIGN_CERT": CERT / "signer.pem"}, "go together"),
            "PKCS#12 and PEM at once": ({"LG_SIGN_PKCS12": CERT / "signer.p12",
                                         "LG_SIGN_CERT": CERT / "signer.pem",
                                         "LG_SIGN_KEY": CERT / "signer.key"}, "not both"),
            "missing file": ({"LG_SIGN_PKCS12": CERT / "none.p12"}, "no file"),
            "timestamping without certificate": (
                {"LG_SIGN_TIMESTAMP_URL": "https://timestamp.example"}, "need a certificate"),
        }
        before = (SIGNED / INSTALLER).read_bytes()
        for label, (settings, message) in cases.items():
            with self.subTest(label):
                r = build(SIGNED, **settings)
                self.assertNotEqual(r.returncode, 0, r.stdout)
                self.assertIn(message, r.stdout)
        self.assertEqual((SIGNED / INSTALLER).read_bytes(), before)


class UnsignedBuildTest(unittest.TestCase):
    def test_no_shipped_file_carries_a_signature(self):
        if main_build_is_signed():
            self.skipTest("the main build is signed")
        files = shipped_pe_files(BUILD_DIR)
        self.assertEqual(len(files), 14)
        for name, data in files.items():
            with self.subTest(name):
                self.assertEqual(PE(data).directories[IMAGE_DIRECTORY_ENTRY_SECURITY], (0, 0))


class SignFileTest(unittest.TestCase):
    """The signing step on copies of a built program."""

    @classmethod
    def setUpClass(cls):
        with zipfile.ZipFile(BUILD_DIR / ARCHIVE) as zf:
            cls.program = zf.read("lg_show64.exe")

    def sign(self, path, *options):
        return subprocess.run([sys.executable, SIGN_FILE, *map(str, options), path],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)

    def test_a_pem_certificate_and_key_sign_to_the_same_bytes_twice(self):
        with tempfile.TemporaryDirectory() as tmp:
            signed = []
            for n in range(2):
                path = Path(tmp) / f"copy{n}.exe"
                path.write_bytes(self.program)
                r = self.sign(path, "--cert", CERT / "signer.pem", "--key", CERT / "signer.key")
                self.assertEqual(r.returncode, 0, r.stdout)
                signed.append(path.read_bytes())
            self.assertEqual(signed[0], signed[1])
            self.assertNotEqual(signed[0], self.program)
            rc, out = osslsigncode("verify", "-CAfile", CERT / "ca.pem", "-in", Path(tmp) / "copy0.exe")
            self.assertEqual(rc, 0, out)

    def test_a_wrong_password_leaves_the_file_as_it_was(self):
        with tempfile.TemporaryDirectory() as tmp:
            path, password = Path(tmp) / "copy.exe", Path(tmp) / "password"
            path.write_bytes(self.program)
            password.write_text("not the password\n")
            r = self.sign(path, "--pkcs12", CERT / "signer.p12", "--password-file", password)
            self.assertNotEqual(r.returncode, 0, r.stdout)
            self.assertEqual(path.read_bytes(), self.program)
            self.assertEqual(sorted(p.name for p in Path(tmp).iterdir()), ["copy.exe", "password"])


if __name__ == "__main__":
    unittest.main()

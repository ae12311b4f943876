#!/usr/bin/env python3
"""The release zip writer and the guide's text conversion: the same folder gives the same bytes
whatever the files' times and modes, names come back exactly through unzip, and the guide gets
one byte order mark and CRLF line ends however often it is converted."""
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "packaging"))
import release_zip  # noqa: E402
import text_for_windows  # noqa: E402


def make_folder(root, mode, mtime):
    os.makedirs(os.path.join(root, "ocr"))
    files = {"Quorvix.exe": b"MZ" + bytes(range(256)) * 40, "ocr/HanS.traineddata": b"x" * 5000,
             "使用说明.txt": "说明".encode("utf-8"), "LICENSES/zlib.txt": b"zlib"}
    for name, data in files.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        os.chmod(path, mode)
        os.utime(path, (mtime, mtime))
    return files


class ReleaseZip(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

    def test_same_bytes_from_folders_that_differ_in_times_and_modes(self):
        files = make_folder(os.path.join(self.dir, "a"), 0o600, 1_000_000_000)
        make_folder(os.path.join(self.dir, "b"), 0o755, 1_700_000_000)
        zips = []
        for side in "ab":
            out = os.path.join(self.dir, side + ".zip")
            release_zip.write_zip(os.path.join(self.dir, side), out, 1_650_000_000, "Q-1/")
            with open(out, "rb") as f:
                zips.append(f.read())
        self.assertEqual(zips[0], zips[1])
        with zipfile.ZipFile(os.path.join(self.dir, "a.zip")) as z:
            self.assertIsNone(z.testzip())
            names = [i.filename for i in z.infolist()]
            self.assertEqual(names, sorted(names, key=lambda n: n.encode("utf-8")))
            self.assertTrue(all(i.date_time == (2022, 4, 15, 5, 20, 0) for i in z.infolist()))
            self.assertEqual(z.read("Q-1/Quorvix.exe"), files["Quorvix.exe"])

    def test_chinese_names_are_gbk_in_the_header_and_utf8_for_unzip(self):
        make_folder(os.path.join(self.dir, "a"), 0o644, 0)
        out = os.path.join(self.dir, "a.zip")
        release_zip.write_zip(os.path.join(self.dir, "a"), out, 0)
        with open(out, "rb") as f:
            data = f.read()
        self.assertIn("使用说明.txt".encode("gbk"), data)
        # Without the UTF-8 flag, which the zip folders of Windows 7 do not know.
        with zipfile.ZipFile(out) as z:
            self.assertTrue(all(i.flag_bits & 0x800 == 0 for i in z.infolist()))
        unpacked = os.path.join(self.dir, "out")
        subprocess.run(["unzip", "-q", out, "-d", unpacked], check=True)
        with open(os.path.join(unpacked, "使用说明.txt"), encoding="utf-8") as f:
            self.assertEqual(f.read(), "说明")

    def test_a_name_outside_gbk_is_refused(self):
        folder = os.path.join(self.dir, "a")
        os.makedirs(folder)
        open(os.path.join(folder, "\U0001F600.txt"), "w").close()
        with self.assertRaises(SystemExit):
            release_zip.write_zip(folder, os.path.join(self.dir, "a.zip"), 0)


class GuideText(unittest.TestCase):
    def test_one_bom_and_crlf_however_often_converted(self):
        once = text_for_windows.for_windows("第一行\n第二行\r\n\n")
        self.assertEqual(once, "\ufeff第一行\r\n第二行\r\n\r\n")
        self.assertEqual(text_for_windows.for_windows(once), once)


if __name__ == "__main__":
    unittest.main()

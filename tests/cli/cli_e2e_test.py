#!/usr/bin/env python3
"""End-to-end checks of the command-line tool against the bank simulator.

Runs the real binary (natively, or a Windows build through the Wine wrapper
given with --emulator) in a scratch folder for each case, with the sites
pointed at the simulator on 127.0.0.1, and checks exit codes, output bytes,
the requests the simulator received and what is left on disk.
"""

import argparse
import csv
import glob
import io
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

ARGS = None
HERE = os.path.dirname(os.path.abspath(__file__))
EXPECTED = os.path.join(HERE, "expected")
MIZUHO_PATH = "/map/uc/PoiAttr"
DETAIL_BASE = "https://detail.example"
MUFG_PATH = "/report/data.txt"
# Line 1 of each bank's file, in the bank table's order, CR LF included.
with open(os.path.join(HERE, "..", "app", "expected", "header_rows.csv"), "rb") as f:
    HEADERS = f.read().splitlines(keepends=True)
MIZUHO_HEADER, MUFG_HEADER = HEADERS[0], HEADERS[2]


def simulator_url():
    with open(ARGS.port_file) as f:
        return "http://127.0.0.1:%d" % int(f.read().strip())


def control(path):
    # Loopback only: the simulator this test run started.
    with urllib.request.urlopen(simulator_url() + path, timeout=10) as response:
        return response.read().decode("latin-1")


def requested_targets(prefix):
    return [line.split(" ")[1] for line in control("/control/log?prefix=" + prefix).split("\r\n")
            if line.startswith("GET ")]


def closed_port():
    import socket
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Run:
    def __init__(self, code, stdout, stderr, folder):
        self.code, self.stdout, self.stderr, self.folder = code, stdout, stderr, folder

    def file(self, name):
        with open(os.path.join(self.folder, name), "rb") as f:
            return f.read()


class CliCase(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="tenrovel-e2e-")
        self.tmp = os.path.join(self.folder, "tmp")  # the tool's private temporary folders
        os.mkdir(self.tmp)
        self.work = os.path.join(self.folder, "work")
        os.mkdir(self.work)

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def env(self, **overrides):
        env = dict(os.environ)
        env.update({"TENROVEL_MIZUHO_URL": simulator_url(), "TENROVEL_MIZUHO_DETAIL_URL": DETAIL_BASE,
                    "TENROVEL_MUFG_URL": simulator_url(),
                    "TENROVEL_DELAY_SCALE": "0", "TMPDIR": self.tmp,
                    # Arguments must be read as UTF-8 whatever the locale. Wine
                    # needs a UTF-8 locale to give files their Unicode names.
                    "LC_ALL": "C.UTF-8" if ARGS.emulator else "C"})
        env.update(overrides)
        return env

    def command(self, args):
        return (ARGS.emulator or []) + [ARGS.exe] + args

    def run_tool(self, args, timeout=120, **env):
        p = subprocess.run(self.command(args), cwd=self.work, env=self.env(**env),
                           capture_output=True, timeout=timeout)
        return Run(p.returncode, p.stdout, p.stderr.decode("utf-8", "replace"), self.work)

    def assert_rows(self, data, columns):
        self.assertTrue(data.endswith(b"\r\n"))
        text = data.decode("cp932")
        for line in text.split("\r\n")[:-1]:
            self.assertNotIn("\n", line)
            self.assertNotIn("\r", line)
        rows = list(csv.reader(io.StringIO(text, newline="")))
        for row in rows:
            self.assertEqual(len(row), columns, row)
        return rows

    def assert_no_temp_left(self):
        left = [name for name in os.listdir(self.tmp) if not name.startswith("wine-")]
        if ARGS.emulator:
            # Windows programs under Wine use the prefix's own temporary folder.
            prefix = os.environ.get("WINEPREFIX", os.path.join(HERE, "..", "..", "build", "wineprefix"))
            left += glob.glob(os.path.join(prefix, "drive_c", "users", "*", "*", "Local", "Temp",
                                           "tenrovel-cli.*"))
            left += glob.glob(os.path.join(prefix, "drive_c", "users", "*", "Temp", "tenrovel-cli.*"))
        self.assertEqual(left, [], "the private temporary folder is removed")


class Usage(CliCase):
    def test_usage_errors_exit_64(self):
        for args in ([], ["--bank", "mizuho"], ["--bank", "nope", "--all"],
                     ["--bank", "mizuho", "--pref", "48"], ["--bank", "mizuho", "--pref", "東京"],
                     ["--bank", "mizuho", "--all", "--pref", "13"], ["--bogus"]):
            with self.subTest(args=args):
                run = self.run_tool(args)
                self.assertEqual(run.code, 64, run.stderr)
                self.assertIn("tenrovel:", run.stderr)

    def test_help_and_version(self):
        run = self.run_tool(["--help"])
        self.assertEqual(run.code, 0)
        self.assertIn(b"--bank", run.stdout)
        run = self.run_tool(["--version"])
        self.assertEqual(run.code, 0)
        self.assertTrue(run.stdout.startswith(b"tenrovel "))

    def test_bank_without_a_source_exits_69(self):
        run = self.run_tool(["--bank", "smbc", "--pref", "13"])
        self.assertEqual(run.code, 69, run.stderr)
        self.assertEqual(os.listdir(self.work), [])

    def test_existing_output_is_refused_without_force(self):
        path = os.path.join(self.work, "out.csv")
        with open(path, "wb") as f:
            f.write(b"keep")
        run = self.run_tool(["--bank", "mizuho", "--pref", "02", "-o", "out.csv"])
        self.assertEqual(run.code, 73, run.stderr)
        self.assertEqual(run.file("out.csv"), b"keep")
        run = self.run_tool(["--bank", "mizuho", "--pref", "02", "-o", "out.csv", "--force"])
        self.assertEqual(run.code, 1, run.stderr)
        self.assertEqual(run.file("out.csv"), MIZUHO_HEADER)

    def test_output_that_cannot_be_created_exits_73(self):
        run = self.run_tool(["--bank", "mizuho", "--pref", "02", "-o", "missing/out.csv"])
        self.assertEqual(run.code, 73, run.stderr)


class MizuhoJobs(CliCase):
    def test_two_prefectures_match_the_expected_file_and_requests(self):
        before = len(requested_targets(MIZUHO_PATH))
        # Names and codes mixed, out of order: the list order decides.
        run = self.run_tool(["--bank", "mizuho", "--pref", "東京都,1", "-o", "out.csv"])
        self.assertEqual(run.code, 0, run.stderr)
        with open(os.path.join(EXPECTED, "mizuho_01_13.csv"), "rb") as f:
            self.assertEqual(run.file("out.csv"), f.read())
        self.assert_rows(run.file("out.csv"), 18)
        targets = requested_targets(MIZUHO_PATH)[before:]
        query = ("/map/uc/PoiAttr?callback=jQuery171060744735493419791_1606560348591&grp=mizuho_all"
                 "&kencode=%s&start=%d&srt=sort_num%%2Ccitycode%%2Cpoi_name_yomi&pm=10&json=1&vo=mbml"
                 "&pp=print_start_date%%2Cprint_end_date&poi_status=1&net_branch_flag=null&entref=1"
                 "&_=1606560348828")
        self.assertEqual(targets, [query % ("01", 1), query % ("13", 1), query % ("13", 11)])
        self.assertIn("みずほ銀行店舗 東京都 : 12/12件 取得中", run.stderr)
        self.assert_no_temp_left()

    def test_default_output_name(self):
        run = self.run_tool(["--bank", "mizuho", "--pref", "01"])
        self.assertEqual(run.code, 0, run.stderr)
        self.assertEqual(os.listdir(self.work), ["みずほ銀行店舗一覧.csv"])

    def test_nothing_found_leaves_the_header(self):
        run = self.run_tool(["--bank", "mizuho", "--pref", "02", "-o", "out.csv"])
        self.assertEqual(run.code, 1, run.stderr)
        self.assertEqual(run.file("out.csv"), MIZUHO_HEADER)
        self.assert_no_temp_left()

    def test_refused_connections_exit_3(self):
        url = "http://127.0.0.1:%d" % closed_port()
        run = self.run_tool(["--bank", "mizuho", "--pref", "01,13", "-o", "out.csv"],
                            TENROVEL_MIZUHO_URL=url)
        self.assertEqual(run.code, 3, run.stderr)
        self.assertEqual(run.file("out.csv"), MIZUHO_HEADER)
        self.assertIn("download failed", run.stderr)

    @unittest.skipIf(os.name != "posix", "needs POSIX signals")
    def test_interrupt_during_a_stalled_request_exits_2_and_keeps_rows(self):
        if ARGS.emulator:
            self.skipTest("signals do not reach a program under Wine as Ctrl-C")
        # Tokyo's second answer stalls; the first answer's ten rows are written.
        control("/control/fault?path=" + urllib.request.quote(MIZUHO_PATH + "?kencode=13&start=11")
                + "&kind=stall&before_headers=1&seconds=30")
        log_path = os.path.join(self.folder, "stderr.txt")
        with open(log_path, "wb") as log:
            process = subprocess.Popen(
                self.command(["--bank", "mizuho", "--pref", "13", "-o", "out.csv"]),
                cwd=self.work, env=self.env(), stderr=log)
            deadline = time.time() + 30
            while time.time() < deadline:
                with open(log_path, "rb") as f:
                    if "10/12".encode() in f.read():
                        break
                time.sleep(0.1)
            time.sleep(0.5)  # the request for the second answer is under way
            started = time.time()
            process.send_signal(signal.SIGINT)
            code = process.wait(timeout=10)
            elapsed = time.time() - started
        self.assertEqual(code, 2)
        self.assertLess(elapsed, 1.0)
        rows = self.assert_rows(Run(0, b"", "", self.work).file("out.csv"), 18)
        self.assertEqual(len(rows), 11, "header and the ten rows of the first answer")
        self.assert_no_temp_left()


class MufgJobs(CliCase):
    @staticmethod
    def expected():
        with open(os.path.join(EXPECTED, "mufg_13_14_27.csv"), "rb") as f:
            return f.read()

    def test_three_prefectures_match_the_expected_file_with_one_download(self):
        before = len(requested_targets(MUFG_PATH))
        run = self.run_tool(["--bank", "mufg", "--pref", "13,14,27", "-o", "out.csv"])
        self.assertEqual(run.code, 0, run.stderr)
        self.assertEqual(run.file("out.csv"), self.expected())
        self.assert_rows(run.file("out.csv"), 15)
        self.assertEqual(requested_targets(MUFG_PATH)[before:], [MUFG_PATH])
        # Two of Tokyo's eight lines have 15 and 17 fields: counted, not written.
        self.assertIn("三菱UFJ銀行店舗 東京都 : 8/8件 取得中", run.stderr)
        self.assertIn("東京都: 6 rows of 8 hits", run.stderr)
        self.assert_no_temp_left()

    def test_a_failed_first_download_is_tried_again_by_the_next_prefecture(self):
        kanagawa = [line + b"\r\n" for line in self.expected().split(b"\r\n")[1:-1]
                    if next(csv.reader([line.decode("cp932")]))[4].startswith("神奈川県")]
        self.assertEqual(len(kanagawa), 3)
        before = len(requested_targets(MUFG_PATH))
        control("/control/fault?path=" + MUFG_PATH + "&kind=status&code=500&count=1")
        run = self.run_tool(["--bank", "mufg", "--pref", "13,14", "-o", "out.csv"])
        self.assertEqual(run.code, 0, run.stderr)
        self.assertEqual(run.file("out.csv"), MUFG_HEADER + b"".join(kanagawa))
        self.assert_rows(run.file("out.csv"), 15)
        self.assertEqual(requested_targets(MUFG_PATH)[before:], [MUFG_PATH, MUFG_PATH])
        self.assertIn("download failed (東京都)", run.stderr)
        self.assert_no_temp_left()

    def test_without_a_configured_host_nothing_is_sent_and_the_job_exits_3(self):
        before = len(requested_targets(MUFG_PATH))
        run = self.run_tool(["--bank", "mufg", "--pref", "13,14", "-o", "out.csv"],
                            TENROVEL_MUFG_URL="")
        self.assertEqual(run.code, 3, run.stderr)
        self.assertEqual(run.file("out.csv"), MUFG_HEADER)
        self.assertIn("download failed (東京都): " + MUFG_PATH, run.stderr)
        self.assertIn("download failed (神奈川県): " + MUFG_PATH, run.stderr)
        self.assertEqual(requested_targets(MUFG_PATH)[before:], [])
        self.assert_no_temp_left()


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--emulator", nargs="*")
    parser.add_argument("--port-file", default="bank_simulator.port")
    ARGS, rest = parser.parse_known_args()
    ARGS.exe = os.path.abspath(ARGS.exe)
    ARGS.port_file = os.path.abspath(ARGS.port_file)
    program = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2)
    result = program.result
    failed = len({id(test) for test, _ in result.failures + result.errors})
    print("%d passed, %d failed" % (result.testsRun - failed - len(result.skipped), failed))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()

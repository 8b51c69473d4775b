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
import urllib.parse
import urllib.request

ARGS = None
HERE = os.path.dirname(os.path.abspath(__file__))
EXPECTED = os.path.join(HERE, "expected")
MIZUHO_PATH = "/map/uc/PoiAttr"
DETAIL_BASE = "https://detail.example"
SMBC_PATH = "/smt/smbcbank/"
POSTAL_PATH = "/PostanWs.aspx"
MUFG_PATH = "/report/data.txt"
# Line 1 of each bank's file, in the bank table's order, CR LF included.
with open(os.path.join(HERE, "..", "app", "expected", "header_rows.csv"), "rb") as f:
    MIZUHO_HEADER, SMBC_HEADER, MUFG_HEADER = f.read().splitlines(keepends=True)


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
                    "TENROVEL_MUFG_URL": simulator_url(), "TENROVEL_SMBC_URL": simulator_url(),
                    "TENROVEL_POSTAL_URL": simulator_url(),
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
                     ["--bank", "mizuho", "--pref", "48"], ["--bank", "mizuho", "--pref", "東"],
                     ["--bank", "mizuho", "--all", "--pref", "13"], ["--bogus"]):
            with self.subTest(args=args):
                run = self.run_tool(args)
                self.assertEqual(run.code, 64, run.stderr)
                self.assertIn("tenrovel:", run.stderr)

    def test_prefectures_by_code_name_short_name_or_romanised(self):
        # Each form names Tokyo; --list-prefectures shows the 47 with their codes.
        for form in ("13", "１３", "東京都", "東京", "tokyo", "TOKYO"):
            with self.subTest(form=form):
                run = self.run_tool(["--bank", "Mizuho", "--pref", "1," + form, "-o", "out.csv",
                                     "--force", "-q"])
                self.assertEqual(run.code, 0, run.stderr)
                with open(os.path.join(EXPECTED, "mizuho_01_13.csv"), "rb") as f:
                    self.assertEqual(run.file("out.csv"), f.read())
        run = self.run_tool(["--bank", "mizuho", "--pref", "hokaido"])
        self.assertEqual(run.code, 64)
        self.assertIn("did you mean 北海道 (hokkaido)?", run.stderr)
        run = self.run_tool(["--list-prefectures"])
        self.assertEqual(run.code, 0)
        lines = run.stdout.decode("utf-8").splitlines()
        self.assertEqual((len(lines), lines[0], lines[46]), (47, "01 北海道 hokkaido", "47 沖縄県 okinawa"))

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
        self.assertRegex(run.stderr, "cannot create missing/out.csv: .")


class ExistingFile(CliCase):
    """An existing file is replaced only when the job has an outcome."""
    OLD = b"old rows\r\n"

    def run_over_old_file(self, args, **env):
        with open(os.path.join(self.work, "out.csv"), "wb") as f:
            f.write(self.OLD)
        return self.run_tool(["--bank", "mizuho", "-o", "out.csv", "--force"] + args, **env)

    def test_outcome_decides_whether_the_old_file_is_replaced(self):
        unreachable = "http://127.0.0.1:%d" % closed_port()
        cases = [  # name, args, environment, exit code, the old file is kept
            ("rows", ["--pref", "01"], {}, 0, False),
            ("nothing found", ["--pref", "02"], {}, 1, False),
            ("site unreachable", ["--pref", "01,13"], {"TENROVEL_MIZUHO_URL": unreachable}, 3, True),
        ]
        for name, args, env, code, kept in cases:
            with self.subTest(name):
                run = self.run_over_old_file(args, **env)
                self.assertEqual(run.code, code, run.stderr)
                data = run.file("out.csv")
                self.assertEqual(data == self.OLD, kept)
                if not kept:
                    self.assertTrue(data.startswith(MIZUHO_HEADER))
                self.assertEqual(os.listdir(self.work), ["out.csv"], "no part file is left")
                self.assert_no_temp_left()

    @unittest.skipIf(os.name != "posix", "needs a file-size limit")
    def test_a_write_error_keeps_the_old_file_and_exits_74(self):
        if ARGS.emulator:
            self.skipTest("the file-size limit is a POSIX one")
        import resource

        def limit():  # the header row is cut: a write error, not SIGXFSZ
            resource.setrlimit(resource.RLIMIT_FSIZE, (100, 100))
        with open(os.path.join(self.work, "out.csv"), "wb") as f:
            f.write(self.OLD)
        p = subprocess.run(self.command(["--bank", "mizuho", "--pref", "13", "-o", "out.csv",
                                         "--force"]),
                           cwd=self.work, env=self.env(), capture_output=True, timeout=120,
                           preexec_fn=limit)
        stderr = p.stderr.decode("utf-8", "replace")
        self.assertEqual(p.returncode, 74, stderr)
        self.assertIn("cannot write out.csv: File too large", stderr)
        self.assertEqual(Run(0, b"", "", self.work).file("out.csv"), self.OLD)
        self.assertEqual(os.listdir(self.work), ["out.csv"], "no part file is left")
        self.assert_no_temp_left()


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

    def test_the_outcome_is_said_in_one_line_unless_quiet(self):
        stall = ("/control/fault?path=" + urllib.request.quote(MIZUHO_PATH + "?kencode=01")
                 + "&kind=status&code=503")
        cases = [  # name, arguments, fault to arm, exit code, last line
            ("rows", ["--pref", "01,13"], None, 0, "tenrovel: wrote 14 rows to out.csv (2 prefectures)"),
            ("partial", ["--pref", "01,13"], stall, 4,
             "tenrovel: wrote 12 rows to out.csv (2 prefectures); not fetched: 北海道"),
            ("nothing", ["--pref", "02"], None, 1, "tenrovel: nothing found; out.csv holds the header row"),
            ("one", ["--pref", "13"], None, 0, "tenrovel: wrote 12 rows to out.csv (1 prefecture)"),
        ]
        for name, args, fault, code, line in cases:
            for quiet in (False, True):
                with self.subTest(name=name, quiet=quiet):
                    if fault:
                        control(fault)
                    run = self.run_tool(["--bank", "mizuho", "-o", "out.csv", "--force"] + args
                                        + (["-q"] if quiet else []))
                    self.assertEqual(run.code, code, run.stderr)
                    lines = run.stderr.splitlines()
                    if quiet:  # failed downloads are errors: they stay
                        self.assertEqual([l for l in lines if "download failed" not in l], [])
                        self.assertEqual(len(lines), 1 if fault else 0)
                    else:
                        self.assertEqual(lines[-1], line)

    def test_default_output_name(self):
        run = self.run_tool(["--bank", "mizuho", "--pref", "01"])
        self.assertEqual(run.code, 0, run.stderr)
        self.assertEqual(os.listdir(self.work), ["みずほ銀行店舗一覧.csv"])

    def test_nothing_found_leaves_the_header(self):
        run = self.run_tool(["--bank", "mizuho", "--pref", "02", "-o", "out.csv"])
        self.assertEqual(run.code, 1, run.stderr)
        self.assertEqual(run.file("out.csv"), MIZUHO_HEADER)
        self.assert_no_temp_left()

    def test_a_prefecture_that_failed_among_others_exits_4(self):
        control("/control/fault?path=" + urllib.request.quote(MIZUHO_PATH + "?kencode=01")
                + "&kind=status&code=503")
        run = self.run_tool(["--bank", "mizuho", "--pref", "01,13", "-o", "out.csv"])
        self.assertEqual(run.code, 4, run.stderr)
        rows = self.assert_rows(run.file("out.csv"), 18)
        self.assertEqual(len(rows), 13, "header and Tokyo's twelve rows")
        # Told when it happened, before Tokyo's progress, with the URL's path only.
        failed = run.stderr.index("tenrovel: download failed (北海道): http://127.0.0.1:")
        self.assertIn(MIZUHO_PATH + ": ", run.stderr[failed:].splitlines()[0])
        self.assertNotIn("kencode", run.stderr)
        self.assertLess(failed, run.stderr.index("東京都 : "))

    def test_refused_connections_exit_3(self):
        url = "http://127.0.0.1:%d" % closed_port()
        run = self.run_tool(["--bank", "mizuho", "--pref", "01,13", "-o", "out.csv"],
                            TENROVEL_MIZUHO_URL=url)
        self.assertEqual(run.code, 3, run.stderr)
        self.assertEqual(os.listdir(self.work), [], "no file is made")
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
            before = len(requested_targets(MIZUHO_PATH))
            process = subprocess.Popen(
                self.command(["--bank", "mizuho", "--pref", "13", "-o", "out.csv"]),
                cwd=self.work, env=self.env(), stderr=log)
            deadline = time.time() + 30
            while time.time() < deadline:
                if any("start=11" in t for t in requested_targets(MIZUHO_PATH)[before:]):
                    break
                time.sleep(0.1)
            time.sleep(0.3)  # the request for the second answer is under way
            started = time.time()
            process.send_signal(signal.SIGINT)
            code = process.wait(timeout=10)
            elapsed = time.time() - started
        self.assertEqual(code, 2)
        self.assertLess(elapsed, 1.0)
        rows = self.assert_rows(Run(0, b"", "", self.work).file("out.csv"), 18)
        self.assertEqual(len(rows), 11, "header and the ten rows of the first answer")
        self.assert_no_temp_left()


    def test_a_service_that_repeats_one_page_without_end_ends_with_its_ten_rows(self):
        # Every answer for 沖縄県, whatever its start, holds the same ten
        # records under a hit count of 10^9.
        records = ",".join('{"id":"47%02d","name":"店舗%d","lat":"26.2","lon":"127.6"}' % (i, i)
                           for i in range(10))
        body = ('cb({"status":"OK","count":{"hits":"1000000000","start":"1","pm":"10"},'
                '"items":[%s]})' % records)
        path = MIZUHO_PATH + "?kencode=47"
        control("/control/fault?path=" + urllib.request.quote(path, safe="") +
                "&kind=status&code=200&count=0&body=" + urllib.request.quote(body, safe=""))
        def okinawa_requests():
            return [t for t in requested_targets(MIZUHO_PATH) if "&kencode=47&" in t]
        before = len(okinawa_requests())
        run = self.run_tool(["--bank", "mizuho", "--pref", "47", "-o", "out.csv"], timeout=60)
        self.assertEqual(run.code, 0, run.stderr)
        rows = self.assert_rows(run.file("out.csv"), 18)
        self.assertEqual([row[0] for row in rows[1:]], ["店舗%d" % i for i in range(10)])
        self.assertEqual(len(okinawa_requests()) - before, 2,
                         "the second answer brings nothing new: no third is asked for")
    @unittest.skipIf(os.name != "posix", "needs POSIX signals")
    def test_a_closed_standard_error_or_a_hangup_still_ends_the_job_cleanly(self):
        if ARGS.emulator:
            self.skipTest("POSIX signals")
        # The reader of standard error goes away at once: progress lines fail
        # to be written, and the job still completes.
        process = subprocess.Popen(
            self.command(["--bank", "mizuho", "--pref", "01,13", "-o", "out.csv"]),
            cwd=self.work, env=self.env(), stderr=subprocess.PIPE)
        process.stderr.close()
        self.assertEqual(process.wait(timeout=60), 0)
        with open(os.path.join(EXPECTED, "mizuho_01_13.csv"), "rb") as f:
            self.assertEqual(Run(0, b"", "", self.work).file("out.csv"), f.read())
        self.assert_no_temp_left()
        # A hangup stops it like SIGTERM: the rows written stay.
        control("/control/fault?path=" + urllib.request.quote(MIZUHO_PATH + "?kencode=13")
                + "&kind=stall&before_headers=1&seconds=30")
        process = subprocess.Popen(
            self.command(["--bank", "mizuho", "--pref", "01,13", "-o", "out.csv", "--force"]),
            cwd=self.work, env=self.env(), stderr=subprocess.PIPE)
        for line in iter(process.stderr.readline, b""):
            if "北海道".encode() in line:
                break
        time.sleep(0.3)  # the request for Tokyo is under way
        process.send_signal(signal.SIGHUP)
        self.assertEqual(process.wait(timeout=10), 2)
        self.assertEqual(len(self.assert_rows(Run(0, b"", "", self.work).file("out.csv"), 18)), 3)


def mizuho_fault(query, **params):
    control("/control/fault?path=" + urllib.request.quote(MIZUHO_PATH + "?" + query) + "&" +
            urllib.parse.urlencode(params))


def serve_once(port_file_url):
    """A host that answers one request (passing it on to the simulator) and
    then refuses every connection: its listening socket is closed."""
    import socket
    import threading
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(1)

    def answer():
        connection, _ = server.accept()
        server.close()
        request = b""
        while b"\r\n\r\n" not in request:
            request += connection.recv(4096)
        target = request.split(b" ")[1].decode("ascii")
        with urllib.request.urlopen(port_file_url + target, timeout=10) as response:
            body = response.read()
        connection.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\nConnection: close\r\n\r\n"
                           % len(body) + body)
        connection.close()
    thread = threading.Thread(target=answer, daemon=True)
    thread.start()
    return "http://127.0.0.1:%d" % server.getsockname()[1], thread


def unanswered_port():
    """A port whose backlog is full: a connection is never made, nor refused."""
    import socket
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(0)
    port = server.getsockname()[1]
    fillers = []
    for _ in range(3):
        filler = socket.socket()
        filler.setblocking(False)
        filler.connect_ex(("127.0.0.1", port))
        fillers.append(filler)
    return port, [server] + fillers


class Network(CliCase):
    def test_timeouts_are_the_options_values(self):
        port, sockets = unanswered_port()
        self.addCleanup(lambda: [s.close() for s in sockets])
        cases = [  # name, option, site, fault to arm, reason told
            ("connect", "--connect-timeout", "http://127.0.0.1:%d" % port, None,
             "connection timed out"),
            ("stall", "--timeout", None, dict(kind="stall", before_headers=1, seconds=30), "stalled"),
        ]
        for name, option, site, fault, reason in cases:
            with self.subTest(name):
                if fault:
                    mizuho_fault("kencode=01", **fault)
                env = {"TENROVEL_MIZUHO_URL": site} if site else {}
                # The defaults (30 s, 60 s) would run into the subprocess timeout.
                run = self.run_tool(["--bank", "mizuho", "--pref", "01", "-o", "out.csv",
                                     option, "1.5"], timeout=20, **env)
                self.assertEqual(run.code, 3, run.stderr)
                self.assertIn("download failed (北海道): ", run.stderr)
                self.assertIn(": " + reason, run.stderr)
        for bad in ("0", "-1", "x"):
            self.assertEqual(self.run_tool(["--bank", "mizuho", "--all", "--timeout", bad]).code, 64)

    def test_three_prefectures_in_a_row_without_a_host_end_the_job(self):
        old = b"old rows\r\n"
        prefs = ["--pref", "01,02,03,04,05"]
        refused = "http://127.0.0.1:%d" % closed_port()
        once, thread = serve_once(simulator_url())
        cases = [  # name, site, exit code, rows kept (None: the old file), failed, not tried
            ("refused throughout", refused, 3, None, ["北海道", "青森県", "岩手県"], "宮城県, 秋田県"),
            ("rows, then refused", once, 4, 2, ["青森県", "岩手県", "宮城県"], "秋田県"),
        ]
        for name, site, code, rows, failed, not_tried in cases:
            with self.subTest(name):
                with open(os.path.join(self.work, "out.csv"), "wb") as f:
                    f.write(old)
                run = self.run_tool(["--bank", "mizuho", "-o", "out.csv", "--force"] + prefs,
                                    TENROVEL_MIZUHO_URL=site)
                self.assertEqual(run.code, code, run.stderr)
                told = [line.split("(")[1].split(")")[0] for line in run.stderr.splitlines()
                        if "download failed" in line]
                self.assertEqual(told, failed)
                self.assertIn("not tried: " + not_tried, run.stderr)
                data = run.file("out.csv")
                if rows is None:
                    self.assertEqual(data, old)
                else:
                    self.assertEqual(len(self.assert_rows(data, 18)), 1 + rows)
                self.assertEqual(os.listdir(self.work), ["out.csv"])
        thread.join(timeout=10)


class StandardOutput(CliCase):
    def test_rows_go_to_standard_output_and_progress_to_standard_error(self):
        run = self.run_tool(["--bank", "mizuho", "--pref", "01,13", "-o", "-"])
        self.assertEqual(run.code, 0, run.stderr)
        with open(os.path.join(EXPECTED, "mizuho_01_13.csv"), "rb") as f:
            self.assertEqual(run.stdout, f.read())
        self.assertIn("東京都 : 12/12件", run.stderr)
        self.assertIn("wrote 14 rows to standard output", run.stderr)
        self.assertEqual(os.listdir(self.work), [])
        self.assert_no_temp_left()

    def test_a_reader_that_goes_away_stops_the_job_silently_with_74(self):
        # 北海道's answer comes after the reader has taken the header row.
        mizuho_fault("kencode=01", kind="stall", before_headers=1, seconds=2)
        before = len(requested_targets(MIZUHO_PATH))
        process = subprocess.Popen(self.command(["--bank", "mizuho", "--pref", "01,13", "-o", "-"]),
                                   cwd=self.work, env=self.env(), stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE)
        self.assertEqual(process.stdout.readline(), MIZUHO_HEADER)
        process.stdout.close()
        stderr = process.stderr.read().decode("utf-8", "replace")
        process.stderr.close()
        self.assertEqual(process.wait(timeout=30), 74, stderr)
        self.assertNotIn("cannot write", stderr)
        self.assertNotIn("wrote", stderr)
        self.assertEqual([t for t in requested_targets(MIZUHO_PATH)[before:] if "kencode=13" in t],
                         [], "nothing is asked for after the reader went away")
        self.assert_no_temp_left()

    def test_an_empty_output_name_is_a_usage_error(self):
        run = self.run_tool(["--bank", "mizuho", "--pref", "01", "-o", ""])
        self.assertEqual(run.code, 64, run.stderr)
        self.assertEqual(os.listdir(self.work), [])


class OutputForms(CliCase):
    def test_utf8_encoding_writes_the_same_rows_after_a_byte_order_mark(self):
        with open(os.path.join(EXPECTED, "mizuho_01_13.csv"), "rb") as f:
            cp932 = f.read()
        for args, expected in ((["--encoding", "UTF-8"], b"\xef\xbb\xbf" +
                                cp932.decode("cp932").encode("utf-8")),
                               (["--encoding", "cp932"], cp932), ([], cp932)):
            with self.subTest(args=args):
                run = self.run_tool(["--bank", "mizuho", "--pref", "01,13", "-o", "out.csv",
                                     "--force"] + args)
                self.assertEqual(run.code, 0, run.stderr)
                self.assertEqual(run.file("out.csv"), expected)
        self.assertEqual(self.run_tool(["--bank", "mizuho", "--all", "--encoding", "latin1"]).code,
                         64)

    def test_save_answers_keeps_every_answer_with_its_url_and_status(self):
        mizuho_fault("kencode=01", kind="status", code=503)
        before = len(requested_targets(MIZUHO_PATH))
        run = self.run_tool(["--bank", "mizuho", "--pref", "01,13", "-o", "out.csv",
                             "--save-answers", "answers/new"])
        self.assertEqual(run.code, 4, run.stderr)
        folder = os.path.join(self.work, "answers", "new")
        targets = requested_targets(MIZUHO_PATH)[before:]
        with open(os.path.join(folder, "answers.txt"), encoding="utf-8") as f:
            listed = [line.split("\t") for line in f.read().splitlines()]
        self.assertEqual(listed, [["-", "HTTP 503", simulator_url() + targets[0]],
                                  ["0002.txt", "200", simulator_url() + targets[1]],
                                  ["0003.txt", "200", simulator_url() + targets[2]]])
        self.assertEqual(sorted(os.listdir(folder)), ["0002.txt", "0003.txt", "answers.txt"])
        for name, target in (("0002.txt", targets[1]), ("0003.txt", targets[2])):
            with open(os.path.join(folder, name), "rb") as f:
                self.assertEqual(f.read(), urllib.request.urlopen(simulator_url() + target).read())
        # A folder that holds something is not mixed with another job's answers.
        run = self.run_tool(["--bank", "mizuho", "--pref", "01", "-o", "out.csv", "--force",
                             "--save-answers", "answers/new"])
        self.assertEqual(run.code, 73, run.stderr)
        self.assertIn("cannot create answers/new: ", run.stderr)


class Progress(CliCase):
    def test_a_log_gets_one_line_per_prefecture(self):
        run = self.run_tool(["--bank", "mizuho", "--pref", "01,13", "-o", "out.csv"])
        self.assertEqual(run.code, 0, run.stderr)
        self.assertEqual([l for l in run.stderr.splitlines() if "取得中" in l],
                         ["みずほ銀行店舗 北海道 : 2/2件 取得中", "みずほ銀行店舗 東京都 : 12/12件 取得中"])

    @unittest.skipIf(os.name != "posix", "needs a pseudo-terminal")
    def test_on_a_terminal_the_line_is_redrawn_within_its_width(self):
        if ARGS.emulator:
            self.skipTest("a pseudo-terminal is no Windows console")
        import fcntl
        import pty
        import struct
        import termios
        import unicodedata
        columns = 41  # a wide character that does not fit may leave one column empty
        controller, terminal = pty.openpty()
        fcntl.ioctl(terminal, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
        process = subprocess.Popen(self.command(["--bank", "mizuho", "--pref", "01,13", "-o",
                                                 "out.csv"]),
                                   cwd=self.work, env=self.env(), stderr=terminal)
        os.close(terminal)
        shown = b""
        while True:
            try:
                chunk = os.read(controller, 4096)
            except OSError:  # the tool has closed the terminal
                break
            if not chunk:
                break
            shown += chunk
        os.close(controller)
        self.assertEqual(process.wait(timeout=60), 0)
        text = shown.decode("utf-8")
        draws = [d.replace("\x1b[K", "") for line in text.split("\n") for d in line.split("\r")]
        draws = [d for d in draws if d.startswith("[")]
        self.assertGreaterEqual(len(draws), 14, "redrawn for every record")
        widths = [sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in d)
                  for d in draws]
        # The last column stays empty: some terminals wrap when it is written.
        self.assertLessEqual(max(widths), columns - 1, draws)
        self.assertGreaterEqual(min(widths), columns - 2, "as much as fits is shown")


class Documentation(CliCase):
    def test_help_and_version_tell_the_banks_files_examples_and_build(self):
        run = self.run_tool(["--help"])
        self.assertEqual(run.code, 0)
        help_text = run.stdout.decode("utf-8")
        for fact in ("Usage: tenrovel --bank BANK", "みずほ銀行店舗一覧.csv", "三井住友銀行店舗一覧.csv",
                     "三菱UFJ銀行店舗一覧.csv", "Examples:", "Exit codes:"):
            self.assertIn(fact, help_text)
        run = self.run_tool(["--version"])
        self.assertEqual(run.code, 0)
        version = run.stdout.decode("utf-8")
        self.assertRegex(version, r"^tenrovel \d+\.\d+\.\d+\nbuilt with (GCC|clang) \S.*, " +
                         ("WinINet" if ARGS.emulator else r"libcurl \d+\.\d+\S*") + "\n$")


def smbc_log_since(before):
    """The SMBC and postal requests received after the `before` ones (an
    earlier result of this function), in order."""
    entries = [line.split(" ")[1] for line in control("/control/log").split("\r\n")
               if line.startswith("GET ")]
    entries = [t for t in entries if t.startswith(SMBC_PATH) or t.startswith(POSTAL_PATH)]
    return entries[len(before):]


def smbc_search(keyword):
    return SMBC_PATH + "search_fw.htm?keyword=%s&condSum2=on&cond7=COL_29%%3A1" % keyword


def smbc_list(keyword, page):
    # Written out, not built by the program's rule: "%" of the keyword as
    # "%2525", the authority of TENROVEL_SMBC_URL as PARENT_HTTP_HOST.
    return (SMBC_PATH + "zdcemaphttp2.cgi?target=http%3A%2F%2F127.0.0.1%2Fsmt%2Fsmbcbank%2F"
            "search_fw_list.htm%3Fkeyword%3D" + keyword.replace("%", "%2525") + "%26pg%3D" +
            str(page) + "%26cond7%3DCOL_29%253A1%26count5%3D3%26count1%3D1%26count2%3D11"
            "%26target%3D5%26https_req%3D1%26PARENT_HTTP_HOST%3D127.0.0.1:" +
            simulator_url().rsplit(":", 1)[1] + "&zdccnt=1&enc=UTF8&encodeflg=1")


def smbc_detail(location):
    return SMBC_PATH + "inf/%s/" % location


def postal(town):
    return POSTAL_PATH + "?inputWords=" + "".join("%%%02X" % b for b in town.encode("utf-8"))


TOKYO = "%E6%9D%B1%E4%BA%AC%E9%83%BD"
OSAKA = "%E5%A4%A7%E9%98%AA%E5%BA%9C"


class SmbcJobs(CliCase):
    @staticmethod
    def expected_tokyo():
        with open(os.path.join(EXPECTED, "smbc_13.csv"), "rb") as f:
            port = simulator_url().rsplit(":", 1)[1]
            return f.read().replace(b"@PORT@", port.encode("ascii"))

    def test_tokyo_matches_the_expected_file_and_requests(self):
        before = smbc_log_since([])
        run = self.run_tool(["--bank", "smbc", "--pref", "13", "-o", "out.csv"])
        # The detail page of 0105 is missing: its row keeps only the URL, and
        # the failed download makes the job a partial one.
        self.assertEqual(run.code, 4, run.stderr)
        self.assertIn("not fetched: 東京都", run.stderr)
        self.assertEqual(run.file("out.csv"), self.expected_tokyo())
        self.assert_rows(run.file("out.csv"), 15)
        # Page 2 repeats 0105 (skipped) and brings 0106 and 0107; the hit
        # count, 7, is then reached. Addresses without 〒 are looked up (for
        # 0103 there is no number to cut the town at).
        self.assertEqual(smbc_log_since(before), [
            smbc_search(TOKYO), smbc_list(TOKYO, 1),
            smbc_detail("0101"), smbc_detail("0102"), postal("東京都千代田区丸の内"),
            smbc_detail("0103"), smbc_detail("0104"), postal("東京都港区六本木"),
            smbc_detail("0105"), smbc_list(TOKYO, 2),
            smbc_detail("0106"), smbc_detail("0107"), postal("東京都中央区銀座")])
        self.assertIn("三井住友銀行店舗 東京都 : 7/7件 取得中", run.stderr)
        # 0105 has no detail page: its row holds its URL alone.
        self.assertIn("download failed (東京都): " + simulator_url() + smbc_detail("0105"),
                      run.stderr)
        self.assert_no_temp_left()

    def test_a_page_2_that_repeats_page_1_ends_the_list(self):
        before = smbc_log_since([])
        run = self.run_tool(["--bank", "smbc", "--pref", "27", "-o", "out.csv"])
        self.assertEqual(run.code, 0, run.stderr)
        rows = self.assert_rows(run.file("out.csv"), 15)
        self.assertEqual([row[2] for row in rows[1:]], ["01", "02", "03"])
        self.assertEqual(smbc_log_since(before), [
            smbc_search(OSAKA), smbc_list(OSAKA, 1), smbc_detail("2701"), smbc_detail("2702"),
            smbc_detail("2703"), smbc_list(OSAKA, 2)])
        self.assertIn("大阪府: 3 rows of 8 hits", run.stderr)
        self.assert_no_temp_left()

    def test_default_output_name_and_nothing_found(self):
        before = smbc_log_since([])
        run = self.run_tool(["--bank", "smbc", "--pref", "青森県"])
        self.assertEqual(run.code, 1, run.stderr)
        self.assertEqual(os.listdir(self.work), ["三井住友銀行店舗一覧.csv"])
        self.assertEqual(run.file("三井住友銀行店舗一覧.csv"), SMBC_HEADER)
        self.assertEqual(smbc_log_since(before), [smbc_search("%E9%9D%92%E6%A3%AE%E7%9C%8C")])
        self.assert_no_temp_left()

    def test_unreachable_host_exits_3(self):
        url = "http://127.0.0.1:%d" % closed_port()
        run = self.run_tool(["--bank", "smbc", "--pref", "13,27", "-o", "out.csv"],
                            TENROVEL_SMBC_URL=url)
        self.assertEqual(run.code, 3, run.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.work, "out.csv")),
                         "an unreachable site leaves no file")
        self.assertIn("download failed (東京都)", run.stderr)
        self.assertIn("download failed (大阪府)", run.stderr)

    @unittest.skipIf(os.name != "posix", "needs POSIX signals")
    def test_interrupt_during_a_detail_page_keeps_the_rows_and_requests_nothing_more(self):
        if ARGS.emulator:
            self.skipTest("signals do not reach a program under Wine as Ctrl-C")
        control("/control/fault?path=" + urllib.request.quote(smbc_detail("0103")) +
                "&kind=stall&before_headers=1&seconds=30")
        before = smbc_log_since([])
        process = subprocess.Popen(
            self.command(["--bank", "smbc", "--pref", "13,27", "-o", "out.csv"]),
            cwd=self.work, env=self.env(), stderr=subprocess.DEVNULL)
        deadline = time.time() + 60
        while smbc_detail("0103") not in smbc_log_since(before) and time.time() < deadline:
            time.sleep(0.1)
        process.send_signal(signal.SIGINT)
        code = process.wait(timeout=30)
        self.assertEqual(code, 2)
        rows = self.assert_rows(Run(0, b"", "", self.work).file("out.csv"), 15)
        # The location under way is written with what was found: its URL.
        self.assertEqual([row[0] for row in rows[1:]], ["丸の内支店", '丸の内"Plaza",出張所', ""])
        self.assertTrue(rows[3][14].endswith(smbc_detail("0103")))
        requests = smbc_log_since(before)
        self.assertEqual(requests[-1], smbc_detail("0103"), "nothing requested after the stop")
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
        self.assertEqual(run.code, 4, run.stderr)  # Tokyo's rows are missing
        self.assertEqual(run.file("out.csv"), MUFG_HEADER + b"".join(kanagawa))
        self.assert_rows(run.file("out.csv"), 15)
        self.assertEqual(requested_targets(MUFG_PATH)[before:], [MUFG_PATH, MUFG_PATH])
        self.assertIn("download failed (東京都)", run.stderr)
        self.assert_no_temp_left()

    def test_without_a_configured_host_nothing_is_sent_and_the_job_exits_78(self):
        before = len(requested_targets(MUFG_PATH))
        run = self.run_tool(["--bank", "mufg", "--pref", "13,14", "-o", "out.csv"],
                            TENROVEL_MUFG_URL="")
        self.assertEqual(run.code, 78, run.stderr)
        self.assertIn("TENROVEL_MUFG_URL", run.stderr)
        self.assertEqual(os.listdir(self.work), [], "no file is made")
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

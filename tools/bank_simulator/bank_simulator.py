#!/usr/bin/env python3
"""A local HTTP server that stands in for the bank web services in tests.

It listens on 127.0.0.1 only, on a free port unless --port says otherwise,
writes that port to --port-file once it accepts connections, and logs every
request (method, target with query, header lines in order) to memory and, with
--log-file, as one JSON object per line.

Responses come from routes: a route maps a path prefix to a function that
turns a Request into a Response. The /test/ routes below make bodies from
their query; the bank endpoints are further routes of the same kind.

Any response can be delivered with a fault, chosen either by the query of a
/test/ request (fault=KIND plus its parameters) or armed beforehand for the
next request(s) to one path through /control/fault. That is how a test that
can only speak HTTP (a Windows test under Wine) gets a broken answer:

  refuse    the connection is reset before any answer
  status    answer `code` (default 500) with `body` instead of the response
  truncate  announce the full Content-Length, send `send` bytes (default
            half the body), close
  stall     send `after` body bytes (default 0; before_headers=1 stalls
            before the status line), wait `seconds`, send the rest
  slow      send the body in `pauses`+1 parts with `seconds` between them
  nul       every `every`-th body byte (default 10, from byte 0) becomes NUL

/test/ routes (anything after the route name is ignored, so a test can make
its paths unique):

  /test/bytes?n=N[&pattern=text|binary]   N bytes: text is "abc..z" repeated,
                                          binary is 0,1,..,255 repeated
  /test/status?code=C[&body=B]            status C with body B
  /test/redirect?to=URL[&code=302]        redirect to URL (may be relative)
  /test/headers                           the request's header lines as
                                          "Name: value" CR LF, in order
  any of them with chunk=K: Transfer-Encoding chunked, K-byte chunks

Bank endpoints, from files under fixtures/ (see each route's comment):

  /map/uc/PoiAttr                         Mizuho locations (JSONP)
  /b/mizuho/info/<id>/                    Mizuho branch-detail pages
  /smt/smbcbank/search_fw.htm             SMBC keyword search
  /smt/smbcbank/zdcemaphttp2.cgi          SMBC list through the proxy script
  /smt/smbcbank/inf/<id>/                 SMBC detail pages
  /PostanWs.aspx                          postal-code lookup
  /report/data.txt                        MUFG prepared data file (CP932)

Control (not logged):

  /control/fault?path=P&kind=K[&count=N][params]  arm a fault for the next N
                                          requests to path P (default 1; 0:
                                          until cleared); P may carry a query,
                                          and then only requests with those
                                          key=value pairs match
  /control/log[?prefix=P]                 the logged requests whose target
                                          starts with P, each as its request
                                          line, its header lines and an empty
                                          line
  /control/clear                          forget faults and the log

Run it in the foreground, or with --daemon to return once it listens (for a
CTest fixture); `--stop --pid-file F` ends the server that F names.
"""

import argparse
import json
import os
import signal
import socket
import struct
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, unquote, urlsplit

# Set when the server shuts down, so that stalls and pauses end at once.
STOPPING = threading.Event()


class ResetConnection(Exception):
    """Raised by a handler to drop its connection with a reset."""


class Request:
    def __init__(self, method, target, headers):
        self.method = method
        self.target = target
        parts = urlsplit(target)
        self.path = parts.path
        self.query = {k: v[-1] for k, v in parse_qs(parts.query, keep_blank_values=True).items()}
        self.headers = headers  # list of (name, value) in the order received


class Response:
    def __init__(self, status=200, body=b"", content_type="text/plain; charset=utf-8",
                 headers=None, chunk=0):
        self.status = status
        self.body = body
        self.content_type = content_type
        self.headers = list(headers or [])
        self.chunk = chunk  # > 0: Transfer-Encoding chunked with chunks of this size


class Fault:
    KINDS = ("refuse", "status", "truncate", "stall", "slow", "nul")

    def __init__(self, params):
        self.kind = params.get("kind") or params.get("fault")
        if self.kind not in self.KINDS:
            raise ValueError("unknown fault kind %r" % self.kind)
        self.code = int(params.get("code", 500))
        self.body = params.get("body", "").encode("utf-8")
        self.send = int(params["send"]) if "send" in params else None
        self.after = int(params.get("after", 0))
        self.seconds = float(params.get("seconds", 1))
        self.pauses = int(params.get("pauses", 2))
        self.every = max(1, int(params.get("every", 10)))
        self.before_headers = params.get("before_headers") == "1"


class Faults:
    """Faults armed per path, each for a number of requests."""

    def __init__(self):
        self._lock = threading.Lock()
        self._armed = {}  # path -> [fault, remaining or 0 for unlimited]

    def arm(self, path, fault, count):
        with self._lock:
            self._armed[path] = [fault, count]

    def take(self, request):
        """The fault armed for this request: one armed for its path, or one
        armed for its path with a query whose every key=value the request
        carries (so that one answer of several to the same path can fail)."""
        with self._lock:
            key = self._key_for(request)
            entry = self._armed.get(key) if key is not None else None
            if entry is None:
                return None
            fault, remaining = entry
            if remaining == 1:
                del self._armed[key]
            elif remaining > 1:
                entry[1] = remaining - 1
            return fault

    def _key_for(self, request):
        for key in self._armed:
            armed_path, _, armed_query = key.partition("?")
            if armed_path != request.path:
                continue
            wanted = {k: v[-1] for k, v in parse_qs(armed_query, keep_blank_values=True).items()}
            if all(request.query.get(k) == v for k, v in wanted.items()):
                return key
        return None

    def clear(self):
        with self._lock:
            self._armed.clear()


class RequestLog:
    def __init__(self, path):
        self._lock = threading.Lock()
        self._entries = []
        self._file = open(path, "a", encoding="utf-8") if path else None

    def add(self, request):
        entry = {"time": time.time(), "method": request.method, "target": request.target,
                 "headers": [[k, v] for k, v in request.headers]}
        with self._lock:
            self._entries.append(entry)
            if self._file:
                self._file.write(json.dumps(entry, ensure_ascii=False) + "\n")
                self._file.flush()

    def matching(self, prefix):
        with self._lock:
            return [e for e in self._entries if e["target"].startswith(prefix)]

    def clear(self):
        with self._lock:
            self._entries.clear()


# ---------------------------------------------------------------- routes

ROUTES = []  # (path prefix, function(Request) -> Response), first match wins


def route(prefix):
    def register(function):
        ROUTES.append((prefix, function))
        return function
    return register


def pattern_bytes(n, pattern):
    if pattern == "binary":
        return bytes(i % 256 for i in range(n))
    return bytes(ord("a") + i % 26 for i in range(n))


def chunk_param(request):
    return int(request.query.get("chunk", 0))


@route("/test/bytes")
def test_bytes(request):
    body = pattern_bytes(int(request.query.get("n", 0)), request.query.get("pattern", "text"))
    return Response(body=body, content_type="application/octet-stream",
                    chunk=chunk_param(request))


@route("/test/status")
def test_status(request):
    return Response(status=int(request.query.get("code", 500)),
                    body=request.query.get("body", "").encode("utf-8"),
                    chunk=chunk_param(request))


@route("/test/redirect")
def test_redirect(request):
    return Response(status=int(request.query.get("code", 302)),
                    headers=[("Location", request.query.get("to", "/"))],
                    body=b"moved")


@route("/test/headers")
def test_headers(request):
    text = "".join("%s: %s\r\n" % (k, v) for k, v in request.headers)
    return Response(body=text.encode("latin-1"), chunk=chunk_param(request))


# ---------------------------------------------------------------- bank endpoints

FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures")


def fixture(*parts):
    """The bytes of a fixture file, or None when there is none."""
    path = os.path.join(FIXTURES, *parts)
    if not os.path.isfile(path):
        return None
    with open(path, "rb") as f:
        return f.read()


@route("/map/uc/PoiAttr")
def mizuho_locations(request):
    """Mizuho's point-of-interest query: a JSONP answer, at most ten records
    from `start`, from fixtures/mizuho/<kencode>-<start>.json (the JSON
    object alone, on one line); a prefecture without a fixture has no hits."""
    code = request.query.get("kencode", "")
    start = request.query.get("start", "1")
    body = fixture("mizuho", "%s-%s.json" % (code, start))
    if body is None:
        body = ('{"status":"OK","count":{"hits":"0","start":"%s","pm":"10"},"items":[]}'
                % start).encode("utf-8")
    callback = request.query.get("callback", "callback").encode("ascii", "replace")
    return Response(body=callback + b"(" + body.strip() + b")",
                    content_type="text/javascript; charset=UTF-8")


def fixture_response(body, content_type):
    if body is None:
        return Response(status=404, body=b"no such fixture")
    return Response(body=body, content_type=content_type)


def safe_name(text):
    """A request value made safe as a fixture file name."""
    return "".join(c if c.isalnum() or c in "-_." else "_" for c in text) or "_"


HTML = "text/html; charset=UTF-8"


@route("/b/mizuho/info")
def mizuho_detail(request):
    """Mizuho branch-detail pages (the program only writes their URLs):
    fixtures/mizuho/detail/<id>.html."""
    location = request.path[len("/b/mizuho/info/"):].strip("/")
    return fixture_response(fixture("mizuho", "detail", safe_name(location) + ".html"), HTML)


@route("/smt/smbcbank/search_fw.htm")
def smbc_search(request):
    """SMBC keyword search page: fixtures/smbc/search/<keyword as sent>.html;
    a prefecture without a fixture gets a page without a hit count."""
    body = fixture("smbc", "search", safe_name(request.query.get("keyword", "")) + ".html")
    if body is None:
        body = b'<ul class="resultTabs"></ul>\r\n'
    return Response(body=body, content_type=HTML)


@route("/smt/smbcbank/zdcemaphttp2.cgi")
def smbc_list(request):
    """SMBC list through the locator's proxy script; the list page is named
    by the keyword and page number inside the encoded target (the keyword is
    encoded twice more there): fixtures/smbc/list/<keyword>-<page>.html. A
    page without a fixture lists nothing, as a page past the last one does."""
    target = unquote(request.query.get("target", ""))
    inner = {k: v[-1] for k, v in parse_qs(urlsplit(target).query).items()}
    name = "%s-%s.html" % (safe_name(inner.get("keyword", "")), safe_name(inner.get("pg", "1")))
    body = fixture("smbc", "list", name)
    if body is None:
        body = b'<ul class="shopList"></ul>\r\n'
    return Response(body=body, content_type=HTML)


@route("/smt/smbcbank/inf")
def smbc_detail(request):
    """SMBC detail pages: fixtures/smbc/detail/<id>.html; 404 without one."""
    location = request.path[len("/smt/smbcbank/inf/"):].strip("/")
    return fixture_response(fixture("smbc", "detail", safe_name(location) + ".html"), HTML)


@route("/PostanWs.aspx")
def postal_lookup(request):
    """Postal-code lookup: fixtures/postal/<inputWords as sent>.xml; a town
    without a fixture gets an answer without a ZipCode element."""
    body = fixture("postal", safe_name(request.query.get("inputWords", "")) + ".xml")
    if body is None:
        body = b'<?xml version="1.0" encoding="utf-8"?><Result></Result>'
    return Response(body=body, content_type="text/xml; charset=utf-8")


@route("/report/data.txt")
def mufg_data_file(request):
    """MUFG's prepared data file, every location on one line, as stored:
    fixtures/mufg/data.txt (CP932, CR LF)."""
    return fixture_response(fixture("mufg", "data.txt"), "text/plain; charset=Shift_JIS")


# ---------------------------------------------------------------- server

class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "BankSimulator/1"
    timeout = 120  # an idle keep-alive connection is dropped after this

    def log_message(self, format, *args):  # requests go to our own log instead
        pass

    def handle(self):
        try:
            super().handle()
        except ResetConnection:
            # Linger 0 makes the close a reset. Closed here, before the server's
            # orderly shutdown would send an end-of-stream that clients may
            # read as an empty answer; the reset goes out when finish() drops
            # the last reference to the socket.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()

    def do_GET(self):
        request = Request(self.command, self.path, list(self.headers.items()))
        if request.path.startswith("/control/"):
            self.deliver(self.control(request), None)
            return
        self.server.request_log.add(request)
        try:
            fault = self.server.faults.take(request)
            if fault is None and request.path.startswith("/test/") and "fault" in request.query:
                fault = Fault(request.query)
            response = self.respond(request)
        except (ValueError, KeyError) as error:
            response, fault = Response(status=400, body=str(error).encode("utf-8")), None
        self.deliver(response, fault)

    def respond(self, request):
        for prefix, function in ROUTES:
            if request.path == prefix or request.path.startswith(prefix + "/"):
                return function(request)
        return Response(status=404, body=b"no such resource")

    def control(self, request):
        server = self.server
        name = request.path[len("/control/"):]
        try:
            if name == "fault":
                server.faults.arm(request.query["path"], Fault(request.query),
                                  int(request.query.get("count", 1)))
                return Response(body=b"armed\n")
            if name == "log":
                lines = []
                for entry in server.request_log.matching(request.query.get("prefix", "")):
                    lines.append("%s %s HTTP/1.1\r\n" % (entry["method"], entry["target"]))
                    lines.extend("%s: %s\r\n" % (k, v) for k, v in entry["headers"])
                    lines.append("\r\n")
                return Response(body="".join(lines).encode("latin-1", "replace"))
            if name == "clear":
                server.faults.clear()
                server.request_log.clear()
                return Response(body=b"cleared\n")
        except (ValueError, KeyError) as error:
            return Response(status=400, body=str(error).encode("utf-8"))
        return Response(status=404, body=b"no such control\n")

    # Delivery, possibly broken on purpose.

    def deliver(self, response, fault):
        kind = fault.kind if fault else None
        if kind == "refuse":
            raise ResetConnection()
        if kind == "status":
            response = Response(status=fault.code, body=fault.body, chunk=response.chunk)
        body = response.body
        if kind == "nul":
            body = bytes(0 if i % fault.every == 0 else b for i, b in enumerate(body))

        if kind == "stall" and fault.before_headers:
            STOPPING.wait(fault.seconds)
        self.send_response(response.status)
        self.send_header("Content-Type", response.content_type)
        for name, value in response.headers:
            self.send_header(name, value)
        if response.chunk > 0:
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()

        # The body as (bytes, pause after them) steps.
        steps = [(body, 0)]
        complete = True
        if kind == "truncate":
            steps = [(body[:fault.send if fault.send is not None else len(body) // 2], 0)]
            complete = False
        elif kind == "stall" and not fault.before_headers:
            steps = [(body[:fault.after], fault.seconds), (body[fault.after:], 0)]
        elif kind == "slow":
            parts = fault.pauses + 1
            size = -(-len(body) // parts) if body else 0
            steps = [(body[i * size:(i + 1) * size], fault.seconds if i < fault.pauses else 0)
                     for i in range(parts)]
        try:
            for data, pause in steps:
                self.write_body(data, response.chunk)
                if pause:
                    STOPPING.wait(pause)
            if response.chunk > 0 and complete:
                self.wfile.write(b"0\r\n\r\n")
        except (BrokenPipeError, ConnectionResetError):
            pass
        if not complete:
            self.close_connection = True

    def write_body(self, data, chunk):
        if chunk <= 0:
            self.wfile.write(data)
            return
        for start in range(0, len(data), chunk):
            piece = data[start:start + chunk]
            self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64  # test processes connect side by side

    def __init__(self, port, log_file):
        super().__init__(("127.0.0.1", port), Handler)
        self.faults = Faults()
        self.request_log = RequestLog(log_file)

    def handle_error(self, request, client_address):
        # A client that gives up mid-answer is part of the tests.
        if not isinstance(sys.exc_info()[1], (ConnectionError, TimeoutError)):
            super().handle_error(request, client_address)


def write_atomically(path, text):
    temporary = "%s.%d.tmp" % (path, os.getpid())
    with open(temporary, "w", encoding="ascii") as f:
        f.write(text)
    os.replace(temporary, path)


def remove_quietly(path):
    if path:
        try:
            os.remove(path)
        except FileNotFoundError:
            pass


def serve(args, on_listening=None):
    server = Server(args.port, args.log_file)
    port = server.server_address[1]

    def end(signum, frame):
        raise SystemExit(0)
    signal.signal(signal.SIGTERM, end)
    signal.signal(signal.SIGINT, end)
    if args.pid_file:
        write_atomically(args.pid_file, "%d\n" % os.getpid())
    if args.port_file:
        write_atomically(args.port_file, "%d\n" % port)
    if on_listening:
        on_listening()
    else:
        print("bank simulator listening on http://127.0.0.1:%d/" % port, flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        STOPPING.set()
        server.server_close()
        remove_quietly(args.port_file)
        remove_quietly(args.pid_file)


def read_pid(pid_file):
    try:
        with open(pid_file, encoding="ascii") as f:
            return int(f.read().strip())
    except (FileNotFoundError, ValueError):
        return None


def is_simulator(pid):
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            return b"bank_simulator" in f.read()
    except OSError:
        return False


def stop(pid_file, port_file):
    """Ends the server named by pid_file, if it is still one of ours."""
    pid = read_pid(pid_file)
    if pid is not None and is_simulator(pid):
        os.kill(pid, signal.SIGTERM)
        deadline = time.monotonic() + 10
        while is_simulator(pid) and time.monotonic() < deadline:
            time.sleep(0.05)
        if is_simulator(pid):
            print("bank simulator %d did not stop" % pid, file=sys.stderr)
            return 1
    remove_quietly(pid_file)
    remove_quietly(port_file)
    return 0


def daemonize(args):
    """Forks a server that outlives us; returns once it listens."""
    ready_read, ready_write = os.pipe()
    pid = os.fork()
    if pid > 0:
        os.close(ready_write)
        with os.fdopen(ready_read, "rb") as ready:
            started = ready.read(1) == b"1"
        if not started:
            print("bank simulator failed to start", file=sys.stderr)
            return 1
        with open(args.port_file, encoding="ascii") as f:
            print("bank simulator %d listening on http://127.0.0.1:%s/" % (pid, f.read().strip()))
        return 0
    os.close(ready_read)
    os.setsid()
    # Our caller (CTest) waits for its child's output to end: keep none of it.
    null = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(null, fd)

    def listening():
        os.write(ready_write, b"1")
        os.close(ready_write)
    try:
        serve(args, listening)
    finally:
        os._exit(0)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--port", type=int, default=0, help="port to listen on (default: a free one)")
    parser.add_argument("--port-file", help="write the port here once listening")
    parser.add_argument("--pid-file", help="write the process id here once listening")
    parser.add_argument("--log-file", help="append one JSON line per request here")
    parser.add_argument("--daemon", action="store_true",
                        help="run in the background; return once listening")
    parser.add_argument("--stop", action="store_true",
                        help="stop the server named by --pid-file and exit")
    args = parser.parse_args()

    if args.stop:
        if not args.pid_file:
            parser.error("--stop needs --pid-file")
        return stop(args.pid_file, args.port_file)
    if args.daemon:
        if not args.port_file or not args.pid_file:
            parser.error("--daemon needs --port-file and --pid-file")
        # A server left over from an interrupted run would hold stale files.
        stop(args.pid_file, None)
        remove_quietly(args.port_file)
        return daemonize(args)
    serve(args)
    return 0


if __name__ == "__main__":
    sys.exit(main())

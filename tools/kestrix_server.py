#!/usr/bin/env python3
"""A stand-in for the Kestrix tracker site and the maker's update server, on
loopback only.

  kestrix_server.py --demo [--port 8470]            the bundled demo catalogue
  kestrix_server.py --fixture DIR [--port 18470]    a test scenario's files
  ... [--log FILE]                                  one line per request: "GET /path"

In fixture mode a URL path names a file under DIR ("/a/b.dat" -> DIR/a/b.dat,
"/a/" -> DIR/a/index.html); anything missing is a 404. DIR/routes.json, read
again on every request, may give a path a special behaviour:

  {"/showlist/": {"status": 500, "body": "oops"},
   "/Epiloom/lastversion.dat": {"silent": true},          never answers
   "/big.dat": {"stall": true, "body": "first part"},     headers, part of the body, then nothing
   "/slow/": {"delay_ms": 800}}                           waits, then answers as usual

A route may also carry "body_hex", "file" (a file under DIR), "content_type",
"length" (the Content-Length a stalled answer announces), "unannounced" (no
Content-Length header at all) and "hold_s" (how
long a silent or stalled connection is held, at most 20 s). "pad_to" fills
the body up with blanks to that many bytes; "cut" announces the length a
stalled answer would, sends the body and closes the connection at once:

   "/cut.dat": {"cut": true, "body": "first part"}       announced length never reached

   "/shows/7/x/": {"hold": true, "hold_s": 5}              answers late, but keeps the client reading

A held answer sends its status line and headers at once (no Content-Length,
the connection closes after the body), then a line feed every 0.25 s, so a
client with a receive time-out keeps waiting; then the body (status as
usual). It ends after "hold_s" seconds (at most 120), or, when the server
runs in-process, when the test releases it (FixtureSite.hold / release).

Tests may run the server inside their own process: see KestrixServer.
"""

import argparse
import http.server
import json
import os
import signal
import sys
import threading
import time
import urllib.parse

MAX_HOLD_S = 20.0
MAX_HELD_ANSWER_S = 120.0
HELD_ANSWER_TICK_S = 0.25


class FixtureSite:
    """Files of a folder, plus the special routes of its routes.json and any
    routes given in-process."""

    def __init__(self, root, routes=None):
        self.root = os.path.realpath(root)
        self.routes = dict(routes or {})
        self.releases = {}  # path of a held route -> the event that lets its answers go

    def hold(self, path, seconds=None):
        """Holds the answers to `path` (held answer, see the module's notes)
        until release(path), or for `seconds`."""
        self.releases[path] = threading.Event()
        route = {"hold": True, "hold_s": MAX_HELD_ANSWER_S if seconds is None else seconds}
        self.routes[path] = {**self.routes.get(path, {}), **route}

    def release(self, path=None):
        """Lets the held answers to `path` (every path when None) go, now and
        from now on."""
        for held, event in self.releases.items():
            if path is None or held == path:
                event.set()

    def release_event(self, path):
        return self.releases.get(path, self.releases.get(path.split("?", 1)[0]))

    def route(self, path):
        routes = {}
        routes_file = os.path.join(self.root, "routes.json")
        if os.path.isfile(routes_file):
            with open(routes_file, encoding="utf-8") as f:
                routes.update(json.load(f))
        routes.update(self.routes)
        bare = path.split("?", 1)[0]
        return routes.get(path, routes.get(bare))

    def file(self, path):
        rel = urllib.parse.unquote(path.split("?", 1)[0]).lstrip("/")
        if rel == "" or rel.endswith("/"):
            rel += "index.html"
        full = os.path.realpath(os.path.join(self.root, rel))
        if not full.startswith(self.root + os.sep) or not os.path.isfile(full):
            return None
        with open(full, "rb") as f:
            return f.read()


class DemoSite:
    def __init__(self):
        sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
        import demo_catalogue

        self.pages = demo_catalogue.build_site()

    def route(self, path):
        return None

    def file(self, path):
        page = self.pages.get(path.split("?", 1)[0])
        return page[0] if page else None

    def content_type(self, path):
        page = self.pages.get(path.split("?", 1)[0])
        return page[1] if page else "text/html"


def guess_type(path):
    if path.endswith("/") or path.endswith(".html"):
        return "text/html"
    return "application/octet-stream"


class Handler(http.server.BaseHTTPRequestHandler):
    server_version = "Kestrix/1.0"
    sys_version = ""

    def log_message(self, format, *args):  # quiet: requests go to the request log
        pass

    def do_HEAD(self):
        self.answer(head=True)

    def do_GET(self):
        self.answer(head=False)

    def answer(self, head):
        server = self.server
        server.record(self.command, self.path)
        site = server.site
        route = site.route(self.path) or {}
        hold = min(float(route.get("hold_s", MAX_HOLD_S)), MAX_HOLD_S)
        if route.get("delay_ms") and server.stopping.wait(float(route["delay_ms"]) / 1000.0):
            return
        if route.get("silent"):
            server.stopping.wait(hold)
            self.close_connection = True
            return
        if route.get("hold"):
            self.answer_held(route, site, head)
            return
        body = self.body(route, site)
        status = int(route.get("status", 200 if body is not None else 404))
        if body is None:
            body = b"<html><body><h1>404 Not Found</h1></body></html>\n"
        if "content_type" in route:
            ctype = route["content_type"]
        elif hasattr(site, "content_type"):
            ctype = site.content_type(self.path)
        else:
            ctype = guess_type(self.path.split("?", 1)[0])
        cut_short = route.get("stall") or route.get("cut")
        length = int(route.get("length", len(body) * 2 + 1024)) if cut_short else len(body)
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        if not route.get("unannounced"):
            self.send_header("Content-Length", str(length))
        self.send_header("Cache-Control", "no-cache")
        self.end_headers()
        if head:
            return
        try:
            self.wfile.write(body)
            self.wfile.flush()
        except OSError:
            return
        if route.get("stall"):
            server.stopping.wait(hold)
        if cut_short:
            self.close_connection = True

    def answer_held(self, route, site, head):
        body = self.body(route, site)
        status = int(route.get("status", 200 if body is not None else 404))
        if body is None:
            body = b"<html><body><h1>404 Not Found</h1></body></html>\n"
        self.close_connection = True
        self.send_response(status)
        self.send_header("Content-Type", route.get("content_type", guess_type(self.path.split("?", 1)[0])))
        self.send_header("Cache-Control", "no-cache")
        self.send_header("Connection", "close")
        self.end_headers()
        if head:
            return
        release = getattr(self.server.site, "release_event", lambda path: None)(self.path)
        held_s = min(float(route.get("hold_s", MAX_HELD_ANSWER_S)), MAX_HELD_ANSWER_S)
        until = time.monotonic() + held_s
        try:
            self.wfile.flush()
            while time.monotonic() < until and not self.server.stopping.is_set():
                if release is not None and release.wait(min(HELD_ANSWER_TICK_S, max(0.0, until - time.monotonic()))):
                    break
                if release is None:
                    self.server.stopping.wait(min(HELD_ANSWER_TICK_S, max(0.0, until - time.monotonic())))
                self.wfile.write(b"\n")
                self.wfile.flush()
            if not self.server.stopping.is_set():
                self.wfile.write(body)
                self.wfile.flush()
        except OSError:
            pass  # the client gave up

    def body(self, route, site):
        body = self.unpadded_body(route, site)
        if body is not None and "pad_to" in route:
            body += b" " * max(0, int(route["pad_to"]) - len(body))
        return body

    def unpadded_body(self, route, site):
        if "body" in route:
            return route["body"].encode("latin-1")
        if "body_hex" in route:
            return bytes.fromhex(route["body_hex"])
        if "file" in route:
            return site.file("/" + route["file"])
        return site.file(self.path)


class KestrixServer(http.server.ThreadingHTTPServer):
    """The server; `start()` runs it on a thread of the calling process,
    `stop()` ends it and every connection it holds."""

    daemon_threads = True
    block_on_close = False
    allow_reuse_address = True

    def __init__(self, port, site, log_path=None):
        super().__init__(("127.0.0.1", port), Handler)
        self.site = site
        self.log_path = log_path
        self.stopping = threading.Event()
        self.requests = []
        self.lock = threading.Lock()
        self.thread = None

    def record(self, method, path):
        with self.lock:
            self.requests.append(method + " " + path)
            if self.log_path:
                with open(self.log_path, "a", encoding="latin-1") as f:
                    f.write(method + " " + path + "\n")

    def paths(self):
        with self.lock:
            return [r.split(" ", 1)[1] for r in self.requests]

    def start(self):
        self.thread = threading.Thread(target=self.serve_forever, kwargs={"poll_interval": 0.05}, daemon=True)
        self.thread.start()
        return self

    def stop_listening(self):
        """Closes the port: new connections are refused from now on, while
        the answers already under way go on (held ones until released)."""
        self.shutdown()
        self.server_close()

    def stop(self):
        self.stopping.set()
        self.shutdown()
        self.server_close()
        if self.thread:
            self.thread.join(timeout=5)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Kestrix stand-in on 127.0.0.1")
    mode = parser.add_mutually_exclusive_group(required=True)
    mode.add_argument("--demo", action="store_true", help="serve the bundled demo catalogue")
    mode.add_argument("--fixture", metavar="DIR", help="serve a test scenario's files from DIR")
    parser.add_argument("--port", type=int, default=None, help="port (8470 for the demo, 18470 for fixtures)")
    parser.add_argument("--log", metavar="FILE", help="append one line per request to FILE")
    args = parser.parse_args(argv)
    port = args.port if args.port is not None else (8470 if args.demo else 18470)
    holder = {}

    def end(signum, frame):
        server = holder.get("server")
        if server is None:
            sys.exit(0)
        server.stopping.set()
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, end)
    signal.signal(signal.SIGINT, end)
    site = DemoSite() if args.demo else FixtureSite(args.fixture)
    try:
        server = KestrixServer(port, site, args.log)
    except OSError as e:
        print("kestrix_server: cannot listen on 127.0.0.1:%d: %s" % (port, e.strerror), file=sys.stderr)
        return 1
    holder["server"] = server
    server.serve_forever(poll_interval=0.1)
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""A loopback HTTP server for tests with real cookie peers (curl, wget, browsers).

It listens on 127.0.0.1 only, on a free port it prints as its first line, answers at most
--max-requests requests and stops by itself after --timeout seconds either way.

  /set      sets the test cookies: lasting and session ones, with and without HttpOnly, Secure
            and (for a host under .localhost) Domain
  /echo     answers with the Cookie header it received, as text
  /close    a page that closes its window (for headless browsers)
  /stop     ends the server after answering
  /linger   a page that closes its window after ?seconds=N (at most 30)
  /hop      redirects to ?to=<URL>, a URL of this server under another .localhost name
Any page given ?close=1 closes its window once loaded (after setting its cookies).
Every request is logged as one line "<path>\t<host>\t<cookie header>" to --log when given.
"""
import argparse
import email.utils
import http.server
import sys
import threading
import time
import urllib.parse

CLOSE_PAGE = b"<html><body><script>window.close()</script></body></html>"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--max-requests", type=int, default=50)
    parser.add_argument("--timeout", type=float, default=60.0)
    parser.add_argument("--log")
    args = parser.parse_args()

    state = {"served": 0}
    expires = email.utils.formatdate(time.time() + 7 * 86400, usegmt=True)

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"

        def log_message(self, *unused):
            pass

        def do_GET(self):
            state["served"] += 1
            host = self.headers.get("Host", "").split(":")[0]
            cookie = self.headers.get("Cookie", "")
            path, _, query = self.path.partition("?")
            params = urllib.parse.parse_qs(query)
            closing = params.get("close") == ["1"]
            if args.log:
                with open(args.log, "a", encoding="utf-8") as log:
                    log.write(f"{path}\t{host}\t{cookie}\n")
            if path == "/set":
                cookies = [
                    f"lasting=one; Expires={expires}; Path=/",
                    "session=two; Path=/",
                    f"httponly=three; Expires={expires}; Path=/; HttpOnly",
                    f"secure=four; Expires={expires}; Path=/; Secure",
                    f"deep=five; Expires={expires}; Path=/deep",
                ]
                if host.endswith(".localhost"):
                    parent = host.split(".", 1)[1]
                    cookies.append(f"domain=six; Expires={expires}; Path=/; Domain={parent}")
                if closing:
                    self.answer(CLOSE_PAGE, cookies, content_type="text/html")
                else:
                    self.answer(b"set\n", cookies)
            elif path == "/echo":
                self.answer(cookie.encode("utf-8") + b"\n")
            elif path == "/close":
                self.answer(CLOSE_PAGE, content_type="text/html")
            elif path == "/stop":
                self.answer(b"stopping\n")
                state["served"] = args.max_requests
            elif path == "/linger":
                seconds = min(30, max(0, int(params.get("seconds", ["5"])[0] or 0)))
                page = ("<html><body><script>setTimeout(() => window.close(), %d)</script>"
                        "</body></html>" % (seconds * 1000))
                self.answer(page.encode("ascii"), content_type="text/html")
            elif path == "/hop" and self.is_ours(params.get("to", [""])[0]):
                self.send_response(302)
                self.send_header("Location", params["to"][0])
                self.send_header("Content-Length", "0")
                self.end_headers()
            else:
                self.send_error(404)
            if state["served"] >= args.max_requests:
                threading.Thread(target=server.shutdown, daemon=True).start()

        def is_ours(self, url):
            # Only back to this server, under a loopback name: never an open redirect.
            target = urllib.parse.urlsplit(url)
            host = target.hostname or ""
            return (target.scheme == "http" and target.port == server.server_address[1] and
                    (host.endswith(".localhost") or host in ("localhost", "127.0.0.1")))

        def answer(self, body, cookies=(), content_type="text/plain"):
            self.send_response(200)
            for cookie in cookies:
                self.send_header("Set-Cookie", cookie)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    print(server.server_address[1], flush=True)
    timer = threading.Timer(args.timeout, server.shutdown)
    timer.daemon = True
    timer.start()
    server.serve_forever()
    return 0


if __name__ == "__main__":
    sys.exit(main())

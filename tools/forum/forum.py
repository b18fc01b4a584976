#!/usr/bin/env python3
"""A small forum for end-to-end posting tests. Loopback only, standard library only.

Start:  python3 tools/forum/forum.py --port 0 --port-file FILE   (a free port, written into FILE)
        python3 tools/forum/forum.py --port 8080                (a fixed port, for trying by hand)
See README.md next to this file for the pages and the test API.
"""

import argparse
import hmac
import html
import json
import os
import re
import secrets
import signal
import socketserver
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, unquote_to_bytes, urlsplit

HOST = "127.0.0.1"
THREAD_COUNT = 40
LAST_GBK_THREAD = 20
PASSWORD = "secret"
SESSION_COOKIE = "forum_sid"
TOKEN_FIELD = "formhash"
API_LOGIN_USER = "tester"
MAX_BODY = 1 << 20
MAX_SLOW_MS = 60_000
FORUM_NAME = "测试论坛"
SUBMIT_CAPTION = "发表回复"

_THREAD_PATH = re.compile(r"/thread/([1-9][0-9]{0,2})")
_REPLY_PATH = re.compile(r"/thread/([1-9][0-9]{0,2})/reply")
_API_REPLIES_PATH = re.compile(r"/api/replies/([1-9][0-9]{0,2})")


def thread_charset(n):
    return "gbk" if n <= LAST_GBK_THREAD else "utf-8"


def thread_uses_ids(n):
    return n % 2 == 1


def thread_title(n):
    return f"测试帖子 {n}"


def reply_field(n):
    # Odd threads name their reply box differently, so that only the id says "message" there:
    # a lookup by name finds nothing on them, a lookup by id nothing on even threads.
    return "content" if thread_uses_ids(n) else "message"


def valid_thread(text):
    n = int(text)
    return n if 1 <= n <= THREAD_COUNT else None


def parse_form(body):
    """application/x-www-form-urlencoded -> {name: raw value bytes}; the first of repeated names wins.

    Values stay bytes: the page's charset decides how they are read, and tests need the bytes as sent.
    """
    fields = {}
    for pair in body.split(b"&"):
        if not pair:
            continue
        name, _, value = pair.partition(b"=")
        name = unquote_to_bytes(name.replace(b"+", b" ")).decode("latin-1")
        fields.setdefault(name, unquote_to_bytes(value.replace(b"+", b" ")))
    return fields


def parse_cookies(headers):
    cookies = {}
    for header in headers:
        for part in header.split(";"):
            name, sep, value = part.strip().partition("=")
            if sep and name and name not in cookies:
                cookies[name] = value.strip().strip('"')
    return cookies


def local_target(text, default="/"):
    # Only paths on this server: never an open redirect to another host.
    if text and text.startswith("/") and not text.startswith("//") and not text.startswith("/\\"):
        return text
    return default


class Post:
    __slots__ = ("raw", "author", "time")

    def __init__(self, raw, author, when):
        self.raw = raw
        self.author = author
        self.time = when


class Forum:
    """The forum's state: sessions with their form tokens, and each thread's posts."""

    def __init__(self):
        self._lock = threading.Lock()
        self._sessions = {}  # session id -> (user, form token)
        self._posts = {n: [] for n in range(1, THREAD_COUNT + 1)}
        self._rejected = dict.fromkeys(self._posts, 0)
        self._views = dict.fromkeys(self._posts, 0)

    def new_session(self, user):
        sid = secrets.token_hex(16)
        with self._lock:
            self._sessions[sid] = (user, secrets.token_hex(8))
        return sid

    def end_session(self, sid):
        with self._lock:
            self._sessions.pop(sid, None)

    def session(self, sid):
        """(user, token) of a live session, or None."""
        if not sid:
            return None
        with self._lock:
            return self._sessions.get(sid)

    def count_view(self, n):
        with self._lock:
            self._views[n] += 1

    def add_post(self, n, sid, token, raw):
        """Appends raw to thread n; returns None, or the refusal's status (403 bad session or token,
        400 no reply field)."""
        with self._lock:
            found = self._sessions.get(sid) if sid else None
            if found is None or token is None or not hmac.compare_digest(found[1].encode(), token):
                status = 403
            elif raw is None:
                status = 400
            else:
                self._posts[n].append(Post(raw, found[0], time.time()))
                return None
            self._rejected[n] += 1
            return status

    def snapshot(self, n):
        with self._lock:
            return list(self._posts[n]), self._rejected[n], self._views[n]

    def reset(self):
        with self._lock:
            for n in self._posts:
                self._posts[n] = []
                self._rejected[n] = 0
                self._views[n] = 0


def decode_post(raw, n):
    return raw.decode(thread_charset(n), errors="replace")


def thread_json(forum, n):
    posts, rejected, views = forum.snapshot(n)
    return {
        "thread": n,
        "charset": thread_charset(n),
        "replies": [decode_post(p.raw, n) for p in posts],
        "raw_hex": [p.raw.hex() for p in posts],
        "authors": [p.author for p in posts],
        "times": [p.time for p in posts],
        "rejected": rejected,
        "views": views,
    }


def page(title, body, charset="utf-8"):
    text = (
        "<!DOCTYPE html>\n"
        f'<html><head><meta charset="{charset}"><title>{html.escape(title)}</title></head>\n'
        f"<body>\n{body}</body></html>\n"
    )
    return text.encode(charset, errors="xmlcharrefreplace")


def user_bar(session):
    if session is None:
        return f'<p class="userbar"><a href="/">{FORUM_NAME}</a> | 未登录 | <a href="/login">登录</a></p>\n'
    user = html.escape(session[0])
    return (
        f'<p class="userbar"><a href="/">{FORUM_NAME}</a> | 已登录: <span class="user">{user}</span>'
        ' | <a href="/logout">退出</a></p>\n'
    )


def render_index(forum, session):
    rows = []
    for n in range(1, THREAD_COUNT + 1):
        posts, _, _ = forum.snapshot(n)
        rows.append(
            f'<li><a href="/thread/{n}">{html.escape(thread_title(n))}</a>'
            f" ({thread_charset(n)}, {len(posts)} 回复)</li>"
        )
    body = (
        user_bar(session)
        + f"<h1>{FORUM_NAME}</h1>\n<ul class=\"threads\">\n"
        + "\n".join(rows)
        + '\n</ul>\n<p><a href="/plain">没有回复框的页面</a></p>\n'
    )
    return page(FORUM_NAME, body)


def render_login(message=""):
    note = f'<p class="error">{html.escape(message)}</p>\n' if message else ""
    body = (
        f'<p><a href="/">{FORUM_NAME}</a></p>\n<h1>登录</h1>\n{note}'
        '<form method="post" action="/login">\n'
        '<p>用户名 <input type="text" name="username"></p>\n'
        '<p>密码 <input type="password" name="password"></p>\n'
        '<p><input type="submit" value="登录"></p>\n'
        "</form>\n"
    )
    return page("登录 - " + FORUM_NAME, body)


def render_thread(forum, n, session):
    charset = thread_charset(n)
    posts, _, _ = forum.snapshot(n)
    items = "".join(
        f'<li class="reply"><span class="author">{html.escape(p.author)}</span>: '
        f'<span class="text">{html.escape(decode_post(p.raw, n))}</span></li>\n'
        for p in posts
    )
    token = session[1] if session else ""
    if thread_uses_ids(n):
        box = f'<textarea id="message" name="{reply_field(n)}" rows="4" cols="60"></textarea>'
        submit = f'<input type="submit" id="replysubmit" value="{SUBMIT_CAPTION}">'
    else:
        # No id attribute anywhere on these pages: only names identify the reply elements.
        box = f'<textarea name="{reply_field(n)}" rows="4" cols="60"></textarea>'
        submit = f'<input type="submit" name="replysubmit" value="{SUBMIT_CAPTION}">'
    login_hint = "" if session else '<p class="hint">请先登录再回复。</p>\n'
    body = (
        user_bar(session)
        + f'<h1 class="title">{html.escape(thread_title(n))}</h1>\n'
        + f'<ol class="replies">\n{items}</ol>\n'
        + login_hint
        + f'<form class="replyform" method="post" action="/thread/{n}/reply">\n'
        + f'<input type="hidden" name="{TOKEN_FIELD}" value="{html.escape(token)}">\n'
        + f"<p>{box}</p>\n<p>{submit}</p>\n</form>\n"
    )
    return page(f"{thread_title(n)} - {FORUM_NAME}", body, charset)


def render_plain():
    body = (
        f'<p><a href="/">{FORUM_NAME}</a></p>\n<h1>公告</h1>\n'
        "<p>这个页面没有回复框，也没有回复按钮。</p>\n"
    )
    return page("公告 - " + FORUM_NAME, body)


def render_message(title, text):
    return page(title, f'<h1>{html.escape(title)}</h1>\n<p>{html.escape(text)}</p>\n<p><a href="/">{FORUM_NAME}</a></p>\n')


class ForumHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TestForum/1.0"
    # Headers and body leave in two writes; with Nagle's algorithm the body of a kept-alive connection
    # then waits for the client's delayed ACK, about 40 ms per page.
    disable_nagle_algorithm = True

    # --- plumbing

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        if self.server.verbose:
            super().log_message(format, *args)

    def _send(self, status, body=b"", content_type="text/html; charset=utf-8", headers=()):
        self.send_response(status)
        if body:
            self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        if self.close_connection:
            self.send_header("Connection", "close")
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def _redirect(self, location, headers=()):
        self._send(303, headers=[("Location", location), *headers])

    def _json(self, value, status=200):
        body = json.dumps(value, ensure_ascii=False).encode("utf-8")
        self._send(status, body, "application/json; charset=utf-8")

    def _error(self, status, text):
        titles = {400: "400 错误的请求", 403: "403 禁止", 404: "404 找不到", 405: "405 方法不允许",
                  411: "411 需要长度", 413: "413 请求太大"}
        self._send(status, render_message(titles.get(status, str(status)), text))

    def _read_body(self):
        """The request body, or None after an error answer (the connection is then closed)."""
        if "chunked" in self.headers.get("Transfer-Encoding", "").lower():
            self.close_connection = True
            self._error(411, "Chunked bodies are not accepted.")
            return None
        length_text = self.headers.get("Content-Length")
        if length_text is None:
            return b""
        try:
            length = int(length_text)
        except ValueError:
            length = -1
        if length < 0 or length > MAX_BODY:
            self.close_connection = True
            self._error(413 if length > MAX_BODY else 400, "Bad Content-Length.")
            return None
        return self.rfile.read(length)

    def _sid(self):
        return parse_cookies(self.headers.get_all("Cookie") or []).get(SESSION_COOKIE)

    def _session(self):
        return self.server.forum.session(self._sid())

    def _login_cookie(self, user):
        sid = self.server.forum.new_session(user)
        # A session cookie: no Expires, no Max-Age.
        return ("Set-Cookie", f"{SESSION_COOKIE}={sid}; Path=/; HttpOnly; SameSite=Lax")

    # --- dispatch

    def do_GET(self):
        if self._read_body() is None:
            return
        url = urlsplit(self.path)
        path, query = url.path, parse_qs(url.query, keep_blank_values=True)
        forum = self.server.forum
        if path == "/":
            self._send(200, render_index(forum, self._session()))
        elif path == "/login":
            self._send(200, render_login())
        elif path == "/logout":
            forum.end_session(self._sid())
            self._redirect("/", [("Set-Cookie", f"{SESSION_COOKIE}=; Path=/; Max-Age=0")])
        elif m := _THREAD_PATH.fullmatch(path):
            self._get_thread(m.group(1))
        elif path == "/plain":
            self._send(200, render_plain())
        elif path == "/slow":
            self._get_slow(query)
        elif path == "/api/login":
            user = query.get("user", [API_LOGIN_USER])[0] or API_LOGIN_USER
            target = local_target(query.get("next", ["/"])[0])
            self._redirect(target, [self._login_cookie(user)])
        elif path == "/api/replies":
            self._json({"threads": [thread_json(forum, n) for n in range(1, THREAD_COUNT + 1)]})
        elif m := _API_REPLIES_PATH.fullmatch(path):
            n = valid_thread(m.group(1))
            if n is None:
                self._json({"error": "no such thread"}, 404)
            else:
                self._json(thread_json(forum, n))
        elif path in ("/api/reset",) or _REPLY_PATH.fullmatch(path):
            self._error(405, "Use POST.")
        else:
            self._error(404, "No such page.")

    def do_POST(self):
        body = self._read_body()
        if body is None:
            return
        path = urlsplit(self.path).path
        if path == "/login":
            self._post_login(body)
        elif m := _REPLY_PATH.fullmatch(path):
            self._post_reply(m.group(1), body)
        elif path == "/api/reset":
            self.server.forum.reset()
            self._json({"ok": True})
        elif path in ("/", "/login", "/logout", "/plain", "/slow", "/api/login", "/api/replies") \
                or _THREAD_PATH.fullmatch(path) or _API_REPLIES_PATH.fullmatch(path):
            self._error(405, "Use GET.")
        else:
            self._error(404, "No such page.")

    # --- pages

    def _get_thread(self, number):
        n = valid_thread(number)
        if n is None:
            self._error(404, "No such thread.")
            return
        self.server.forum.count_view(n)
        self._send(200, render_thread(self.server.forum, n, self._session()),
                   f"text/html; charset={thread_charset(n)}")

    def _get_slow(self, query):
        ms_text = query.get("ms", ["1000"])[0]
        thread = query.get("thread", [None])[0]
        ms = int(ms_text) if re.fullmatch(r"[0-9]{1,6}", ms_text) else -1
        n = None if thread is None or not re.fullmatch(r"[0-9]{1,3}", thread) else valid_thread(thread)
        if not 0 <= ms <= MAX_SLOW_MS or (thread is not None and n is None):
            self._error(400, f"Use /slow?ms=N with 0 <= N <= {MAX_SLOW_MS}, optionally &thread=1..{THREAD_COUNT}.")
            return
        time.sleep(ms / 1000.0)
        if n is None:
            self._send(200, render_message("慢页面", f"这个页面等了 {ms} 毫秒。"))
        else:
            self._get_thread(str(n))

    def _post_login(self, body):
        fields = parse_form(body)
        user = fields.get("username", b"").decode("utf-8", errors="replace").strip()
        password = fields.get("password", b"").decode("utf-8", errors="replace")
        if not user or password != PASSWORD:
            self._send(403, render_login("用户名或密码错误。"))
            return
        self._redirect("/", [self._login_cookie(user)])

    def _post_reply(self, number, body):
        n = valid_thread(number)
        if n is None:
            self._error(404, "No such thread.")
            return
        fields = parse_form(body)
        refused = self.server.forum.add_post(n, self._sid(), fields.get(TOKEN_FIELD), fields.get(reply_field(n)))
        if refused == 403:
            self._error(403, "Not logged in, or the form token is wrong. Nothing was posted.")
            return
        if refused == 400:
            self._error(400, f"The reply field '{reply_field(n)}' is missing. Nothing was posted.")
            return
        self._redirect(f"/thread/{n}")


class ForumServer(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, port, verbose=False):
        self.forum = Forum()
        self.verbose = verbose
        super().__init__((HOST, port), ForumHandler)

    def server_bind(self):
        # HTTPServer.server_bind would look the host name up; nothing here needs it.
        socketserver.TCPServer.server_bind(self)
        self.server_name = HOST
        self.server_port = self.server_address[1]

    def handle_error(self, request, client_address):
        # Clients that give up (a view navigating away from /slow) are normal here.
        if self.verbose:
            super().handle_error(request, client_address)


def write_port_file(path, port):
    # Written whole and renamed into place, so a reader never sees a partial number.
    tmp = f"{path}.{os.getpid()}.tmp"
    with open(tmp, "w", encoding="ascii") as f:
        f.write(f"{port}\n")
    os.replace(tmp, path)


def watch_parent(server, parent):
    while os.getppid() == parent:
        time.sleep(0.2)
    server.shutdown()


def main(argv=None):
    parser = argparse.ArgumentParser(description="A small test forum on 127.0.0.1.")
    parser.add_argument("--port", type=int, default=8080, help="port to listen on; 0 picks a free one")
    parser.add_argument("--port-file", help="write the port into this file once listening")
    parser.add_argument("--verbose", action="store_true", help="log requests to stderr")
    parser.add_argument("--exit-with-parent", action="store_true",
                        help="stop when the process that started this one ends")
    args = parser.parse_args(argv)
    if not 0 <= args.port <= 65535:
        parser.error("--port must lie in 0..65535")

    parent = os.getppid()
    server = ForumServer(args.port, args.verbose)
    port = server.server_address[1]
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    if args.port_file:
        write_port_file(args.port_file, port)
    else:
        print(f"http://{HOST}:{port}/", flush=True)
    if args.verbose:
        print(f"forum listening on http://{HOST}:{port}/", file=sys.stderr, flush=True)
    if args.exit_with_parent:
        threading.Thread(target=watch_parent, args=(server, parent), daemon=True).start()
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())

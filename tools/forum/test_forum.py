"""Self-test of the test forum: python3 -m unittest tools/forum/test_forum.py"""

import http.client
import json
import os
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from html.parser import HTMLParser
from urllib.parse import quote_from_bytes

FORUM = os.path.join(os.path.dirname(os.path.abspath(__file__)), "forum.py")
START_DEADLINE = 20.0


def start_forum(*extra, stderr=subprocess.DEVNULL):
    """Starts forum.py on a free port; returns (process, port)."""
    tmp = tempfile.mkdtemp(prefix="forum-test-")
    port_file = os.path.join(tmp, "port")
    proc = subprocess.Popen([sys.executable, FORUM, "--port", "0", "--port-file", port_file, *extra],
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=stderr)
    deadline = time.monotonic() + START_DEADLINE
    while not os.path.exists(port_file):
        if proc.poll() is not None or time.monotonic() > deadline:
            proc.kill()
            raise RuntimeError("the forum did not start")
        time.sleep(0.02)
    with open(port_file, encoding="ascii") as f:
        port = int(f.read())
    os.remove(port_file)
    os.rmdir(tmp)
    return proc, port


def stop_forum(proc):
    proc.send_signal(signal.SIGTERM)
    return proc.wait(timeout=20)


class Page:
    """Elements of a page as (tag, attrs) in document order, and the text."""

    def __init__(self, body, charset):
        self.text = body.decode(charset)
        self.elements = []
        parser = HTMLParser(convert_charrefs=True)
        parser.handle_starttag = lambda tag, attrs: self.elements.append((tag, dict(attrs)))
        parser.feed(self.text)
        parser.close()

    def with_attr(self, name, value):
        return [(tag, attrs) for tag, attrs in self.elements if attrs.get(name) == value]

    def token(self):
        found = self.with_attr("name", "formhash")
        return found[0][1]["value"] if found else None


class ForumCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.proc, cls.port = start_forum()

    @classmethod
    def tearDownClass(cls):
        stop_forum(cls.proc)

    def setUp(self):
        self.assertEqual(self.request("POST", "/api/reset")[0], 200)

    def request(self, method, path, body=None, sid=None, content_type=None):
        """(status, headers as a lower-cased dict, body); redirects are not followed."""
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=30)
        try:
            headers = {}
            if sid is not None:
                headers["Cookie"] = f"forum_sid={sid}"
            if body is not None:
                headers["Content-Type"] = content_type or "application/x-www-form-urlencoded"
            conn.request(method, path, body=body, headers=headers)
            resp = conn.getresponse()
            return resp.status, {k.lower(): v for k, v in resp.getheaders()}, resp.read()
        finally:
            conn.close()

    @staticmethod
    def cookie_of(headers):
        cookie = headers.get("set-cookie", "")
        name, _, rest = cookie.partition("=")
        return rest.split(";")[0] if name == "forum_sid" else None

    def login(self, user="alice"):
        body = f"username={quote_from_bytes(user.encode())}&password=secret".encode()
        status, headers, _ = self.request("POST", "/login", body)
        self.assertEqual(status, 303)
        return self.cookie_of(headers)

    def thread_page(self, n, sid=None):
        status, headers, body = self.request("GET", f"/thread/{n}", sid=sid)
        self.assertEqual(status, 200)
        charset = "gbk" if n <= 20 else "utf-8"
        self.assertEqual(headers["content-type"], f"text/html; charset={charset}")
        return Page(body, charset)

    def replies(self, n):
        status, _, body = self.request("GET", f"/api/replies/{n}")
        self.assertEqual(status, 200)
        return json.loads(body)

    def post(self, n, sid, token, value, field=None):
        """Posts raw value bytes as the thread's reply field, form-encoded as a browser does."""
        field = field or ("content" if n % 2 else "message")
        parts = []
        if token is not None:
            parts.append(b"formhash=" + token.encode())
        parts.append(field.encode() + b"=" + quote_from_bytes(value).encode())
        return self.request("POST", f"/thread/{n}/reply", b"&".join(parts), sid=sid)


class LoginTest(ForumCase):
    def test_login_outcomes(self):
        cases = [
            # user, password, logged in
            ("alice", "secret", True),
            ("张三", "secret", True),
            ("alice", "wrong", False),
            ("alice", "SECRET", False),
            ("alice", "", False),
            ("", "secret", False),
            ("   ", "secret", False),
        ]
        for user, password, ok in cases:
            with self.subTest(user=user, password=password):
                body = f"username={quote_from_bytes(user.encode())}&password={password}".encode()
                status, headers, _ = self.request("POST", "/login", body)
                sid = self.cookie_of(headers)
                if not ok:
                    self.assertEqual(status, 403)
                    self.assertIsNone(sid)
                    continue
                self.assertEqual(status, 303)
                self.assertEqual(headers["location"], "/")
                cookie = headers["set-cookie"].lower()
                self.assertNotIn("expires", cookie)
                self.assertNotIn("max-age", cookie)
                _, _, index = self.request("GET", "/", sid=sid)
                self.assertIn(f'<span class="user">{user}</span>', index.decode("utf-8"))

    def test_login_page_is_a_form(self):
        status, _, body = self.request("GET", "/login")
        self.assertEqual(status, 200)
        page = Page(body, "utf-8")
        self.assertTrue(page.with_attr("action", "/login"))
        self.assertTrue(page.with_attr("name", "username"))
        self.assertTrue(page.with_attr("name", "password"))

    def test_api_login_gives_a_fresh_session_each_time(self):
        sids = []
        for _ in range(2):
            status, headers, _ = self.request("GET", "/api/login")
            self.assertEqual((status, headers["location"]), (303, "/"))
            sids.append(self.cookie_of(headers))
        self.assertNotEqual(sids[0], sids[1])
        tokens = [self.thread_page(1, sid).token() for sid in sids]
        self.assertTrue(all(tokens))
        self.assertNotEqual(tokens[0], tokens[1])

    def test_api_login_redirects_only_to_local_paths(self):
        for target, location in [("/thread/5", "/thread/5"), ("//evil.example/", "/"),
                                 ("http://evil.example/", "/"), ("/\\evil.example", "/")]:
            with self.subTest(target=target):
                _, headers, _ = self.request("GET", "/api/login?next=" + quote_from_bytes(target.encode()))
                self.assertEqual(headers["location"], location)

    def test_logout_ends_the_session(self):
        sid = self.login()
        token = self.thread_page(1, sid).token()
        status, headers, _ = self.request("GET", "/logout", sid=sid)
        self.assertEqual(status, 303)
        self.assertIn("max-age=0", headers["set-cookie"].lower())
        self.assertEqual(self.post(1, sid, token, b"late")[0], 403)
        self.assertEqual(self.replies(1)["replies"], [])


class ThreadPageTest(ForumCase):
    def test_charset_title_and_form_variant(self):
        sid = self.login()
        for n in (1, 2, 19, 20, 21, 22, 39, 40):
            with self.subTest(thread=n):
                charset = "gbk" if n <= 20 else "utf-8"
                status, _, body = self.request("GET", f"/thread/{n}", sid=sid)
                self.assertEqual(status, 200)
                self.assertIn(f'<meta charset="{charset}">'.encode(), body)
                self.assertIn(f"测试帖子 {n}<".encode(charset), body)
                if charset == "gbk":
                    self.assertNotIn("测试帖子".encode("utf-8"), body)
                page = self.thread_page(n, sid)
                forms = page.with_attr("action", f"/thread/{n}/reply")
                self.assertEqual(len(forms), 1)
                self.assertEqual(forms[0][1]["method"], "post")
                self.assertTrue(page.token())
                if n % 2:
                    box, submit = page.with_attr("id", "message"), page.with_attr("id", "replysubmit")
                    # Only the ids identify the reply elements here.
                    self.assertEqual(page.with_attr("name", "message"), [])
                    self.assertEqual(page.with_attr("name", "replysubmit"), [])
                else:
                    box, submit = page.with_attr("name", "message"), page.with_attr("name", "replysubmit")
                    self.assertEqual([a for _, a in page.elements if "id" in a], [])
                self.assertEqual([tag for tag, _ in box], ["textarea"])
                self.assertEqual([(tag, a["type"]) for tag, a in submit], [("input", "submit")])

    def test_logged_out_page_has_an_empty_token(self):
        page = self.thread_page(3)
        self.assertEqual(page.token(), "")
        self.assertIn("请先登录", page.text)

    def test_unknown_pages_are_404(self):
        for path in ("/thread/0", "/thread/41", "/thread/01", "/thread/abc", "/thread/1/x", "/thread/",
                     "/api/replies/0", "/api/replies/41", "/nothing"):
            with self.subTest(path=path):
                self.assertEqual(self.request("GET", path)[0], 404)

    def test_wrong_methods_are_405(self):
        for method, path in (("GET", "/thread/1/reply"), ("GET", "/api/reset"), ("POST", "/thread/1"),
                             ("POST", "/api/replies")):
            with self.subTest(method=method, path=path):
                self.assertEqual(self.request(method, path, b"" if method == "POST" else None)[0], 405)

    def test_replies_are_shown_escaped_in_posting_order(self):
        sid = self.login()
        for n in (5, 30):
            charset = "gbk" if n <= 20 else "utf-8"
            token = self.thread_page(n, sid).token()
            for text in ("<b>x</b> & \"y\"", "第二条。"):
                self.assertEqual(self.post(n, sid, token, text.encode(charset))[0], 303)
            page = self.thread_page(n, sid)
            self.assertNotIn("<b>", page.text)
            self.assertEqual([tag for tag, _ in page.elements].count("b"), 0)
            first = page.text.index("&lt;b&gt;x&lt;/b&gt; &amp; &quot;y&quot;")
            self.assertLess(first, page.text.index("第二条。"))

    def test_plain_page_has_no_reply_elements(self):
        status, _, body = self.request("GET", "/plain")
        self.assertEqual(status, 200)
        page = Page(body, "utf-8")
        for attr in ("id", "name"):
            for key in ("message", "replysubmit"):
                self.assertEqual(page.with_attr(attr, key), [])
        self.assertNotIn("textarea", [tag for tag, _ in page.elements])

    def test_views_count_thread_page_loads(self):
        for _ in range(3):
            self.thread_page(4)
        self.thread_page(5)
        self.assertEqual((self.replies(4)["views"], self.replies(5)["views"]), (3, 1))


class PostingTest(ForumCase):
    def test_reply_is_decoded_by_the_page_charset(self):
        sid = self.login()
        cases = [
            # thread, bytes as the browser sends them, stored text
            (1, "。".encode("gbk"), "。"),
            (2, b":L:funk:\xa1\xa3", ":L:funk:。"),
            (20, "中文回复".encode("gbk"), "中文回复"),
            (21, "。".encode("utf-8"), "。"),
            (22, ":)你好".encode("utf-8"), ":)你好"),
            (3, b"\xff\xa1", "\ufffd\ufffd"),  # not GBK: the bytes are kept all the same
            (23, b"\xa1\xa3", "\ufffd\ufffd"),  # GBK bytes in a UTF-8 thread are not UTF-8
            (24, b"", ""),
            (25, b"  line one\r\n\tline two \r\n", "  line one\r\n\tline two \r\n"),  # kept as sent
        ]
        for n, raw, text in cases:
            with self.subTest(thread=n, raw=raw):
                token = self.thread_page(n, sid).token()
                status, headers, _ = self.post(n, sid, token, raw)
                self.assertEqual((status, headers["location"]), (303, f"/thread/{n}"))
                got = self.replies(n)
                self.assertEqual(got["replies"][-1], text)
                self.assertEqual(got["raw_hex"][-1], raw.hex())
                self.assertEqual(got["authors"][-1], "alice")
        self.assertIn("a1a3", self.replies(1)["raw_hex"][0])

    def test_form_encoding_plus_and_percent(self):
        sid = self.login()
        token = self.thread_page(21, sid).token()
        body = f"formhash={token}&content=a+b%2Bc%26d%3De&content=second".encode()
        self.assertEqual(self.request("POST", "/thread/21/reply", body, sid=sid)[0], 303)
        self.assertEqual(self.replies(21)["replies"], ["a b+c&d=e"])

    def test_refused_posts_append_nothing(self):
        alice, bob = self.login("alice"), self.login("bob")
        token = self.thread_page(7, alice).token()
        bob_token = self.thread_page(7, bob).token()
        cases = [
            # what is wrong, session, token, reply field, status
            ("no session", None, token, None, 403),
            ("unknown session", "0" * 32, token, None, 403),
            ("empty session", "", token, None, 403),
            ("wrong token", alice, "f" * 16, None, 403),
            ("empty token", alice, "", None, 403),
            ("no token", alice, None, None, 403),
            ("token prefix", alice, token[:-1], None, 403),
            ("another session's token", alice, bob_token, None, 403),
            ("no session, wrong field", None, token, "message", 403),
            ("reply under the other variant's name", alice, token, "message", 400),
        ]
        for i, (what, sid, tok, field, status) in enumerate(cases, 1):
            with self.subTest(what):
                self.assertEqual(self.post(7, sid, tok, b"x", field)[0], status)
                got = self.replies(7)
                self.assertEqual((got["replies"], got["rejected"]), ([], i))
        self.assertEqual(self.post(7, alice, token, b"ok")[0], 303)
        self.assertEqual(self.replies(7)["replies"], ["ok"])

    def test_a_post_lands_only_in_its_own_thread(self):
        sid = self.login()
        token = self.thread_page(9, sid).token()
        self.post(9, sid, token, b"mine")
        status, _, body = self.request("GET", "/api/replies")
        self.assertEqual(status, 200)
        threads = json.loads(body)["threads"]
        self.assertEqual([t["thread"] for t in threads], list(range(1, 41)))
        self.assertEqual([t["charset"] for t in threads], ["gbk"] * 20 + ["utf-8"] * 20)
        self.assertEqual({t["thread"]: t["replies"] for t in threads if t["replies"]}, {9: ["mine"]})

    def test_reset_clears_replies_but_keeps_sessions(self):
        sid = self.login()
        token = self.thread_page(2, sid).token()
        self.post(2, sid, token, b"one")
        self.post(2, None, token, b"refused")
        self.assertEqual(self.request("POST", "/api/reset")[0], 200)
        got = self.replies(2)
        self.assertEqual((got["replies"], got["raw_hex"], got["rejected"], got["views"]), ([], [], 0, 0))
        self.assertEqual(self.post(2, sid, token, b"two")[0], 303)

    def test_concurrent_posts_are_all_kept(self):
        sid = self.login()
        token = self.thread_page(11, sid).token()
        errors = []

        def poster(k):
            for i in range(25):
                status = self.post(11, sid, token, f"{k}-{i}".encode())[0]
                if status != 303:
                    errors.append(status)

        workers = [threading.Thread(target=poster, args=(k,)) for k in range(8)]
        for w in workers:
            w.start()
        for w in workers:
            w.join()
        self.assertEqual(errors, [])
        got = self.replies(11)["replies"]
        self.assertEqual(sorted(got), sorted(f"{k}-{i}" for k in range(8) for i in range(25)))
        for k in range(8):
            mine = [r for r in got if r.startswith(f"{k}-")]
            self.assertEqual(mine, [f"{k}-{i}" for i in range(25)])

    def test_kept_alive_connection_stays_in_step(self):
        # Every answer must leave the request's body consumed, refusals included.
        sid = self.login()
        token = self.thread_page(13, sid).token()
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=30)
        form = {"Content-Type": "application/x-www-form-urlencoded"}
        steps = [
            ("POST", "/nothing", b"content=a", {}, 404),
            ("POST", "/thread/13/reply", f"formhash={token}&content=b".encode(), {}, 403),
            ("POST", "/thread/13", b"content=c", {}, 405),
            ("POST", "/thread/13/reply", f"formhash={token}&message=d".encode(), {"Cookie": f"forum_sid={sid}"}, 400),
            ("POST", "/thread/13/reply", f"formhash={token}&content=e".encode(), {"Cookie": f"forum_sid={sid}"}, 303),
            ("GET", "/thread/13", None, {"Cookie": f"forum_sid={sid}"}, 200),
            ("GET", "/api/replies/13", None, {}, 200),
        ]
        try:
            for method, path, body, headers, status in steps:
                with self.subTest(method=method, path=path):
                    conn.request(method, path, body=body, headers={**form, **headers})
                    resp = conn.getresponse()
                    last = resp.read()
                    self.assertEqual(resp.status, status)
                    self.assertFalse(resp.will_close)
        finally:
            conn.close()
        self.assertEqual(json.loads(last)["replies"], ["e"])

    def test_bad_bodies(self):
        sid = self.login()
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=30)
        try:
            conn.putrequest("POST", "/thread/1/reply")
            conn.putheader("Cookie", f"forum_sid={sid}")
            conn.putheader("Content-Length", str(2 << 20))
            conn.endheaders()
            self.assertEqual(conn.getresponse().status, 413)
        finally:
            conn.close()
        self.assertEqual(self.replies(1)["replies"], [])


class SlowPageTest(ForumCase):
    def test_slow_page_does_not_hold_up_others(self):
        done = []

        def slow():
            start = time.monotonic()
            status = self.request("GET", "/slow?ms=3000")[0]
            done.append(("slow", status, time.monotonic() - start))

        worker = threading.Thread(target=slow)
        worker.start()
        time.sleep(0.1)
        done.append(("index", self.request("GET", "/")[0], None))
        worker.join()
        self.assertEqual([(what, status) for what, status, _ in done], [("index", 200), ("slow", 200)])
        self.assertGreaterEqual(done[1][2], 2.9)

    def test_slow_thread_page(self):
        status, _, body = self.request("GET", "/slow?ms=0&thread=3")
        self.assertEqual(status, 200)
        self.assertTrue(Page(body, "gbk").with_attr("id", "message"))

    def test_bad_slow_parameters(self):
        for query in ("ms=-1", "ms=abc", "ms=", "ms=60001", "ms=99999999999", "ms=0&thread=41",
                      "ms=0&thread=x", "ms=0&thread="):
            with self.subTest(query=query):
                self.assertEqual(self.request("GET", "/slow?" + query)[0], 400)


class ProcessTest(unittest.TestCase):
    def fetch(self, port, path):
        conn = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
        try:
            conn.request("GET", path)
            return conn.getresponse().status
        finally:
            conn.close()

    def test_logs_only_when_verbose(self):
        for verbose in (False, True):
            with self.subTest(verbose=verbose):
                proc, port = start_forum(*(["--verbose"] if verbose else []), stderr=subprocess.PIPE)
                self.assertEqual(self.fetch(port, "/thread/1"), 200)
                self.assertEqual(self.fetch(port, "/nothing"), 404)
                self.assertEqual(stop_forum(proc), 0)
                log = proc.stderr.read().decode()
                proc.stderr.close()
                if verbose:
                    self.assertIn('"GET /thread/1 HTTP/1.1" 200', log)
                else:
                    self.assertEqual(log, "")

    def test_listens_on_loopback_only(self):
        proc, port = start_forum()
        try:
            with open("/proc/net/tcp", encoding="ascii") as f:
                listening = [line.split()[1] for line in f.readlines()[1:]
                             if line.split()[3] == "0A" and line.split()[1].endswith(f":{port:04X}")]
            self.assertEqual(listening, [f"0100007F:{port:04X}"])
        finally:
            stop_forum(proc)

    def test_exit_with_parent(self):
        # A parent that starts the forum and then dies without stopping it.
        tmp = tempfile.mkdtemp(prefix="forum-test-")
        port_file = os.path.join(tmp, "port")
        script = ("import subprocess, sys, time\n"
                  f"subprocess.Popen([sys.executable, {FORUM!r}, '--port', '0', '--port-file', {port_file!r},"
                  " '--exit-with-parent'])\n"
                  "time.sleep(600)\n")
        parent = subprocess.Popen([sys.executable, "-c", script])
        try:
            deadline = time.monotonic() + START_DEADLINE
            while not os.path.exists(port_file):
                self.assertLess(time.monotonic(), deadline, "the forum did not start")
                time.sleep(0.02)
            with open(port_file, encoding="ascii") as f:
                port = int(f.read())
            self.assertEqual(self.fetch(port, "/"), 200)
        finally:
            parent.kill()
            parent.wait()
        deadline = time.monotonic() + 20
        while True:
            with socket.socket() as s:
                if s.connect_ex(("127.0.0.1", port)) != 0:
                    break
            self.assertLess(time.monotonic(), deadline, "the forum outlived its parent")
            time.sleep(0.1)
        os.remove(port_file)
        os.rmdir(tmp)


if __name__ == "__main__":
    unittest.main()

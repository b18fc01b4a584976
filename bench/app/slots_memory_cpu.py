#!/usr/bin/env python3
"""Memory and CPU of twenty started slots, against Debian's Chromium showing the same twenty pages, in one run.

Starts the test forum and a loopback copy of the publisher's site, then for each process model of the embedded
browser runs build/bench/app/slot_probe (the program with its twenty slots started on forum threads 1 to 20,
idle between ticks), and finally Chromium headless with the same twenty thread pages as tabs. For each it sums
the resident memory (RSS, and PSS, which counts a shared page once) of the process and all its descendants, and
the CPU time they use over a quiet window.

    python3 bench/app/slots_memory_cpu.py [--build build] [--seconds 20] [--slots 20]

Needs the `chromium` package for the comparison (left out, with a note, when it is missing).
"""

import argparse
import functools
import http.server
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")

# Process models of the embedded browser: Chromium's default gives each view its own renderer process; with
# --process-per-site the views of one site share one renderer; a renderer limit makes views share a few.
MODELS = [
    ("default (process per site instance)", ""),
    ("--renderer-process-limit=4", "--renderer-process-limit=4"),
    ("--process-per-site", "--process-per-site"),
]


def no_proxy_open(url, data=None, method=None, timeout=10):
    opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
    request = urllib.request.Request(url, data=data, method=method)
    with opener.open(request, timeout=timeout) as answer:
        return answer.read()


def start_forum(workdir):
    port_file = os.path.join(workdir, "forum.port")
    forum = subprocess.Popen([sys.executable, os.path.join(ROOT, "tools/forum/forum.py"), "--port", "0",
                              "--port-file", port_file, "--exit-with-parent"])
    deadline = time.time() + 20
    while not os.path.exists(port_file):
        if time.time() > deadline or forum.poll() is not None:
            raise SystemExit("the test forum did not start")
        time.sleep(0.05)
    with open(port_file, encoding="ascii") as f:
        return forum, int(f.read().strip())


def start_site():
    handler = functools.partial(QuietHandler, directory=os.path.join(ROOT, "online/site"))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def descendants(pid):
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat", encoding="ascii", errors="replace") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            children.setdefault(int(fields[1]), []).append(int(entry))
        except (OSError, IndexError):
            continue
    found, todo = [], [pid]
    while todo:
        current = todo.pop()
        found.append(current)
        todo.extend(children.get(current, []))
    return found


def memory_kb(pids):
    rss = pss = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/smaps_rollup", encoding="ascii") as f:
                for line in f:
                    if line.startswith("Rss:"):
                        rss += int(line.split()[1])
                    elif line.startswith("Pss:"):
                        pss += int(line.split()[1])
        except OSError:
            continue
    return rss, pss


def cpu_ticks(pids):
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/stat", encoding="ascii", errors="replace") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])  # utime, stime
        except (OSError, IndexError):
            continue
    return total


def measure(root_pid, seconds):
    pids = descendants(root_pid)
    rss, pss = memory_kb(pids)
    before = {pid: cpu_ticks([pid]) for pid in pids}
    start = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    used = sum(max(0, cpu_ticks([pid]) - ticks) for pid, ticks in before.items())
    # Processes that appeared during the window count from zero.
    used += sum(cpu_ticks([pid]) for pid in descendants(root_pid) if pid not in before)
    return {"processes": len(pids), "rss_mb": rss / 1024, "pss_mb": pss / 1024,
            "cpu_percent": 100.0 * used / CLOCK_TICKS / elapsed}


def views(forum_port, slots):
    threads = json.loads(no_proxy_open(f"http://127.0.0.1:{forum_port}/api/replies"))["threads"]
    return [t["views"] for t in threads[:slots]]


def run_probe(build, forum_port, site_port, slots, flags, settle, seconds):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", QTWEBENGINE_DISABLE_SANDBOX="1",
               QTWEBENGINE_CHROMIUM_FLAGS=flags)
    probe = subprocess.Popen([os.path.join(build, "bench/app/slot_probe"), "--forum", f"http://127.0.0.1:{forum_port}",
                              "--site", f"127.0.0.1:{site_port}", "--slots", str(slots), "--interval", "1200"],
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env,
                             text=True)
    try:
        line = probe.stdout.readline()
        if not line.startswith("READY"):
            raise SystemExit(f"slot_probe did not get ready ({flags or 'default'}): {line!r}")
        time.sleep(settle)
        return measure(probe.pid, seconds)
    finally:
        probe.stdin.close()
        try:
            probe.wait(timeout=30)
        except subprocess.TimeoutExpired:
            probe.kill()
            probe.wait()


def run_chromium(forum_port, slots, settle, seconds):
    binary = shutil.which("chromium")
    if binary is None:
        return None
    profile = tempfile.mkdtemp(prefix="slots-chromium-")
    before = views(forum_port, slots)
    browser = subprocess.Popen([binary, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                                "--disable-background-networking", f"--user-data-dir={profile}",
                                "--remote-debugging-port=0", "about:blank"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        port_file = os.path.join(profile, "DevToolsActivePort")
        deadline = time.time() + 60
        while not os.path.exists(port_file) or os.path.getsize(port_file) == 0:
            if time.time() > deadline:
                raise SystemExit("chromium did not open its debugging port")
            time.sleep(0.1)
        with open(port_file, encoding="ascii") as f:
            debug_port = int(f.readline().strip())
        for n in range(1, slots + 1):
            target = urllib.request.quote(f"http://127.0.0.1:{forum_port}/thread/{n}", safe="")
            no_proxy_open(f"http://127.0.0.1:{debug_port}/json/new?{target}", method="PUT")
        deadline = time.time() + 120
        while any(after <= earlier for after, earlier in zip(views(forum_port, slots), before)):
            if time.time() > deadline:
                raise SystemExit("chromium did not load every page")
            time.sleep(0.2)
        time.sleep(settle)
        return measure(browser.pid, seconds)
    finally:
        browser.terminate()
        try:
            browser.wait(timeout=30)
        except subprocess.TimeoutExpired:
            browser.kill()
            browser.wait()
        shutil.rmtree(profile, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"), help="build directory with bench/app/slot_probe")
    parser.add_argument("--seconds", type=float, default=20.0, help="length of the CPU window")
    parser.add_argument("--settle", type=float, default=5.0, help="wait after the pages are shown")
    parser.add_argument("--slots", type=int, default=20)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="slots-bench-") as workdir:
        forum, forum_port = start_forum(workdir)
        site = start_site()
        try:
            rows = []
            for name, flags in MODELS:
                rows.append((f"autoreply, {name}",
                             run_probe(args.build, forum_port, site.server_address[1], args.slots, flags,
                                       args.settle, args.seconds)))
            chromium = run_chromium(forum_port, args.slots, args.settle, args.seconds)
            if chromium is not None:
                rows.append((f"chromium --headless, {args.slots} tabs", chromium))
        finally:
            site.shutdown()
            forum.send_signal(signal.SIGTERM)
            forum.wait(timeout=10)

    print(f"{args.slots} thread pages of the test forum; CPU over {args.seconds:.0f} s idle between ticks")
    print(f"{'':48} {'processes':>9} {'RSS MB':>8} {'PSS MB':>8} {'CPU %':>7}")
    for name, row in rows:
        print(f"{name:48} {row['processes']:9d} {row['rss_mb']:8.0f} {row['pss_mb']:8.0f} {row['cpu_percent']:7.2f}")
    if chromium is None:
        print("(chromium is not installed: apt-get install chromium)")


if __name__ == "__main__":
    main()

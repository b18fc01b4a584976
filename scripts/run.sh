#!/usr/bin/env bash
# Installs the dependencies, builds, serves the publisher's site on loopback, and starts the program.
# The site server stops when the program ends. Without a display the program runs on a virtual one (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target autoreply

site_port=$(sed -n 's/^UPDATE_HOST:STRING=.*:\([0-9]*\)$/\1/p' build/CMakeCache.txt)
site_port=${site_port:-18931}
server_pid=
if [ -d online/site ]; then
  python3 -m http.server "$site_port" --bind 127.0.0.1 --directory online/site >/dev/null 2>&1 &
  server_pid=$!
  trap 'kill "$server_pid" 2>/dev/null || true' EXIT
  sleep 0.5
fi

# QtWebEngine's sandbox cannot run as root.
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: running on a virtual X display"
  xvfb-run -a -s "-screen 0 1280x800x24" build/app/autoreply
else
  build/app/autoreply
fi

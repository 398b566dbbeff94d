#!/usr/bin/env bash
# Serves dist/web/ (written by scripts/build-web.sh) on 127.0.0.1 to watch the show in a browser.
# usage: scripts/serve-web.sh [PORT]   (default 8080), then open http://127.0.0.1:PORT/
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
port="${1:-8080}"
[ -f "$root/dist/web/index.html" ] || { echo "serve-web: run scripts/build-web.sh first" >&2; exit 1; }
echo "serve-web: http://127.0.0.1:$port/ (Ctrl-C stops)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$root/dist/web"

#!/usr/bin/env bash
# Installs what is missing, builds Quillmate and starts it on the demo panel.
# Without a display it runs headless and says what it did.
set -euo pipefail
cd "$(dirname "$0")"
source tools/bootstrap.sh
ensure_packages
build_quillmate >/dev/null

program="$PWD/$BUILD_DIR/bin/quillmate"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  exec "$program" "$@"
fi

export QT_QPA_PLATFORM=offscreen
out="$PWD/$BUILD_DIR/demo-output"
mkdir -p "$out"
set +e
"$program" -q -c"$out/console.log" -x "$@" 2>"$out/stderr.log"
rc=$?
set -e
if [ $rc -eq 0 ]; then
  echo "Quillmate started headless (no display) and exited cleanly."
else
  echo "Quillmate exited with code $rc; see $out/console.log and $out/stderr.log." >&2
fi
echo "Console log: $out/console.log"
exit $rc

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
  exec "$program" "${@:-$PWD/examples/demo.xml}"
fi

export QT_QPA_PLATFORM=offscreen
# Headless: work on a copy of the demo panel, so the headers (written beside
# the panel) and the project land in one folder of the build tree.
out="$PWD/$BUILD_DIR/demo-output"
rm -rf "$out"
mkdir -p "$out"
# The panel with the files it names (parameter map, catalog, pin mapping).
cp examples/demo.xml examples/demo_parameters.xml examples/demo_catalog.xml examples/pins_chip.xml "$out/"
set +e
"$program" -q -c"$out/console.log" -s"$out/demo.qlmp" "$out/demo.xml" "$@" 2>"$out/stderr.log"
rc=$?
set -e
if [ $rc -eq 0 ]; then
  echo "Quillmate ran headless (no display) on the demo panel and wrote into $out:"
  (cd "$out" && ls -1 *.qlmp *.h 2>/dev/null | sed 's/^/  /')
else
  echo "Quillmate exited with code $rc; see $out/console.log and $out/stderr.log." >&2
fi
echo "Console log: $out/console.log"
exit $rc

#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: install what is missing, configure, build.
# Sourced, not run; leaves BUILD_DIR set.

PACKAGES=(qtbase5-dev libxml2-dev libqt5serialport5-dev libqt5svg5-dev
          libqwt-qt5-dev libhidapi-dev pybind11-dev python3-dev cmake g++ pkg-config
          libgl-dev xvfb xauth libxml2-utils binutils gdb qttools5-dev libssl-dev
          ninja-build)

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

ensure_packages() {
  local missing
  missing=$(missing_packages | tr '\n' ' ')
  [ -z "${missing// /}" ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: $missing"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
  else
    echo "These packages are missing; install them as root with:" >&2
    echo "  apt-get update && apt-get install -y $missing" >&2
    exit 1
  fi
}

# New build trees use Ninja, which keeps every core busy across the many test
# executables; a tree configured before keeps the generator it has.
export CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja}

build_quillmate() {
  BUILD_DIR=${BUILD_DIR:-build}
  cmake -S . -B "$BUILD_DIR" -DPython3_EXECUTABLE=/usr/bin/python3 >/dev/null
  cmake --build "$BUILD_DIR" -j"$(nproc)"
}

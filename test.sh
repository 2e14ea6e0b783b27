#!/usr/bin/env bash
# Installs what is missing, builds Quillmate and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
source tools/bootstrap.sh
ensure_packages
build_quillmate
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$(nproc)"

#!/usr/bin/env bash
# Installs what is missing, builds Quillmate and runs the whole test suite,
# then runs the element and panel tests once more under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the target link's thread tests under
# ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
source tools/bootstrap.sh
ensure_packages
# Configuring checks the library layers (cmake/Layers.cmake): a lower library
# that links a higher one, or a link cycle, stops the build here. The suite's
# architecture_rules test checks the sources (no window in elements, no
# string-based connections, no mutable globals).
build_quillmate
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$(nproc)"

# Panels are replaced while their own elements run actions: these tests must
# also pass with every freed object poisoned.
sanitized_tests=(tst_activeelement tst_valueelements tst_choiceelements tst_containers
                 tst_buttonsedits tst_locks tst_reset tst_numericelements
                 tst_panelreader tst_numericbuilders tst_timerlog tst_logtimerbuilders
                 tst_displayelements tst_mathlabel tst_mainwindow tst_table tst_pinmapping
                 tst_scriptwindow tst_showxmldialog)
cmake -S . -B build-asan -DPython3_EXECUTABLE=/usr/bin/python3 -DQUILLMATE_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)" --target "${sanitized_tests[@]}"
regex=$(IFS='|'; echo "^(${sanitized_tests[*]})\$")
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -R "$regex"

# The polling thread, the probe binding and the target variables share data
# with the GUI thread: their tests also run under ThreadSanitizer.
threaded_tests=(tst_jlink tst_dataclass tst_seggerthread tst_tyklink tst_terminalport tst_comthread)
cmake -S . -B build-tsan -DPython3_EXECUTABLE=/usr/bin/python3 -DQUILLMATE_TSAN=ON >/dev/null
cmake --build build-tsan -j"$(nproc)" --target "${threaded_tests[@]}"
regex=$(IFS='|'; echo "^(${threaded_tests[*]})\$")
TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/tests/tsan.supp" \
  ctest --test-dir build-tsan --output-on-failure -j"$(nproc)" -R "$regex"

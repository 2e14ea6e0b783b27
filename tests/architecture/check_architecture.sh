#!/usr/bin/env bash
# Checks source-level architecture rules over a Quillmate source tree:
#   1. nothing under elements/ includes "mainwindow.h"; the
#      element framework must not reach up into the main window;
#   2. no string-based connections: no SIGNAL()/SLOT() macros and no
#      "2"/"1"-prefixed signatures built at run time, only member-function
#      pointer (or functor) connections, which the compiler checks;
#   3. no library header declares a process-wide mutable global with
#      `extern` (`extern const` is fine).
# Prints every offending file:line, or "architecture rules hold".
# Usage: check_architecture.sh <source-dir>
set -u
root="${1:?usage: check_architecture.sh <source-dir>}"
cd "$root" || { echo "cannot enter $root" >&2; exit 2; }

library_dirs=(platform resources symscan core targetlink elements lockgraph panel panelreader
              paneleditor svdgenerator script python app)
source_dirs=("${library_dirs[@]}" tests bench)

# Files under the existing folders among "$@" matching the find expression
# given after "--", skipping build folders (build*, or any holding a
# CMakeCache.txt).
files_in() {
  local dirs=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    [ -d "$1" ] && dirs+=("$1")
    shift
  done
  shift
  [ ${#dirs[@]} -eq 0 ] && return 0
  find "${dirs[@]}" \( -type d \( -name 'build*' -o -exec test -e '{}/CMakeCache.txt' \; \) -prune \) \
    -o -type f \( "$@" \) -print | LC_ALL=C sort
}

# Prints "file:line:code" for every line of the given files, with comments
# removed (string and character literals are kept intact).
code_lines() {
  [ $# -eq 0 ] && return 0
  awk '
    FNR == 1 { inblock = 0 }
    {
      line = $0; out = ""; quote = ""; n = length(line); i = 1
      while (i <= n) {
        c = substr(line, i, 1); c2 = substr(line, i, 2)
        if (inblock) { if (c2 == "*/") { inblock = 0; i += 2 } else i++; continue }
        if (quote != "") {
          out = out c
          if (c == "\\") { out = out substr(line, i + 1, 1); i += 2; continue }
          if (c == quote) quote = ""
          i++; continue
        }
        if (c2 == "//") break
        if (c2 == "/*") { inblock = 1; out = out " "; i += 2; continue }
        if (c == "\"" || c == "'\''") quote = c
        out = out c; i++
      }
      if (out ~ /[^ \t]/) print FILENAME ":" FNR ":" out
    }' "$@"
}

total=0
report=""
add() { # title, offending "file:line:code" lines
  [ -z "$2" ] && return 0
  local count
  count=$(printf '%s\n' "$2" | wc -l)
  total=$((total + count))
  report+="$1 ($count):"$'\n'"$(printf '%s\n' "$2" | sed -E 's/^([^:]*:[0-9]+):[[:space:]]*/  \1: /')"$'\n\n'
}

mapfile -t element_files < <(files_in elements -- -name '*')
mapfile -t sources < <(files_in "${source_dirs[@]}" -- -name '*.cpp' -o -name '*.h')
mapfile -t headers < <(files_in "${library_dirs[@]}" -- -name '*.h' -o -name '*.hpp' -o -name '*.hh')

hits=$(code_lines "${element_files[@]}" \
    | grep -E '^[^:]*:[0-9]+:[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^">]*/)?mainwindow\.h[">]' \
  )
add 'elements/ includes "mainwindow.h"' "$hits"

hits=$(code_lines "${sources[@]}" \
    | grep -E -e '(^|[^A-Za-z0-9_])(SIGNAL|SLOT)[[:space:]]*\(' \
              -e 'QByteArray(Literal)?[[:space:]]*\([[:space:]]*['\''"][12]' \
              -e '"[12][A-Za-z_][A-Za-z0-9_]*[[:space:]]*\(' \
              -e '['\''"][12]['\''"][[:space:]]*\+' \
              -e '(prepend|insert)[[:space:]]*\([[:space:]]*(0[[:space:]]*,[[:space:]]*)?['\''"][12]['\''"]' \
  )
add 'String-based connections (SIGNAL()/SLOT() or "2"/"1" signatures)' "$hits"

hits=$(code_lines "${headers[@]}" \
    | grep -E '^[^:]*:[0-9]+:(.*[^A-Za-z0-9_])?extern([^A-Za-z0-9_]|$)' \
    | awk '{
        rest = $0; sub(/^[^:]*:[0-9]+:/, "", rest)
        sub(/^(.*[^A-Za-z0-9_])?extern[ \t]*/, "", rest)
        if (rest ~ /^"C(\+\+)?"/) { sub(/^"C(\+\+)?"[ \t]*/, "", rest); if (rest ~ /^(\{|$)/) next }
        if (rest ~ /^template[^A-Za-z0-9_]/) next
        # export macros such as Q_DECL_EXPORT may stand before the type
        while (rest ~ /^[A-Z][A-Z0-9_]*[ \t]+[A-Za-z_]/ && rest !~ /^FILE[^A-Za-z0-9_]/)
          sub(/^[A-Z][A-Z0-9_]*[ \t]+/, "", rest)
        if (rest ~ /^(const|constexpr)[^A-Za-z0-9_]/) next
        if (rest ~ /[^A-Za-z0-9_]const[ \t]+[A-Za-z_][A-Za-z0-9_]*[ \t]*(\[[^]]*\][ \t]*)*(=.*)?;/) next
        if (rest ~ /\(/ && rest !~ /\([ \t]*\*/) next
        print
      }' \
  )
add 'Mutable extern globals in library headers' "$hits"

if [ "$total" -eq 0 ]; then
  echo "architecture rules hold"
  exit 0
fi
printf 'Architecture rule violations:\n\n%s%d violation(s) in total.\n' "$report" "$total"
exit 1

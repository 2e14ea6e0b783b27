#!/usr/bin/env bash
# Checks the includes of every library by library: a quoted include in a
# library's folder that names a header of another library's folder must name
# one of a library it links (directly or through others). The table comes
# from the configure step (quillmate_libraries.txt: library, layer, folder,
# folders of the libraries it reaches). Headers found in no library folder
# (Qt, Qwt, pybind11, generated files) are not ours and are skipped.
# Prints every offending file:line, or "includes follow the library links".
# Usage: check_includes.sh <quillmate_libraries.txt>
set -u
table="${1:?usage: check_includes.sh <quillmate_libraries.txt>}"
[ -r "$table" ] || { echo "cannot read $table" >&2; exit 2; }

declare -A owner   # header name -> folder that holds it
declare -A reach   # folder -> " own and linked folders "
declare -A libof   # folder -> library
while read -r lib layer folder linked; do
  [ "${lib:0:1}" = "#" ] && continue
  libof[$folder]=$lib
  reach[$folder]=" $folder ${linked:-} "
  for h in "$folder"/*.h "$folder"/*.hpp; do
    [ -e "$h" ] && owner[$(basename "$h")]=$folder
  done
done < "$table"

violations=""
for folder in "${!libof[@]}"; do
  for file in "$folder"/*.cpp "$folder"/*.h; do
    [ -e "$file" ] || continue
    while IFS=: read -r line header; do
      held="${owner[$header]:-}"
      [ -z "$held" ] && continue
      case "${reach[$folder]}" in
        *" $held "*) ;;
        *) violations+="  $file:$line: \"$header\" of ${libof[$held]} (${libof[$folder]} does not link it)"$'\n' ;;
      esac
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" \
               | sed -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1:\2/' \
               | sed -E 's#:.*/([^/]*)$#:\1#')
  done
done

if [ -z "$violations" ]; then
  echo "includes follow the library links"
  exit 0
fi
printf 'Includes of libraries a library does not link:\n%s' "$violations"
exit 1

#!/usr/bin/env bash
# Runs the manual page's find example as written, on a tree whose folders have dots in their
# names, and checks that every file got its container and that each decrypts to the file.
# Usage: manual_example.sh ZOK MANUAL_PAGE_SOURCE
set -euo pipefail
zok=$(realpath "$1")
page=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The example's two lines, from "find docs" to the line that ends it, with roff's escapes undone.
example=$(sed -n '/^find docs/,/\\e;$/p' "$page" | sed -e 's/\\-/-/g' -e 's/\\e/\\/g')
[[ $example == find* ]] || { echo "no find example in $page" >&2; exit 1; }

mkdir -p "$work/bin" "$work/docs/proj.v1/sub.dir" "$work/docs/john.doe"
ln -s "$zok" "$work/bin/zok"
printf 'example password\n' > "$work/.zok-password"
printf 'plain one\n' > "$work/docs/proj.v1/notes"
printf 'plain two\n' > "$work/docs/proj.v1/sub.dir/report.txt"
printf 'plain three\n' > "$work/docs/john.doe/README"
cd "$work"
HOME=$work PATH=$work/bin:$PATH bash -euo pipefail -c "$example"

status=0
while IFS= read -r -d '' file; do
    if [[ ! -f $file.zok ]]; then
        echo "no container for $file" >&2
        status=1
    elif ! HOME=$work "$zok" decrypt -q --password-file "$work/.zok-password" -o - "$file.zok" |
        cmp -s - "$file"; then
        echo "$file.zok does not decrypt to $file" >&2
        status=1
    fi
done < <(find docs -type f ! -name '*.zok' -print0)
(($(find docs -type f -name '*.zok' | wc -l) == 3)) || { echo "not three containers" >&2; status=1; }
exit $status

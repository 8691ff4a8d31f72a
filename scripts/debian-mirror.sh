#!/usr/bin/env bash
# Prints the archive this machine's own APT configuration uses for a Debian release, as one line:
# the URI, then the key file of its Signed-By option when it has one. Reads both the one-line
# form (sources.list, *.list) and the deb822 form (*.sources); the first enabled "deb" source
# whose suites include the release wins. Exits 1 when none does.
# Usage: debian-mirror.sh SUITE [APT_DIR]   (APT_DIR defaults to /etc/apt)
set -euo pipefail
suite=$1
apt_dir=${2:-/etc/apt}

one_line_sources() {
    awk -v suite="$suite" '
        /^[ \t]*deb[ \t]/ {
            line = $0
            sub(/^[ \t]*deb[ \t]+/, "", line)
            options = ""
            if (line ~ /^\[/) {
                options = substr(line, 2, index(line, "]") - 2)
                line = substr(line, index(line, "]") + 1)
            }
            n = split(line, word, /[ \t]+/)
            first = (word[1] == "") ? 2 : 1
            if (word[first + 1] != suite) next
            key = ""
            m = split(options, option, /[ \t]+/)
            for (i = 1; i <= m; i++)
                if (option[i] ~ /^signed-by=/) key = substr(option[i], 11)
            print word[first], key
            exit
        }' "$@"
}

deb822_sources() {
    awk -v suite="$suite" '
        BEGIN { RS = ""; FS = "\n" }
        {
            delete field
            for (i = 1; i <= NF; i++) {
                if ($i ~ /^[ \t]*#/ || $i !~ /:/) continue
                name = tolower(substr($i, 1, index($i, ":") - 1))
                value = substr($i, index($i, ":") + 1)
                gsub(/^[ \t]+|[ \t]+$/, "", value)
                field[name] = value
            }
            if (tolower(field["enabled"]) == "no") next
            if ((" " field["types"] " ") !~ / deb /) next
            if ((" " field["suites"] " ") !~ (" " suite " ")) next
            split(field["uris"], uri, /[ \t]+/)
            print uri[1], field["signed-by"]
            exit
        }' "$@"
}

found=
for file in "$apt_dir/sources.list" "$apt_dir"/sources.list.d/*.list; do
    [[ -f $file && -z $found ]] && found=$(one_line_sources "$file")
done
for file in "$apt_dir"/sources.list.d/*.sources; do
    [[ -f $file && -z $found ]] && found=$(deb822_sources "$file")
done
[[ -n $found ]] || { echo "debian-mirror: no source for $suite in $apt_dir" >&2; exit 1; }
# Trailing space when there is no key.
echo "${found% }"

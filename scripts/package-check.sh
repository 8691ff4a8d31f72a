#!/usr/bin/env bash
# Checks that every test the documents cite exists; builds the release packages, checks what they
# hold and that their programs run, runs lintian on the Debian package, installs and uninstalls
# the Windows setup program under Wine (scripts/setup-check.sh); installs both packages over
# those of the previous release, built from its commit; then builds the same sources again from
# a second checkout in another folder and requires the same bytes: zok, zok.exe, zok-cli.exe
# and the three packages.
set -euo pipefail
shopt -s extglob
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=${JOBS:-$(nproc)}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "package-check: $*" >&2; exit 1; }
step() { printf '\n--- %s\n' "$*"; }

# Configures both builds of the sources in folder $1 and makes their packages. Extra arguments
# go to the configure steps.
build_packages() {
    local src=$1; shift
    local preset
    for preset in native win32; do
        (cd "$src" && cmake --preset $preset "$@" >/dev/null &&
            cmake --build --preset $preset -j"$jobs" --target package >/dev/null)
    done
}

step "the tests the documents cite"
# A citation is `Suite.Name` inside a code span (which may span lines), with or without its
# program, code blocks' fences aside; a test is a TEST, TEST_F or TEST_P of tests/, also where
# the formatter broke its line.
defined=$(find tests -name '*.cpp' -exec cat {} + | tr -s ' \n' ' ' |
    grep -oE 'TEST(_F|_P)? ?\( ?[A-Za-z0-9_]+, ?[A-Za-z0-9_]+' | sed -E 's/.*\( ?//; s/, ?/./' | sort -u)
cited=$(sed 's/```[a-z]*//g' docs/*.md README.md | tr '\n' ' ' | grep -oE '`[^`]+`' |
    grep -oE '\b[A-Z][A-Za-z0-9]+\.[A-Z][A-Za-z0-9]+\b' | sort -u)
missing=$(comm -23 <(echo "$cited") <(echo "$defined"))
[[ -z $missing ]] || fail "the documents cite tests that do not exist:"$'\n'"$missing"

step "packages of this checkout"
build_packages "$root"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/native/CMakeCache.txt)
[[ -n $version ]] || fail "no project version in the native build's cache"
deb=build/native/zok_${version}_amd64.deb
zip=build/win32/zok-${version}-win32.zip
setup=build/win32/zok-${version}-setup.exe
for package in "$deb" "$zip" "$setup"; do
    [[ -f $package ]] || fail "missing $package"
done

# The release this one upgrades, built from its own commit with its own presets in a worktree
# of the build folder (kept there: a second run builds only what changed).
previous=1.0.0
previous_commit=60aec78430db5542a4d6e0ed1d2561a4bc0285b8  # the last of its release day
step "packages of $previous, from its commit"
previous_src=build/release-$previous
git cat-file -e "$previous_commit^{commit}" 2>/dev/null || git fetch -q --unshallow ||
    fail "$previous's commit $previous_commit is not in this clone's history"
if [[ $(git -C "$previous_src" rev-parse HEAD 2>/dev/null) != "$previous_commit" ]]; then
    rm -rf "$previous_src"
    git worktree prune
    git worktree add -q --detach "$previous_src" "$previous_commit"
fi
build_packages "$previous_src" -DZOK_BUILD_TESTS=OFF -DZOK_BUILD_BENCH=OFF
previous_deb=$previous_src/build/native/zok_${previous}_amd64.deb
previous_setup=$previous_src/build/win32/zok-${previous}-setup.exe

step "Debian package: fields, files, the zok inside"
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == zok && $(field Version) == "$version" && $(field Architecture) == amd64 ]] ||
    fail "wrong name, version or architecture in $deb"
[[ $(field Depends) == *libc6* ]] || fail "Depends lacks libc6: $(field Depends)"
[[ -n $(field Description) && -n $(field Maintainer) ]] || fail "no description or maintainer"
expected_files='./usr/bin/zok
./usr/share/bash-completion/completions/zok
./usr/share/doc/zok/changelog.gz
./usr/share/doc/zok/copyright
./usr/share/doc/zok/user-guide.txt
./usr/share/man/man1/zok.1.gz
./usr/share/man/zh_CN/man1/zok.1.gz'
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
[[ $files == "$expected_files" ]] || fail "unexpected files in $deb:"$'\n'"$files"
deb_root=$scratch/deb
dpkg-deb -x "$deb" "$deb_root"
zok=$deb_root/usr/bin/zok
[[ $("$zok" --version) == "zok $version" ]] || fail "packaged zok: wrong --version"
printf 'round trip through the packaged zok\n' >"$scratch/note.txt"
cp "$scratch/note.txt" "$scratch/original.txt"
echo 'pass word' | "$zok" encrypt --in-place --password-stdin "$scratch/note.txt" 2>/dev/null
cmp -s "$scratch/note.txt" "$scratch/original.txt" && fail "packaged zok did not encrypt"
echo 'pass word' | "$zok" decrypt --in-place --password-stdin "$scratch/note.txt" 2>/dev/null
cmp "$scratch/note.txt" "$scratch/original.txt" || fail "packaged zok: round trip changed the file"
# Both pages: the version, the warning first, every section and as many entries and examples, and
# an entry for each option that the packaged zok --help names.
declare -A page_shape
for page in man1 zh_CN/man1; do
    text=$(zcat "$deb_root/usr/share/man/$page/zok.1.gz")
    grep -q "\"zok $version\"" <<<"$text" || fail "manual page $page does not name version $version"
    [[ $(grep '^\.SH' <<<"$text" | sed -n 2p) == '.SH '@(WARNING|警告) ]] ||
        fail "manual page $page does not start with its warning"
    grep -c '^\.SH' <<<"$text" | grep -qx 14 || fail "manual page $page: not 14 sections"
    page_shape[$page]=$(grep -Ec '^\.(SH|TP|B|BR|BI|RS|nf)( |$)' <<<"$text")
    grep -q 'zok.*password.*file ~/.zok.*password \\- | grep' <<<"$text" ||
        fail "manual page $page lacks the pipeline example"
    for option in $("$zok" --help | grep -oE '^ {2,6}(-., )?--[a-z-]+' | grep -oE -- '--[a-z-]+$'); do
        grep -qF "\\fB${option//-/\\-}\\fR" <<<"$text" || fail "manual page $page lacks $option"
    done
done
[[ ${page_shape[man1]} == "${page_shape[zh_CN/man1]}" ]] ||
    fail "the English and Chinese manual pages differ in shape: ${page_shape[*]}"

step "hardening of the packaged zok"
# Control-flow protection cannot be had on Debian 12: its C start files carry no CET marking,
# so no program linked there has it (neither do the system's own, /usr/bin/ls for one).
hardening-check --nocfprotection "$zok" || fail "hardening-check fails on the packaged zok"

step "bash completion"
completion=$deb_root/usr/share/bash-completion/completions/zok
bash -c '_init_completion() { cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    words=("${COMP_WORDS[@]}") cword=$COMP_CWORD; }
    _filedir() { COMPREPLY=(FILES); }
    source "$1"
    COMP_WORDS=(zok de); COMP_CWORD=1; _zok; [[ ${COMPREPLY[*]} == decrypt ]] || exit 1
    COMP_WORDS=(zok encrypt --pass); COMP_CWORD=2; _zok
    [[ ${COMPREPLY[*]} == "--password-file --password-fd --password-stdin" ]] || exit 2
    COMP_WORDS=(zok shred --); COMP_CWORD=2; _zok; [[ ${COMPREPLY[*]} == "--quiet --recursive --dry-run --help --version --" ]] || exit 3
    COMP_WORDS=(zok decrypt -o no); COMP_CWORD=3; _zok; [[ ${COMPREPLY[*]} == FILES ]] || exit 4
    ' completion "$completion" || fail "bash completion gives wrong candidates ($?)"
[[ $(zcat "$deb_root/usr/share/doc/zok/changelog.gz" | head -1) == "zok ($version) "* ]] ||
    fail "changelog does not start with version $version"
grep -q 'No license has been granted' "$deb_root/usr/share/doc/zok/copyright" ||
    fail "copyright file does not say that no license has been granted"

step "Debian package over $previous's, in a root of its own"
# dpkg keeps its records in the root too; the system's own records, without any zok, stand in
# for the packages the Depends name (dpkg warns that their file lists are missing: they are
# not shown). Neither package has maintainer scripts.
dpkg_root=$scratch/dpkg-root
mkdir -p "$dpkg_root/var/lib/dpkg/info" "$dpkg_root/var/lib/dpkg/updates"
awk -v RS= -v ORS='\n\n' '!/^Package: zok\n/' /var/lib/dpkg/status >"$dpkg_root/var/lib/dpkg/status"
in_root() {
    dpkg --root="$dpkg_root" --force-not-root --log=/dev/null "$@" >"$scratch/dpkg.log" 2>&1 ||
        { grep -v 'files list file for package' "$scratch/dpkg.log" >&2; return 1; }
}
in_root -i "$previous_deb" || fail "cannot install $previous_deb"
in_root -i "$deb" || fail "cannot install $deb over $previous_deb"
[[ $(dpkg-query --admindir="$dpkg_root/var/lib/dpkg" -W -f '${Version} ${Status}' zok) == \
    "$version install ok installed" ]] || fail "the upgrade did not leave $version installed"
# The files are this package's, byte for byte, and nothing else is there.
diff -r --exclude=var "$deb_root" "$dpkg_root" || fail "the upgraded files are not $deb's"
[[ $("$dpkg_root/usr/bin/zok" --version) == "zok $version" ]] || fail "upgraded zok: wrong --version"
in_root --purge zok || fail "cannot remove the upgraded package"
[[ -z $(find "$dpkg_root" -path "$dpkg_root/var" -prune -o -type f -print) ]] ||
    fail "the upgraded package's removal left files"

step "lintian"
lintian_status=0
lintian_output=$(lintian --fail-on error --display-info --pedantic "$deb" 2>&1) || lintian_status=$?
grep -v '^running with root privileges' <<<"$lintian_output" || true
((lintian_status == 0)) || fail "lintian reports errors"

step "Windows zip: members, sums, README, zok-cli.exe under Wine"
members=$(unzip -Z1 "$zip" | tr '\n' ' ')
[[ $members == 'zok.exe zok-cli.exe README.txt SHA256SUMS ' ]] || fail "zip members: $members"
zip_root=$scratch/zip
unzip -q "$zip" -d "$zip_root"
(cd "$zip_root" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
readme=$zip_root/README.txt
lines=$(tr -cd '\n' <"$readme" | wc -c)
crlf_lines=$(grep -c $'\r$' "$readme")
((lines > 0 && lines == crlf_lines)) || fail "README.txt: $crlf_lines of $lines lines end in CRLF"
((lines < 150)) || fail "README.txt has $lines lines, not under 150"
[[ $(head -c 3 "$readme") == $'\xEF\xBB\xBF' ]] ||
    fail "README.txt does not start with a byte-order mark"
cmp -s <(tail -c +4 "$readme" | tr -d '\r') docs/user-guide.txt ||
    fail "README.txt is not the user guide"
scripts/wine-setup.sh
scripts/wine-session.sh scripts/wine-run.sh "$zip_root/zok-cli.exe" --version \
    >"$scratch/cli-version" 2>/dev/null
[[ $(tr -d '\r' <"$scratch/cli-version") == "zok-cli $version" ]] ||
    fail "zok-cli.exe --version under Wine: $(cat "$scratch/cli-version")"

step "Windows setup program under Wine, in a prefix of its own"
cmake --build --preset win32 -j"$jobs" --target window_tests >/dev/null
export WINEPREFIX=$scratch/setup-prefix
scripts/wine-setup.sh
scripts/wine-session.sh scripts/setup-check.sh "$setup" build/win32/tests/window/window_tests.exe \
    "$previous_setup" "$zip_root"
unset WINEPREFIX

step "second checkout in another folder, built again"
second=$scratch/second-checkout
git clone -q --no-hardlinks "$root" "$second"
git -C "$second" checkout -q --detach "$(git rev-parse HEAD)"
# Changes not yet committed are carried over, so both folders hold the same sources.
git diff --binary HEAD >"$scratch/uncommitted.patch"
if [[ -s $scratch/uncommitted.patch ]]; then
    git -C "$second" apply --binary "$scratch/uncommitted.patch"
fi
git ls-files -z --others --exclude-standard | xargs -0r cp --parents -t "$second"
build_packages "$second" -DZOK_BUILD_TESTS=OFF -DZOK_BUILD_BENCH=OFF

step "reproducibility"
different=0
programs=(build/native/cli/zok build/win32/zok.exe build/win32/cli/zok-cli.exe)
for artefact in "${programs[@]}" "$deb" "$zip" "$setup"; do
    if cmp -s "$artefact" "$second/$artefact"; then
        result=identical
    else
        result=DIFFERENT
        different=1
    fi
    printf '%-10s %8d bytes  %s  %s\n' "$result" "$(stat -c %s "$artefact")" \
        "$(sha256sum "$artefact" | cut -d' ' -f1)" "$artefact"
done
((different == 0)) || fail "a build from another folder gave different bytes"
echo "package-check: the packages are sound and reproducible"

#!/usr/bin/env bash
# Makes the Debian package in a build folder and checks it as the archive's tools and a user
# would: lintian, desktop-file-validate, appstreamcli, the files it holds, and the unpacked
# command-line program on a real folder (simulate, run, undo).
#
#   packaging/test-package.sh [BUILD_FOLDER]
#
# With a build folder (scripts/test.sh passes its own) the package is made from what is built
# there; without one, build/package is configured and built first. The tools come from
# scripts/deps.sh --test.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/package}
if [ $# -eq 0 ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)"
fi
build=$(cd "$build" && pwd)

scratch=$(mktemp -d /tmp/brindle-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

echo "== cpack -G DEB"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb="$build/brindlewick_${version}_${arch}.deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >"$scratch/cpack.log" 2>&1) || {
    cat "$scratch/cpack.log" >&2
    echo "FAIL: cpack" >&2
    exit 1
}
[ -f "$deb" ] || {
    echo "FAIL: cpack made no $deb" >&2
    exit 1
}
pass "$(basename "$deb")"

echo "== lintian"
# No error, no warning and no hardening tag may be left (the build takes dpkg-buildflags' hardening
# flags). Other tags of the information level are shown, not counted:
#   binary-has-unneeded-section  CPack strips the debugging symbols but keeps the .comment section.
#   package-contains-documentation-outside-usr-share-doc  The help page is read by the program
#                   (Help, Quick Help), so it lives in /usr/share/brindlewick/help: an installation
#                   may leave /usr/share/doc out (dpkg path-exclude).
allowed_warnings=" "
lintian --display-info "$deb" >"$scratch/lintian.txt" 2>&1 || true
grep -v -e '^N:' -e 'running with root privileges' "$scratch/lintian.txt" || true
while read -r level _ tag _; do
    case "$level" in
    E:) fail "lintian error: $tag" ;;
    W:) [[ $allowed_warnings == *" $tag "* ]] || fail "lintian warning not explained: $tag" ;;
    esac
    if [[ $tag == hardening-* ]]; then fail "lintian: $tag"; fi
done < <(grep -E '^[EWI]: ' "$scratch/lintian.txt" || true)

echo "== the files of the package"
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/brindlewick usr/bin/brindlewick-cli usr/share/brindlewick/help/index.html \
    usr/share/applications/brindlewick.desktop usr/share/icons/hicolor/scalable/apps/brindlewick.svg \
    usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/brindlewick.png \
    usr/share/kio/servicemenus/brindlewick.desktop usr/share/Thunar/sendto/brindlewick.desktop \
    usr/share/nemo/actions/brindlewick.nemo_action \
    usr/share/metainfo/io.github.brindlewick.Brindlewick.metainfo.xml \
    usr/share/doc/brindlewick/copyright usr/share/doc/brindlewick/changelog.gz \
    usr/share/man/man1/brindlewick.1.gz usr/share/man/man1/brindlewick-cli.1.gz \
    usr/share/bash-completion/completions/brindlewick-cli usr/share/zsh/vendor-completions/_brindlewick-cli \
    usr/share/fish/vendor_completions.d/brindlewick-cli.fish \
    "usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/brindlewick/brindlewick-facts.so"; do
    [ -f "$root/$f" ] || fail "the package has no /$f"
done
for page in packaging/man/*.1; do
    [ -e "$page" ] || continue
    [ -f "$root/usr/share/man/man1/$(basename "$page").gz" ] || fail "the package has no manual page $page"
done
# The file manager entries name the installed window program.
grep -qxF 'Exec="/usr/bin/brindlewick" %F' "$root/usr/share/kio/servicemenus/brindlewick.desktop" ||
    fail "the service menu does not start /usr/bin/brindlewick"
grep -qxF 'Exec="/usr/bin/brindlewick" %F' "$root/usr/share/Thunar/sendto/brindlewick.desktop" ||
    fail "the Thunar entry does not start /usr/bin/brindlewick"
grep -qxF "Exec='/usr/bin/brindlewick' %F" "$root/usr/share/nemo/actions/brindlewick.nemo_action" ||
    fail "the Nemo action does not start /usr/bin/brindlewick"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libqt6svg6 libxml2 libicu libexiv2 libtag libpoppler-cpp libavformat; do
    [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
module="$root/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/brindlewick/brindlewick-facts.so"
if ldd "$root/usr/bin/brindlewick" "$root/usr/bin/brindlewick-cli" "$module" | grep -q 'not found'; then
    fail "a library of the programs is missing"
fi
[ "$failures" -eq 0 ] && pass "files, entries and Depends ($depends)"

echo "== desktop-file-validate and appstreamcli"
for f in usr/share/applications/brindlewick.desktop usr/share/Thunar/sendto/brindlewick.desktop; do
    out=$(desktop-file-validate "$root/$f" 2>&1) || true
    [ -z "$out" ] && pass "desktop-file-validate /$f" || fail "desktop-file-validate /$f: $out"
done
# A KDE service menu is Type=Service, for which the checker knows MimeType and Actions only as
# keys of applications: those two complaints are the format's, anything else counts.
out=$(desktop-file-validate "$root/usr/share/kio/servicemenus/brindlewick.desktop" 2>&1 |
    grep -v -e 'key "MimeType" is present in group "Desktop Entry", but the type is "Service"' \
        -e 'key "Actions" is present in group "Desktop Entry", but the type is "Service"') || true
[ -z "$out" ] && pass "desktop-file-validate /usr/share/kio/servicemenus/brindlewick.desktop" ||
    fail "desktop-file-validate service menu: $out"
if appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.brindlewick.Brindlewick.metainfo.xml"; then
    pass "appstreamcli validate --no-net"
else
    fail "appstreamcli validate --no-net"
fi
# The metainfo together with the desktop entry and the icons it names.
appstreamcli validate-tree --no-net "$root" >/dev/null && pass "appstreamcli validate-tree --no-net" ||
    fail "appstreamcli validate-tree --no-net"

echo "== the unpacked command-line program on a real folder"
cli="$root/usr/bin/brindlewick-cli"
work="$scratch/photos"
mkdir -p "$work" "$scratch/home"
for n in "IMG_0001.JPG" "Holiday Beach.JPG" "notes.TXT"; do
    printf '%s' "$n" >"$work/$n"
done
printf '<?xml version="1.0" encoding="ISO-8859-1" standalone="yes" ?>\r\n\r\n<brindlewick>\r\n  <jobs>\r\n    <job type="jobLower" modifier="0" int1="0" int2="0" str1="" str2="" />\r\n  </jobs>\r\n</brindlewick>\r\n' \
    >"$scratch/lower.xml"
run() { HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" "$cli" "$@"; }
listing() { (cd "$work" && ls -1); }
before=$(listing)
run --version | grep -q "Brindlewick v$version" || fail "brindlewick-cli --version"
simulated=$(run -j "$scratch/lower.xml" -n "$work") || fail "simulate exited $?"
[[ $simulated == *"Holiday Beach.JPG -> holiday beach.jpg"* && $simulated == *"IMG_0001.JPG -> img_0001.jpg"* ]] ||
    fail "simulation: $simulated"
[ "$(listing)" = "$before" ] || fail "the simulation changed the folder"
[ "$(run -n --lower "$work")" = "$simulated" ] || fail "the job given as an option simulates otherwise"
run -j "$scratch/lower.xml" -u -q "$work" || fail "run exited $?"
expected=$(printf '%s\n' _brindlewick_undo.txt "holiday beach.jpg" img_0001.jpg notes.txt)
[ "$(listing)" = "$expected" ] || fail "after the run: $(listing)"
[ "$(cat "$work/holiday beach.jpg")" = "Holiday Beach.JPG" ] || fail "a renamed file lost its bytes"
run --undo -q "$work" >/dev/null || fail "undo exited $?"
[ "$(listing)" = "$before" ] || fail "after the undo: $(listing)"
[ "$(ls -1 "$root/usr/bin")" = "$(printf '%s\n' brindlewick brindlewick-cli)" ] ||
    fail "the program wrote beside itself: $(ls -1 "$root/usr/bin")"
# A photo's camera make, read by the file facts module where the package puts it.
cp tests/data/meta/photo.jpg "$scratch/photo.jpg"
made=$(run --template '{make}' --preview "$scratch/photo.jpg" 2>&1) || fail "the camera make: $made"
[ "$made" = "$scratch/Brindle_Optics.jpg" ] || fail "the camera make: $made"
# A video's creation time, read through the libavformat the package depends on.
cp tests/data/meta/clip.mp4 "$scratch/clip.mp4"
made=$(run --template '{taken:%Y}' --preview "$scratch/clip.mp4" 2>&1) || fail "the video's date: $made"
[ "$made" = "$scratch/2023.mp4" ] || fail "the video's date: $made"
[ "$failures" -eq 0 ] && pass "simulate, run, undo and file facts with the unpacked brindlewick-cli"

if [ "$failures" -ne 0 ]; then
    echo "package test: $failures failed" >&2
    exit 1
fi
echo "package test: all checks passed"

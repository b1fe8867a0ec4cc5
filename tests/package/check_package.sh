#!/bin/sh
# Builds the Debian package from an existing build folder, unpacks it into a
# temporary root and checks what it installs: the desktop entry, the
# AppStream metadata, the manual pages, the icons and the programs.
#   check_package.sh BUILD_DIR
# Exit 77 (skipped) only when the Debian package tools are missing.
set -u
build=$1
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli man; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed (scripts/setup.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tracevu-package-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Packs what the build folder already holds; nothing is built again.
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
deb=$(ls "$work"/out/*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "FAIL: no .deb written"; exit 1; }
echo "package: $(basename "$deb")"
root=$work/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x"; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libpng16-16 libc6; do
  case $depends in
  *"$library"*) ;;
  *) fail "Depends lacks $library" ;;
  esac
done

entry=$root/usr/share/applications/tracevu.desktop
out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate failed"
[ -z "$out" ] || fail "desktop-file-validate: $out"
exec_line=$(grep '^Exec=' "$entry")
program=$(echo "$exec_line" | sed 's/^Exec=//; s/ .*//')
[ -x "$root/usr/bin/$program" ] || fail "the entry starts $program, which is not installed"

metainfo=$root/usr/share/metainfo/io.github.tracevu.metainfo.xml
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
grep -q '<screenshot' "$metainfo" || fail "the metainfo shows no screenshot"

for page in tracevu tracevu-cli; do
  file=$root/usr/share/man/man1/$page.1.gz
  [ -f "$file" ] || { fail "no manual page for $page"; continue; }
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$file" 2>&1 >/dev/null)
  [ -z "$out" ] || fail "man --warnings $page: $out"
  LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$file" 2>/dev/null | grep -q "^NAME" ||
    fail "the manual page of $page has no NAME section"
done

for size in 16 22 24 32 36 48 64 72 96 128 192 256 512; do
  icon=$root/usr/share/icons/hicolor/${size}x$size/apps/tracevu.png
  [ -f "$icon" ] || fail "no ${size}x$size icon"
done

for program in tracevu tracevu-cli tracevu-desktop; do
  [ -x "$root/usr/bin/$program" ] || fail "/usr/bin/$program is missing"
done
if help=$("$root/usr/bin/tracevu-cli" --help 2>&1); then
  case $help in
  "usage: tracevu-cli COMMAND"*) ;;
  *) fail "tracevu-cli --help printed: $help" ;;
  esac
else
  fail "tracevu-cli --help failed: $help"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "the package passes every check"

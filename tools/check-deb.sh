#!/usr/bin/env bash
# Installs the Debian package in a fresh, minimal Debian 12 made with debootstrap, as a user of
# Debian would install it, and tries it there: `zemtra --version` and `--help`, `man zemtra`, the
# desktop entry against the standard, and a short headless run. Run it by hand, as root: it
# downloads a base system and the package's dependencies (about 120 MB) from the Debian mirror
# that this machine's apt uses.
#   bash tools/check-deb.sh [PACKAGE.deb]     default: the newest build/zemtra_*.deb
# ZEMTRA_DEBIAN_MIRROR overrides the mirror; ZEMTRA_CHECK_KEEP=1 keeps the system for a look
# (its folder is printed).
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
  echo "check-deb: $*" >&2
  exit 1
}

[ "$(id -u)" -eq 0 ] || fail "run me as root (debootstrap and chroot need it)"
package=${1:-$(ls -t build/zemtra_*.deb 2>/dev/null | head -n 1)}
[ -n "$package" ] && [ -f "$package" ] ||
  fail "no package; make one with: (cd build && cpack -G DEB)"
package=$(realpath "$package")

if ! command -v debootstrap >/dev/null; then
  echo "check-deb: installing debootstrap"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
fi

# This machine's apt sources, in either of apt's two formats.
sources() {
  local file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ ! -f "$file" ] || grep -v -E "^[[:space:]]*#" "$file" || true
  done
}
# The first Debian archive named there (not the security one).
configured_mirror() {
  sources |
    awk '$1 == "URIs:" { for (i = 2; i <= NF; i++) print $i }
         $1 == "deb" { for (i = 2; i <= NF; i++) if ($i !~ /^\[/ && $i !~ /\]$/) { print $i; break } }' |
    grep -E '/debian/?$' | head -n 1 || true
}
mirror=${ZEMTRA_DEBIAN_MIRROR:-$(configured_mirror)}
mirror=${mirror:-http://deb.debian.org/debian}
security=$(sources | grep -o -E 'https?://[^ ]*/debian-security/?' | head -n 1 || true)

root=$(mktemp -d /var/tmp/zemtra-debian12-XXXXXX)
chmod 755 "$root"  # apt fetches as its own user, which must reach every folder
# Unmounts what was mounted inside the system and removes it, never crossing into a file system
# still mounted there.
cleanup() {
  local status=$?
  for point in dev/pts dev proc sys; do
    mountpoint -q "$root/$point" 2>/dev/null && umount -l "$root/$point"
  done
  if [ "${ZEMTRA_CHECK_KEEP:-}" = 1 ]; then
    echo "check-deb: the system is kept in $root"
  elif ! grep -q " $root/" /proc/mounts; then
    rm -rf --one-file-system "$root"
  fi
  exit $status
}
trap cleanup EXIT

echo "check-deb: making a minimal Debian 12 in $root from $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
  { tail -n 20 "$root.log" >&2; fail "debootstrap failed (whole log: $root.log)"; }
rm -f "$root.log"
{
  echo "deb $mirror bookworm main"
  echo "deb $mirror bookworm-updates main"
  [ -z "$security" ] || echo "deb $security bookworm-security main"
} >"$root/etc/apt/sources.list"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t sysfs sys "$root/sys"
cp "$package" "$root/tmp/"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

# A command in the new system with a plain environment, as a login shell there would have it.
in_system() {
  chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    TERM=dumb DEBIAN_FRONTEND=noninteractive "$@"
}

echo "check-deb: apt install ./$(basename "$package") (Depends only, no recommended packages)"
in_system apt-get update -qq
before=$(in_system dpkg-query -W -f='.\n' | wc -l)
in_system sh -c "cd /tmp && apt install -y -q --no-install-recommends ./$(basename "$package")" \
  >"$root/tmp/apt.log" 2>&1 || { cat "$root/tmp/apt.log" >&2; fail "apt install failed"; }
after=$(in_system dpkg-query -W -f='.\n' | wc -l)
echo "check-deb: installed zemtra and $((after - before - 1)) packages it depends on"
grep -E '^(Need to get|After this operation)' "$root/tmp/apt.log" || true

echo "--- zemtra --version"
in_system zemtra --version
echo "--- zemtra --help"
in_system zemtra --help

echo "--- a headless run: switch on, wait a simulated minute, quit"
printf 'tap label1\nwait 60000\nquit\n' >"$root/tmp/run.txt"
status=0
in_system sh -c 'cd /tmp && zemtra --headless --clock virtual --sensors sim --speech none \
  --data /tmp/zemtra-data --script /tmp/run.txt >/tmp/run.out 2>/tmp/run.err' || status=$?
echo "exit status $status; standard output:"
cat "$root/tmp/run.out"
echo "standard error ($(wc -c <"$root/tmp/run.err") bytes):"
cat "$root/tmp/run.err"
records=$(($(wc -l <"$root/tmp/zemtra-data/WordLog.txt") - 1))
echo "WordLog.txt: $records word records"
[ "$status" -eq 0 ] || fail "the headless run ended with status $status"
[ "$records" -gt 0 ] || fail "the headless run spoke no word"

# The tools to look at the man page and the desktop entry come after the program, so that the
# program's own run above had nothing but its Depends.
in_system apt-get install -y -qq --no-install-recommends man-db desktop-file-utils \
  >"$root/tmp/apt-tools.log" 2>&1 || { cat "$root/tmp/apt-tools.log" >&2; fail "cannot install man-db"; }
echo "--- man zemtra (the first lines; warnings would follow)"
in_system sh -c 'MANWIDTH=80 man --warnings zemtra 2>/tmp/man.err >/tmp/man.out'
head -n 12 "$root/tmp/man.out"
echo "... $(wc -l <"$root/tmp/man.out") lines"
[ ! -s "$root/tmp/man.err" ] || { cat "$root/tmp/man.err" >&2; fail "man zemtra warned"; }
echo "--- desktop-file-validate /usr/share/applications/zemtra.desktop"
in_system desktop-file-validate /usr/share/applications/zemtra.desktop
echo "valid"

echo "check-deb: package $(basename "$package"), $(stat -c %s "$package") bytes"
echo "check-deb: $(dpkg-deb -f "$package" Depends | sed 's/^/Depends: /')"
echo "check-deb: every check passed"

#!/bin/sh
# The package installed as a user installs it: into a fresh Debian 12 system
# (a minimal debootstrap root in a temporary folder) that has never seen the
# project, with apt pulling only what the package depends on. Then, as an
# ordinary user: the desktop entry's command opens the window on a new
# database in the user's data folder; races, new-race, rules, importing a
# real race's entries and times and exporting its standings on that same
# database, which must match the published standings place for place; and
# removing the package leaves the user's data.
#
#   install_test.sh BUILD_DIR SOURCE_DIR
#
# Needs root or sudo with no password (debootstrap, chroot) and Debian's
# mirror. Skipped (77) without them, without the package (the make_package
# test makes it) or with KVR_SKIP_INSTALL_TEST=1.
set -eu
build=$1
src=$2
race=cupar_5_2025
races="$src/../shared/data/real-races"

skip() { echo "$1"; exit 77; }
[ "${KVR_SKIP_INSTALL_TEST:-}" != 1 ] || skip "KVR_SKIP_INSTALL_TEST=1"
deb=$(ls "$build"/kelvora_*_amd64.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || skip "no package in $build: make package"
if [ "$(id -u)" != 0 ]; then
    # As the set-up script does: through sudo when it asks no password.
    sudo -n true 2>/dev/null || skip "installing into a new system needs root or sudo"
    exec sudo -n sh "$0" "$@"
fi
command -v debootstrap >/dev/null 2>&1 || skip "debootstrap is not installed"
command -v unshare >/dev/null 2>&1 || skip "unshare is not installed"
[ -f "$races/${race}_entries.tsv" ] || skip "the real race files are not on this machine"
# The mirror and apt settings this machine uses (a Debian 12 like the new
# system), so that a proxy or a local mirror serves the new system too.
mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | grep -v security | head -n 1)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $3 ~ /^bookworm$/ { print $2; exit }' /etc/apt/sources.list 2>/dev/null)
[ -n "$mirror" ] || mirror=http://deb.debian.org/debian
host=$(echo "$mirror" | sed 's|^[a-z]*://\([^/:]*\).*|\1|')
[ -n "${http_proxy:-}" ] || getent hosts "$host" >/dev/null 2>&1 || skip "Debian's mirror $host cannot be reached"

work=$(mktemp -d "${TMPDIR:-/tmp}/kvr-install.XXXXXX")
root="$work/root"
cleanup() {
    # Everything mounted inside the root belongs to the private mount
    # namespace below and is gone with it; never remove through a mount.
    if grep -q " $root/" /proc/self/mounts; then
        echo "still mounted under $root; left in place"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

# Debian's packages already downloaded on this machine are offered as a
# cache (hard links, checked against the archive's checksums like any
# download); whatever is missing comes from the mirror.
mkdir -p "$root/var/cache/apt/archives"
cp -l /var/cache/apt/archives/*.deb "$root/var/cache/apt/archives/" 2>/dev/null || true

echo "debootstrap bookworm (minbase)"
if ! debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1; then
    tail -n 20 "$work/debootstrap.log"
    exit 1
fi

# Debian's own sources of this machine (updates and security included);
# other repositories it may have are left out.
mv "$root/etc/apt/sources.list" "$work/debootstrap.list"
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list; do
    if [ -f "$f" ] && grep -q "$host" "$f"; then cp "$f" "$root$f"; fi
done
[ -n "$(ls "$root"/etc/apt/sources.list "$root"/etc/apt/sources.list.d/* 2>/dev/null)" ] ||
    mv "$work/debootstrap.list" "$root/etc/apt/sources.list"
for f in /etc/apt/apt.conf.d/*; do
    if grep -qiE 'Proxy|Check-Valid-Until|Check-Date' "$f" 2>/dev/null; then cp "$f" "$root/etc/apt/apt.conf.d/"; fi
done
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
mkdir -p "$root/tmp/kvr"
cp "$deb" "$root/tmp/kvr/"
cp "$races/${race}_entries.tsv" "$races/${race}_rawtimes.tsv" "$races/${race}_overall.csv" "$root/tmp/kvr/"
cp "$src/tests/data/realrace_categories.csv" "$root/tmp/kvr/categories.csv"

cat >"$root/tmp/kvr/steps.sh" <<'EOF'
set -eu
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
fail() { echo "FAIL: $1"; exit 1; }
cd /tmp/kvr

apt-get update -q >/dev/null
# What a user's apt would install, recommended packages included: no
# compiler, no development package.
apt-get install -s -q ./kelvora_*_amd64.deb >plan.log 2>&1 || { tail -n 20 plan.log; fail "apt-get install -s"; }
tools=$(sed -n 's/^Inst \([^ :]*\).*/\1/p' plan.log | grep -E '^(gcc|g\+\+|cpp|clang|cmake|make)(-[0-9.]+)?$|-dev$' || true)
[ -z "$tools" ] || fail "the package pulls a compiler or development package: $tools"
# Installed with its dependencies alone, so that everything below proves
# they are enough.
apt-get install -y -q --no-install-recommends ./kelvora_*_amd64.deb >apt.log 2>&1 || { tail -n 20 apt.log; fail "apt-get install"; }
grep -E 'newly installed' apt.log
command -v kelvora >/dev/null || fail "no kelvora on PATH"
! fc-match sans-serif | grep -q Mono || fail "the window's sans-serif font is a monospace one: $(fc-match sans-serif)"

# Only for this test's screen, not the program's.
apt-get install -y -q --no-install-recommends xvfb xauth xdotool >/dev/null 2>&1 || fail "apt-get install xvfb"

useradd -m volonter
data=/home/volonter/.local/share/kelvora
as_user() { runuser -u volonter -- env HOME=/home/volonter LANG=C.UTF-8 "$@"; }

# A click on the desktop entry: its command, on a display.
command=$(sed -n 's/^Exec=//p' /usr/share/applications/kelvora.desktop | sed 's/ %[fFuU]//')
[ -n "$command" ] || fail "no Exec in the desktop entry"
cat >window.sh <<WINDOW
$command &
pid=\$!
for i in \$(seq 1 60); do
    [ -f $data/kvr.mdb ] && xdotool search --onlyvisible --name Kelvora >/dev/null 2>&1 && break
    sleep 0.5
done
sleep 2
alive=no
kill -0 \$pid 2>/dev/null && alive=yes
kill \$pid 2>/dev/null || true
wait \$pid 2>/dev/null || true
echo "window alive: \$alive"
WINDOW
as_user xvfb-run -a -s "-screen 0 1366x768x24" sh window.sh >window.log 2>&1 || true
cat window.log
grep -q 'window alive: yes' window.log || fail "the window did not stay open"
[ -f $data/kvr.mdb ] || fail "the window made no $data/kvr.mdb"

# The command line on the same default database.
as_user kelvora races >races.log 2>&1 || { cat races.log; fail "kelvora races"; }
id=$(as_user kelvora new-race --name "Probna utrka" --org "Klub" --date 15.6.2025) || fail "kelvora new-race"
as_user kelvora rules --race "$id" --categories categories.csv >/dev/null || fail "kelvora rules"
as_user kelvora import-entries --race "$id" *_entries.tsv --columns startni_broj,ime,prezime,klub,kategorija \
    --default drzava=GBR --default klub=Unattached --cut-long | tail -n 2 || fail "kelvora import-entries"
as_user kelvora import-times --race "$id" *_rawtimes.tsv | tail -n 2 || fail "kelvora import-times"
as_user kelvora export --race "$id" --list standings --format csv --out /home/volonter/poredak.csv || fail "kelvora export"
as_user kelvora races | grep -q "Probna utrka" || fail "the new race is not in the user's database"
# Place, number and time of every finisher, as published.
awk -F, 'NR > 1 { print $1 ";" $2 ";" $NF }' *_overall.csv | tr -d '\r' >published.txt
sed 1d /home/volonter/poredak.csv | awk -F';' '{ print $1 ";" $2 ";" $NF }' | tr -d '\r' >exported.txt
[ -s exported.txt ] || fail "the standings are empty"
diff published.txt exported.txt >standings.diff || { head -n 20 standings.diff; fail "the standings differ from the published ones"; }
echo "standings: $(wc -l <exported.txt) finishers as published"

apt-get remove -y -q kelvora >/dev/null 2>&1 || fail "apt-get remove"
[ ! -e /usr/bin/kelvora ] || fail "/usr/bin/kelvora is still there"
[ -f $data/kvr.mdb ] || fail "removing the package removed the user's data"
echo "installed, used and removed; the user's data stays"
EOF

# A private mount and process namespace: /proc and /dev/shm inside the root
# vanish with it, and so does every process started there.
unshare --mount --pid --fork --propagation private sh -c '
    set -e
    mount -t proc proc "$1/proc"
    mount -t tmpfs tmpfs "$1/dev/shm" 2>/dev/null || { mkdir -p "$1/dev/shm"; mount -t tmpfs tmpfs "$1/dev/shm"; }
    chroot "$1" /bin/sh /tmp/kvr/steps.sh
' sh "$root"

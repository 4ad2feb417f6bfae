#!/bin/sh
# The Debian package checked as the distribution checks its own: lintian
# reports no error and no missing hardening (warnings are printed). Skipped
# (77) when the package has not been made (make package) or lintian is missing.
deb=$(ls "$1"/kelvora_*_amd64.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "no package in $1: make package"; exit 77; }
command -v lintian >/dev/null 2>&1 || { echo "lintian is not installed"; exit 77; }
dpkg-deb -c "$deb" | grep -q ' ./usr/bin/kelvora$' || { echo "no /usr/bin/kelvora in $deb"; exit 1; }
for f in usr/share/applications/kelvora.desktop usr/share/man/man1/kelvora.1.gz \
         usr/share/bash-completion/completions/kelvora usr/share/doc/kelvora/copyright \
         usr/share/icons/hicolor/scalable/apps/kelvora.svg usr/share/icons/hicolor/48x48/apps/kelvora.png; do
  dpkg-deb -c "$deb" | grep -q " ./$f\$" || { echo "missing in the package: /$f"; exit 1; }
done
report=$(lintian --allow-root -I "$deb" 2>&1)
echo "$report"
if echo "$report" | grep -q '^E: '; then exit 1; fi
# Built with the distribution's hardening (see CMakeLists.txt).
if echo "$report" | grep -q 'hardening-'; then exit 1; fi
exit 0

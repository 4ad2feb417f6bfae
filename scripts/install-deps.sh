#!/bin/sh
# Installs the Debian packages the build and the tests need, if any is missing.
# The live results need Qt's HTTP server (its CMake files ask for Qt
# WebSockets' too), libqrencode (the QR code of their address) and zlib (pages
# sent compressed); their tests load the pages in Chromium, headless. ICU's
# headers give the start list its Croatian sort keys as bytes. libpq's headers
# let the program cut a connection to a server that stopped answering.
# The Debian package: its icons drawn from their SVG (librsvg2-bin), checked
# by lintian; its install test makes a fresh Debian 12 with debootstrap and
# starts the window there under Xvfb.
set -e
packages="build-essential make cmake qt6-base-dev qt6-translations-l10n libcups2-dev libqt6sql6-sqlite libsqlite3-dev libqt6sql6-psql libpq-dev postgresql fonts-liberation poppler-utils qt6-httpserver-dev qt6-websockets-dev libqrencode-dev libicu-dev zlib1g-dev pkg-config chromium librsvg2-bin lintian xvfb xauth debootstrap"
missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing

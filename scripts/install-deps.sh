#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test and benchmark Diskwright.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
  build-essential cmake ninja-build ccache pkg-config \
  qt6-base-dev qt6-svg-dev qt6-translations-l10n adwaita-icon-theme fonts-dejavu-core zlib1g-dev libxxhash-dev libglib2.0-dev shared-mime-info \
  libgtest-dev googletest \
  xvfb trash-cli btrfs-progs dbus \
  debhelper dpkg-dev fakeroot lintian appstream desktop-file-utils >/dev/null

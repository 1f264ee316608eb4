#!/usr/bin/env bash
# Builds the Debian package from the files git knows (the work tree's build
# folders stay out), checks it with lintian and validates the desktop metadata.
# The package lands in dist/.
set -euo pipefail
cd "$(dirname "$0")/.."
desktop-file-validate resources/org.quillbay.Diskwright.desktop
appstreamcli validate --no-net resources/org.quillbay.Diskwright.metainfo.xml

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/diskwright"
git ls-files -z | xargs -0 cp --parents -t "$work/diskwright"
(cd "$work/diskwright" && dpkg-buildpackage -b -us -uc -j"$(nproc)")
lintian --fail-on error --info "$work"/diskwright_*.changes
mkdir -p dist
rm -f dist/diskwright_*.deb
cp "$work"/diskwright_*.deb dist/
ls -l dist/

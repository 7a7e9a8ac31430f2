#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it as a distribution would: the menu entry,
# the AppStream metainfo, lintian (no errors, no warnings) and both manual pages; and that it
# depends on Qt's Wayland platform plugin.
# Usage: check_deb.sh BUILD_DIR. Exit 77 (skipped) where a checker is missing.
set -euo pipefail
build=$1
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli lintian man; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool not installed" >&2; exit 77; }
done
rm -rf "$build/packages"
cpack --config "$build/CPackConfig.cmake" -B "$build/packages" >/dev/null
deb=$(echo "$build"/packages/nudgeboard_*.deb)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"

# The platform plugins are loaded at run time, so no library's dependency brings the Wayland one.
depends=$(dpkg-deb -f "$deb" Depends)
[[ ", $depends," == *", qt6-wayland,"* ]] ||
    { echo "the package does not depend on qt6-wayland: $depends" >&2; exit 1; }
desktop-file-validate "$tmp"/usr/share/applications/org.nudgeboard.Nudgeboard.desktop
appstreamcli validate --no-net "$tmp"/usr/share/metainfo/org.nudgeboard.Nudgeboard.metainfo.xml
findings=$(lintian --fail-on error,warning "$deb" 2>&1) || { echo "lintian: $findings" >&2; exit 1; }
for page in "$tmp"/usr/share/man/man6/nudgeboard.6.gz "$tmp"/usr/share/man/man6/nudgeboard-solve.6.gz; do
    warnings=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$(basename "$page"): $warnings" >&2; exit 1; }
    LC_ALL=C.UTF-8 man -E UTF-8 -l "$page" 2>/dev/null | grep -q "EXIT STATUS" ||
        { echo "$(basename "$page") renders without its sections" >&2; exit 1; }
done
echo "checked $(basename "$deb")"

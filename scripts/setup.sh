#!/bin/sh
# Installs what the build and the tests need on a Debian machine, once: it only
# touches the package manager when something is missing. Runs as root or
# through sudo.
set -eu
here=$(cd "$(dirname "$0")" && pwd)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=""
for pkg in $(grep -v '^#' "$here/packages.txt"); do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    case "$status" in
    *"ok installed"*) ;;
    *) missing="$missing $pkg" ;;
    esac
done
[ -n "$missing" ] || exit 0

echo "setup: installing$missing"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
as_root apt-get update -q
# shellcheck disable=SC2086
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing

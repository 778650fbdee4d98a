#!/bin/sh
# Makes the release packages in build/dist (or DIR):
#   orvi-wintools-V-win32.zip          the Windows deliverables and
#                                      README.txt (CR LF), at the top level
#   orvi-wintools-V-linux-ARCH.tar.gz  the native tools and their manual
#                                      pages, in orvi-wintools-V/
#   orvi-wintools_V_DEBARCH.deb        the same as a Debian package, in /usr,
#                                      with the files of packaging/
#   SHA256SUMS                         of the three
# V is the project version (project() in CMakeLists.txt).
#
#   sh scripts/package.sh [--check] [DIR]
#
# What each package holds is what the deliverables' declarations install
# (orvi_deliverable in each tool's CMakeLists.txt); only the Debian
# description below is prose, to be kept in step by hand.
#
# The files git tracks are copied to a scratch tree beside DIR (DIR.work),
# built there without the tests, and installed stripped (the native programs
# of their .comment section too). Every time stamp is the last commit's,
# owners and modes are fixed and members sorted, so one commit gives the same
# bytes wherever it is built. --check builds everything a second time in
# another directory and fails unless both agree bit for bit.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
check=false
if [ "${1:-}" = --check ]; then
    check=true
    shift
fi
dist=${1:-$root/build/dist}
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
work="$dist.work"

SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
TZ=UTC
LC_ALL=C
export SOURCE_DATE_EPOCH TZ LC_ALL
umask 022

# build_tree TOP PRESET: configures, builds and installs one preset of the
# sources in TOP/src into TOP/PRESET-root. The build is an ordinary one, which
# must be reproducible by itself (the linker would take its PE time stamp from
# SOURCE_DATE_EPOCH); stripping writes that time stamp anew and takes the
# commit's.
build_tree() {
    (cd "$1/src" && env -u SOURCE_DATE_EPOCH cmake --preset "$2" -B "$1/$2" -DORVI_TESTS=OFF) >/dev/null
    env -u SOURCE_DATE_EPOCH cmake --build "$1/$2" >/dev/null
    cmake --install "$1/$2" --strip --prefix "$1/$2-root" >/dev/null
}

# stamp DIR: the commit's time on everything in DIR.
stamp() {
    find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

make_zip() { # TOP NAME
    mkdir "$1/zip"
    cp "$1/win32-root/bin/"*.exe "$1/win32-root/bin/"*.dll "$1/win32-root/README.txt" "$1/zip/"
    stamp "$1/zip"
    (cd "$1/zip" && ls | zip -X -D -q -9 -@ "$1/dist/$2-win32.zip")
}

make_tarball() { # TOP NAME
    mkdir "$1/tar"
    cp -R "$1/native-root" "$1/tar/$2"
    stamp "$1/tar"
    tar -C "$1/tar" --sort=name --owner=0 --group=0 --numeric-owner --format=gnu -cf - "$2" |
        gzip -9n >"$1/dist/$2-linux-$(uname -m).tar.gz"
}

# The runtime dependencies are what dpkg-shlibdeps finds the tools need; it
# wants a source package's control file to work in. The copyright file, the
# changelog and lintian's overrides come from packaging/.
make_deb() { # TOP VERSION
    deb="$1/deb"
    doc="$deb/usr/share/doc/orvi-wintools"
    arch=$(dpkg --print-architecture)
    mkdir -p "$deb/DEBIAN" "$1/debian"
    cp -R "$1/native-root" "$deb/usr"
    gzip -9n "$deb/usr/share/man/man1/"*.1
    logged=$(dpkg-parsechangelog -l "$1/src/packaging/changelog" -S Version)
    if [ "$logged" != "$2" ]; then
        echo "package: packaging/changelog has no entry for $2 at its top (it has $logged)" >&2
        exit 1
    fi
    mkdir -p "$doc" "$deb/usr/share/lintian/overrides"
    cp "$1/src/packaging/copyright" "$doc/"
    gzip -9n <"$1/src/packaging/changelog" >"$doc/changelog.gz"
    cp "$1/src/packaging/lintian-overrides" "$deb/usr/share/lintian/overrides/orvi-wintools"
    printf 'Source: orvi-wintools\n\nPackage: orvi-wintools\nArchitecture: any\n' >"$1/debian/control"
    depends=$(cd "$1" && dpkg-shlibdeps -O "$deb/usr/bin/"* | sed -n 's/^shlibs:Depends=//p')
    size=$(find "$deb/usr" -type f -printf '%s\n' | awk '{ k += int(($1 + 1023) / 1024) } END { print k }')
    (cd "$deb" && find usr -type f | sort | xargs md5sum) >"$deb/DEBIAN/md5sums"
    cat >"$deb/DEBIAN/control" <<EOF
Package: orvi-wintools
Version: $2
Architecture: $arch
Maintainer: Orvi wintools maintainers
Installed-Size: $size
Depends: $depends
Section: utils
Priority: optional
Description: pager for highlighted listings, RTF and web page filters, UTF-16 printer
 The portable tools of the Orvi test suite's Windows support tools, built for
 Linux: glimpage pages text files with highlighted regions on a terminal, or
 writes them as overstruck text; glimrtf turns overstruck text into an RTF
 document, glimhtml into a web page; wideconv prints UTF-16LE text files in
 the locale's character set.
EOF
    stamp "$deb"
    dpkg-deb --root-owner-group -Zgzip -z9 --build "$deb" "$1/dist/orvi-wintools_$2_$arch.deb" >/dev/null
}

# build_packages TOP [SOURCES]: the whole release, made in TOP from a copy of
# the files git tracks or of the tree SOURCES; the packages in TOP/dist.
build_packages() {
    rm -rf "$1"
    mkdir -p "$1/src" "$1/dist"
    if [ $# -gt 1 ]; then
        cp -R "$2/." "$1/src"
    else
        (cd "$root" && git ls-files -z | tar --null -T - -cf -) | tar -xf - -C "$1/src"
    fi
    build_tree "$1" win32
    build_tree "$1" native
    # .comment holds the compilers' names and versions, of no use to the
    # programs; the packages leave it out.
    strip --remove-section=.comment "$1/native-root/bin/"*
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/native/CMakeCache.txt")
    make_zip "$1" "orvi-wintools-$version"
    make_tarball "$1" "orvi-wintools-$version"
    make_deb "$1" "$version"
    (cd "$1/dist" && sha256sum -- *.zip *.tar.gz *.deb >SHA256SUMS)
}

rm -rf "$work"
build_packages "$work/release"
if $check; then
    build_packages "$work/second-build" "$work/release/src"
    # The packages, and the deliverables as built (before stripping).
    for file in $(cd "$work/release" && echo dist/* win32/bin/* native/bin/*); do
        if ! cmp -s "$work/release/$file" "$work/second-build/$file"; then
            echo "package: two builds of the same sources differ: $file" >&2
            check=failed
        fi
    done
    [ $check = true ] || exit 1
    echo "package: two builds in two directories agree bit for bit"
fi
rm -f "$dist"/orvi-wintools[-_]* "$dist/SHA256SUMS"
cp "$work/release/dist/"* "$dist/"
rm -rf "$work"
ls -l "$dist"

#!/bin/bash
# make package: builds the Debian packages of debian/ from a copy of the work
# tree (committed and new files, as git sees them) in build/debian/, so that
# dpkg-buildpackage's output lands there and not beside the checkout. Then
# lintian must report no error and no warning, appstreamcli and
# desktop-file-validate must accept the metadata and the menu entry. The
# debug symbol packages go to build/debian/dbgsym/.
# Usage: build-packages.sh VERSION MAINTAINER HOMEPAGE
set -euo pipefail
version=$1
export KESTREL_MAINTAINER=$2 KESTREL_HOMEPAGE=$3
cd "$(dirname "$0")/.."
out=$PWD/build/debian
tree=$out/kestrel-$version
rm -rf "$out"
mkdir -p "$tree"
git ls-files -z --cached --others --exclude-standard |
    tar -c --null -T - --ignore-failed-read 2>/dev/null | tar -x -C "$tree"

# debhelper gives the build a HOME of its own; ccache keeps the developer's
# cache and settings, so a second package build compiles only what changed.
if command -v ccache >/dev/null; then
    export CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
    for config in "${XDG_CONFIG_HOME:-$HOME/.config}/ccache/ccache.conf" "$HOME/.ccache/ccache.conf"; do
        [[ -z ${CCACHE_CONFIGPATH-} && -f $config ]] && export CCACHE_CONFIGPATH=$config
    done
fi
# As many compile jobs as processors, unless the caller chose.
export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-parallel=$(nproc)}
(cd "$tree" && dpkg-buildpackage -b -us -uc -m"$KESTREL_MAINTAINER")

changes=$(ls "$out"/kestrel_"$version"_*.changes)
echo "lintian:"
lintian -I --fail-on error,warning "$changes"
echo "appstreamcli:"
for deb in "$out"/*_"$version"_*.deb; do
    [[ $deb == *-dbgsym_* ]] || dpkg-deb -x "$deb" "$out/root"
done
appstreamcli validate --no-net "$out"/root/usr/share/metainfo/*.metainfo.xml
desktop-file-validate "$out"/root/usr/share/applications/kestrel.desktop
echo "python3 -c 'import kestrel' from the package:"
(cd / && PYTHONPATH=$out/root/usr/lib/python3/dist-packages python3 -c \
    'import kestrel; print(kestrel.__file__)')
# The debug symbols apart, so that build/debian/*.deb is what a line PC installs.
mkdir -p "$out/dbgsym"
mv "$out"/*-dbgsym_*.deb "$out/dbgsym/"
for deb in "$out"/*.deb; do
    echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"
done
# The line PC's packages pull no graphical library.
for deb in "$out"/kestrelctl_*.deb "$out"/kestrel-camsim_*.deb "$out"/python3-kestrel_*.deb; do
    if dpkg-deb -f "$deb" Depends | grep -Eq 'libqt6(gui|widgets)|libgl'; then
        echo "$(basename "$deb") depends on graphical libraries" >&2
        exit 1
    fi
done

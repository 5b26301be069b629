#!/bin/bash
# `cmake --install` into a fresh prefix holds the programs, the manual pages,
# the desktop entry with its icon and metadata and kestrelctl's completion,
# and what it installed runs.
# Usage: install_tree_test.sh BUILD_DIR VERSION
set -u
build=$1 version=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failed=0

missing() {
    echo "$1" >&2
    failed=1
}

cmake --install "$build" --prefix "$prefix" >/dev/null || exit 1

for program in kestrel kestrelctl kestrel-camsim; do
    [[ -x $prefix/bin/$program ]] || missing "bin/$program is missing"
done
for page in kestrel kestrelctl kestrel-camsim; do
    file=$prefix/share/man/man1/$page.1
    grep -q "^\.TH .*\"Kestrel $version\"" "$file" 2>/dev/null ||
        missing "share/man/man1/$page.1 is missing or does not carry version $version"
done
desktop=$prefix/share/applications/kestrel.desktop
grep -qx 'Exec=kestrel' "$desktop" 2>/dev/null || missing "the desktop entry does not start kestrel"
grep -qx 'Icon=kestrel' "$desktop" 2>/dev/null || missing "the desktop entry names no kestrel icon"
for icon in 16x16/apps/kestrel.png 256x256/apps/kestrel.png scalable/apps/kestrel.svg; do
  [[ -f $prefix/share/icons/hicolor/$icon ]] || missing "the icon $icon is missing"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || missing "desktop-file-validate rejects the desktop entry"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml >/dev/null ||
        missing "appstreamcli rejects the AppStream metadata"
fi
# The packages' dependencies come from what the programs link: kestrelctl
# runs on QtCore alone and the simulator without Qt, so neither pulls the
# GUI libraries onto a headless line PC.
needed() { objdump -p "$1" | awk '$1 == "NEEDED" { print $2 }'; }
! needed "$prefix/bin/kestrelctl" | grep -E 'libQt6(Gui|Widgets)' ||
    missing "kestrelctl links Qt's GUI libraries"
! needed "$prefix/bin/kestrel-camsim" | grep libQt6 || missing "kestrel-camsim links Qt"
completion=$prefix/share/bash-completion/completions/kestrelctl
bash -n "$completion" 2>/dev/null || missing "the completion file is missing or not valid bash"
grep -q 'complete -F _kestrelctl kestrelctl' "$completion" 2>/dev/null ||
    missing "the completion file does not complete kestrelctl"

# The installed programs run from the prefix.
[[ $("$prefix/bin/kestrelctl" --version) == "kestrelctl $version" ]] ||
    missing "the installed kestrelctl does not print its version"
[[ $("$prefix/bin/kestrel-camsim" --version) == "kestrel-camsim $version" ]] ||
    missing "the installed kestrel-camsim does not print its version"
exit $failed

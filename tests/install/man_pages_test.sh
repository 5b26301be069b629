#!/bin/bash
# Every command and option the programs' --help lists is described in their
# manual pages, so a new command or option cannot ship undocumented.
# Usage: man_pages_test.sh MAN_SOURCE_DIR KESTRELCTL KESTREL_CAMSIM [KESTREL]
set -u
man_dir=$1 kestrelctl=$2 camsim=$3 kestrel=${4-}
failed=0

missing() {
    echo "$1" >&2
    failed=1
}

# kestrelctl's commands: the first word of each line of the "commands:" list;
# each has an entry of its own (.TP, then .B or .BI with the name first).
commands=$("$kestrelctl" --help |
    awk '/^commands:/ { on = 1; next } on && /^$/ { exit } on && /^  [a-z]/ { print $1 }')
[[ -n $commands ]] || missing "kestrelctl --help lists no commands"
for name in $commands; do
    pattern="^\.BI? \"?${name//-/\\\\-}( |\"|$)"
    grep -Eq "$pattern" "$man_dir/kestrelctl.1" ||
        missing "kestrelctl.1 does not describe the command $name"
done

# Every long option of each program, written \-\-name in the page.
check_options() {
    local page=$1 help=$2 option
    for option in $(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
        grep -qF -- "${option//-/\\-}" "$man_dir/$page" ||
            missing "$page does not describe $option"
    done
}
check_options kestrelctl.1 "$("$kestrelctl" --help)"
check_options kestrel-camsim.1 "$("$camsim" --help)"
if [[ -n $kestrel ]]; then
    # Without a display: --help is answered before the window system is opened.
    help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$kestrel" --help) ||
        missing "kestrel --help fails without a display"
    check_options kestrel.1 "$help"
fi

# The pages render without warnings where man is installed.
if command -v man >/dev/null; then
    for page in "$man_dir"/*.1; do
        warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [[ -z $warnings ]] || missing "$(basename "$page"): $warnings"
    done
fi
exit $failed

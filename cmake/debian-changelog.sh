#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes CHANGELOG.md in the Debian changelog form, which is what a native package's
# changelog.gz must hold: one entry per release, newest first, its groups and items
# indented below it. An "Unreleased" section is left out.
# Usage: debian-changelog.sh CHANGELOG.md PACKAGE "NAME <ADDRESS>"
set -eu
awk -v package="$2" -v maintainer="$3" '
function close_entry() {
    if (!open) return
    cmd = "date -u -R -d " release_date
    stamp = ""
    if ((cmd | getline stamp) <= 0 || stamp == "") { print "bad release date " release_date > "/dev/stderr"; exit 1 }
    close(cmd)
    printf "\n -- %s  %s\n\n", maintainer, stamp
    open = 0
}
/^## \[[0-9]/ {
    close_entry()
    if (!match($0, /^## \[[^]]+\] - [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$/)) {
        print "release heading without a date: " $0 > "/dev/stderr"; exit 1
    }
    version = substr($0, 5); sub(/\].*/, "", version)
    release_date = substr($0, length($0) - 9)
    printf "%s (%s) unstable; urgency=medium\n", package, version
    open = 1; groups = 0; entries++
    next
}
/^## / { close_entry(); next }
!open { next }
/^### / { printf "%s  %s:\n", (groups++ ? "\n" : "\n"), substr($0, 5); next }
/^- / { printf "  * %s\n", substr($0, 3); next }
/^  [^ ]/ { printf "    %s\n", substr($0, 3); next }
/^[ \t]*$/ { next }
{ printf "  %s\n", $0 }
END {
    close_entry()
    if (!entries) { print "no release in the change log" > "/dev/stderr"; exit 1 }
}
' "$1"

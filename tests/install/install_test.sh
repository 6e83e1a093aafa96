#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary prefix, checks what lands where, and starts the
# installed program offscreen against the installed simulator: it must identify the
# sensor (echo, firmware, hardware information) and end cleanly on SIGTERM. The
# documentation and the manual pages must be where man and a package expect them.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d /tmp/mq-install-XXXXXX)
sim=
app=
cleanup() {
    [ -n "$app" ] && kill -KILL "$app" 2>/dev/null || true
    [ -n "$sim" ] && kill -TERM "$sim" 2>/dev/null && wait "$sim" 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT
fail() { echo "install_test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/mq-vista bin/mq-vista-cli bin/mq-sensor-sim share/mq-vista/mq-vista-logo.png share/applications/mq-vista.desktop \
         share/icons/hicolor/64x64/apps/mq-vista.png share/metainfo/invalid.k_vor.mq_vista.metainfo.xml; do
    [ -e "$prefix/$f" ] || fail "$f was not installed"
done
grep -q '^Exec=mq-vista$' "$prefix/share/applications/mq-vista.desktop" || fail "desktop entry does not start mq-vista"

version=$("$prefix/bin/mq-vista" --version)
[[ "$version" =~ ^mq-vista\ ([0-9]+\.[0-9]+\.[0-9]+)$ ]] || fail "--version printed '$version'"
number=${BASH_REMATCH[1]}
"$prefix/bin/mq-vista" --help | grep -q -- '--version' || fail "--help does not list --version"

# The documentation under the package's name, with the licence and a change log that
# starts at the program's own version.
doc="$prefix/share/doc/mq-vista"
[ -d "$prefix/share/doc/MQVista" ] && fail "documentation went to share/doc/MQVista, not share/doc/mq-vista"
for f in README.md copyright changelog.gz; do
    [ -f "$doc/$f" ] || fail "share/doc/mq-vista/$f was not installed"
done
head -1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    || fail "copyright is not in the machine-readable format"
grep -qx 'License: GPL-3+' "$doc/copyright" || fail "copyright does not license the program under GPL-3+"
first=$(gzip -dc "$doc/changelog.gz" | head -1)
[ "$first" = "mq-vista ($number) unstable; urgency=medium" ] \
    || fail "the change log starts with '$first', the program is $number"

# The manual pages, found by man under the prefix and naming the program's version.
for page in mq-vista mq-vista-cli mq-sensor-sim; do
    [ -f "$prefix/share/man/man1/$page.1.gz" ] || fail "man1/$page.1.gz was not installed"
    text=$(MANPATH="$prefix/share/man" MANWIDTH=200 man -P cat "$page" 2>&1) || fail "man $page failed: $text"
    text=$(tr -s ' ' <<<"$text")  # justified lines carry runs of blanks
    [[ "$text" == *"$page - "* ]] || fail "man $page shows no NAME line: $text"
    [[ "$text" == *"MQ-Vista $number"* ]] || fail "man $page does not name version $number"
done

log="$prefix/sim.log"
"$prefix/bin/mq-sensor-sim" --pty "$prefix/bin/com1" --control 0 --eeprom "$prefix/sim.eeprom" >"$log" 2>&1 &
sim=$!
for _ in $(seq 100); do grep -q '^ready' "$log" && break; sleep 0.1; done
grep -q '^ready' "$log" || fail "simulator did not start: $(cat "$log")"
control=$(sed -n 's/^control 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$log")
[ -n "$control" ] || fail "no control port in: $(cat "$log")"

control_command() {
    exec 3<>"/dev/tcp/127.0.0.1/$control"
    echo "$1" >&3
    local line=
    read -r -t 5 line <&3 || true
    exec 3<&-
    echo "$line"
}
stats() { control_command stats; }

# The installed command line reaches the sensor as COM port 1 through the link beside it.
cli_out=$("$prefix/bin/mq-vista-cli" --json identify com1 2>&1) || fail "mq-vista-cli identify com1 failed: $cli_out"
[[ "$cli_out" == *'"served":true'* ]] || fail "mq-vista-cli did not identify the sensor: $cli_out"
[[ "$(control_command reset-stats)" == ok* ]] || fail "the simulator's statistics could not be reset"

(cd "$prefix" && QT_QPA_PLATFORM=offscreen exec "$prefix/bin/mq-vista" >"$prefix/app.log" 2>&1) &
app=$!
identified=
for _ in $(seq 150); do
    line=$(stats)
    # echo (5), firmware (7) and hardware information (10) reached the sensor
    if [[ "$line" == *orders=*5*7*10* ]]; then identified=1; break; fi
    kill -0 "$app" 2>/dev/null || fail "the installed program ended early: $(cat "$prefix/app.log")"
    sleep 0.1
done
[ -n "$identified" ] || fail "the installed program did not identify the sensor (last stats: $line)"

kill -TERM "$app"
status=0
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the installed program did not end on SIGTERM"
wait "$app" || status=$?
app=
[ "$status" -eq 0 ] || fail "the installed program returned $status: $(cat "$prefix/app.log")"
echo "install_test: installed program identified the simulated sensor and closed cleanly"

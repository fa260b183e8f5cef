#!/usr/bin/env bash
# scripts/setup against stand-ins for apt-get, apt-cache, dpkg and
# dpkg-query: a mirror whose i386 index fails to download, where 32-bit Wine
# resolves once a multi-arch library is taken back to the main suite's
# version (set-up finds it in apt's answer and says so), or does not resolve
# at all (set-up goes on and says so); and a first step that apt cannot
# install (set-up fails with apt's message). Nothing on the machine is touched.
set -u
setup=$(cd "$(dirname "$0")/../.." && pwd)/scripts/setup
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin=$work/bin
mkdir -p "$bin"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The stand-ins log each call to $work/calls; $SCENARIO picks the failures.
cat > "$bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
echo "apt-get $*" >> "$WORK/calls"
case $1 in
update)
    echo "E: Failed to fetch http://mirror.test/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100 ;;
install)
    if [[ " $* " == *" wine32:i386 "* ]]; then
        # main-suite: resolvable from the main suite once libgst is aligned;
        # apt names it among packages it can install, which set-up leaves be
        if [ "$SCENARIO" = main-suite ] && [[ " $* " == *" -t bookworm "* ]]; then
            if [[ " $* " == *" libgst:amd64=1.0-1 libgst:i386=1.0-1 "* ]]; then
                [[ " $* " == *" -s "* ]] || echo wine32:i386 >> "$WORK/installed"
                exit 0
            fi
            echo " libwine:i386 : Depends: libgst:i386 (>= 1.0.0) but it is not going to be installed"
            echo "                Depends: libfine:i386 (>= 2.0) but it is not going to be installed"
            echo "E: Unable to correct problems, you have held broken packages." >&2
            exit 100
        fi
        echo "E: Unable to correct problems, you have held broken packages." >&2
        exit 100
    fi
    if [ "$SCENARIO" = base-fails ]; then
        echo "E: Unable to locate package xvfb" >&2
        exit 100
    fi
    shift 4
    printf '%s\n' "$@" >> "$WORK/installed"
    exit 0 ;;
esac
STANDIN
cat > "$bin/apt-cache" <<'STANDIN'
#!/usr/bin/env bash
# the security suite's amd64 libgst has no i386 twin; libfine's versions agree
[ "$1" = madison ] || exit 1
case $2 in
libgst:amd64) echo "libgst | 1.0-1+sec1 | http://mirror.test/debian-security bookworm-security/main amd64 Packages"
              echo "libgst | 1.0-1 | http://mirror.test/debian bookworm/main amd64 Packages" ;;
libgst:i386) echo "libgst:i386 | 1.0-1 | http://mirror.test/debian bookworm/main i386 Packages" ;;
libfine:*) echo "libfine | 2.1 | http://mirror.test/debian bookworm/main ${2#*:} Packages" ;;
esac
STANDIN
cat > "$bin/dpkg-query" <<'STANDIN'
#!/usr/bin/env bash
# everything is installed but xvfb and 32-bit Wine, until apt-get installs them
case "$*" in
*'${Version}'*libgst:amd64) printf '1.0-1+sec1'; exit 0 ;;
*'${Version}'*libfine:amd64) printf '2.1'; exit 0 ;;
*'${Version}'*) exit 1 ;;
esac
case ${!#} in
xvfb|wine32:i386) grep -qx "${!#}" "$WORK/installed" 2>/dev/null || exit 1 ;;
esac
printf 'install ok installed'
STANDIN
cat > "$bin/dpkg" <<'STANDIN'
#!/usr/bin/env bash
echo "dpkg $*" >> "$WORK/calls"
[ "$1" = --print-foreign-architectures ] && echo i386
exit 0
STANDIN
printf '#!/bin/sh\necho ja_JP.utf8\n' > "$bin/locale"
printf '#!/bin/sh\n"$@"\n' > "$bin/sudo"
printf '#!/bin/sh\nexit 0\n' > "$bin/wine"
chmod +x "$bin"/*

run() { # scenario
    : > "$work/calls"
    out=$(env PATH="$bin:$PATH" WORK="$work" SCENARIO=$1 UNINS_WINE32_LOADER="$bin/wine" \
        UNINS_MAIN_SUITE=bookworm \
        UNINS_UPDATE_TRIES=2 UNINS_UPDATE_PAUSE=0 UNINS_SETUP_STATE="$work/state" \
        bash "$setup" 2>&1)
    status=$?
    calls=$(cat "$work/calls")
}
expect() { # what text
    grep -qF -- "$2" <<<"$1" || fail "expected '$2' in:"$'\n'"$1"
}

run half-synced
[ $status = 0 ] || fail "half-synced mirror: exit $status"
expect "$out" "package indexes still failing after 2 tries (http://mirror.test/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz )"
expect "$out" "32-bit Wine is not available on this machine (apt-get: Unable to correct problems, you have held broken packages.)"
expect "$out" "UNINS_ALLOW_TWIN=1 runs the 64-bit twin"
expect "$calls" "apt-get install -s -q --no-install-recommends --allow-downgrades -t bookworm wine32:i386"
[ "$(grep -c '^apt-get update' <<<"$calls")" = 2 ] || fail "update not tried twice: $calls"
expect "$calls" "apt-get install -y -q --no-install-recommends xvfb"
expect "$calls" "apt-get install -y -q --no-install-recommends wine32:i386"

# the next run remembers, and asks apt for nothing
run half-synced
[ $status = 0 ] || fail "second run: exit $status"
expect "$out" "32-bit Wine is not available on this machine (it could not be installed at"
grep -q apt-get <<<"$calls" && fail "second run called apt again: $calls"

# the main suite's 32-bit Wine, with the one library apt's answer shows out
# of step taken back for both architectures
rm -rf "$work/installed" "$work/state"
run main-suite
[ $status = 0 ] || fail "main-suite: exit $status"
expect "$out" "setup: 32-bit Wine taken from bookworm; back to bookworm's version for both architectures: libgst (1.0-1+sec1 -> 1.0-1)"
expect "$calls" "apt-get install -y -q --no-install-recommends --allow-downgrades -t bookworm wine32:i386 libgst:amd64=1.0-1 libgst:i386=1.0-1"
grep -q 'libfine:.*=' <<<"$calls" && fail "a library whose versions agree was pinned: $calls"
grep -q 'not available' <<<"$out" && fail "main-suite: said 32-bit Wine is missing: $out"
[ -e "$work/state/wine32-unavailable" ] && fail "main-suite: remembered a failure"

rm -f "$work/installed"
run base-fails
[ $status != 0 ] || fail "a failed first step did not fail set-up"
expect "$out" "E: Unable to locate package xvfb"
grep -q 'wine32:i386' <<<"$calls" && fail "32-bit Wine tried after the first step failed: $calls"

if [ $failures = 0 ]; then echo "1 passed, 0 failed"; exit 0; fi
echo "0 passed, 1 failed"; exit 1

#!/usr/bin/env bash
# The main job: build Lotwarden, start the auction simulator on loopback, make a watch list of
# eBay items, refresh it through the simulator with the real program, move the auctions on,
# refresh again, and show the list each time. Nothing outside the build folder is touched.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${LW_BUILD_DIR:-$top/build}
jobs=${LW_JOBS:-2}
scenario=$top/tools/auction-sim/scenarios/ebay-demo.scn

say() { printf '\n== %s\n' "$*"; }

say "Building lotwarden and auction-sim in $build"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs" --target lotwarden auction-sim
lotwarden=$build/bin/lotwarden
sim=$build/bin/auction-sim

# A private corner for the demo: its own settings and temporary files, and the watch list left
# behind for a look afterwards.
work=$build/demo
rm -rf "$work"
mkdir -p "$work/config" "$work/tmp"
export XDG_CONFIG_HOME=$work/config
export LOTWARDEN_TMPDIR=$work/tmp
list=$work/watchlist.lwd

say "Starting the auction simulator on loopback"
# The simulator stops when its standard input closes, so it never outlives this script.
coproc SIM { exec "$sim" --scenario "$scenario"; }
sim_pid=$SIM_PID
trap 'kill "$sim_pid" 2>/dev/null || true' EXIT
read -r word port <&"${SIM[0]}" || true
if [[ "${word:-}" != PORT || -z "${port:-}" ]]; then
    echo "demo: the simulator did not start" >&2
    exit 1
fi
echo "auction-sim serves eBay's item pages at http://127.0.0.1:$port (used as the HTTP proxy)"

# Every request of lotwarden goes to the simulator, which answers for the real eBay hosts.
refresh() {
    local rc=0
    http_proxy=http://127.0.0.1:$port no_proxy= NO_PROXY= "$lotwarden" refresh "$list" "$@" || rc=$?
    case $rc in
    0) echo "(every item refreshed)" ;;
    3) echo "(some items could not be refreshed; they keep what they had)" ;;
    *) echo "demo: lotwarden refresh failed with exit code $rc" >&2; exit "$rc" ;;
    esac
}

# Moves every simulated auction one step on: new bids, new high bidders, auctions ending.
step_auctions() {
    exec {conn}<>"/dev/tcp/127.0.0.1/$port"
    printf 'GET /__ebay/step HTTP/1.1\r\nHost: 127.0.0.1:%s\r\nConnection: close\r\n\r\n' "$port" >&"$conn"
    tail -n 1 <&"$conn"
    exec {conn}>&-
}

say "Making a watch list of eBay items"
"$lotwarden" new "$list"
"$lotwarden" add "$list" \
    "http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=1234567890" \
    "http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=1234567891" \
    "http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=1234567892" \
    "http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=1234567893" \
    "http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=1234567894"

say "Refreshing the watch list (item 1234567894 answers with eBay's \"Invalid Item\" page)"
refresh
say "The watch list"
"$lotwarden" show "$list"

say "The auctions move on"
step_auctions
say "Refreshing again (finished auctions are not fetched again)"
refresh
say "The watch list"
"$lotwarden" show "$list"

# A desktop session shows the same list in the desktop program (hook for the GUI front end).
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" && -x "$build/bin/Lotward" && -n "${LW_DEMO_GUI:-}" ]]; then
    http_proxy=http://127.0.0.1:$port "$build/bin/Lotward" "$list" || true
fi

say "Stopping the simulator"
exec {SIM[1]}>&-
wait "$sim_pid" 2>/dev/null || true
trap - EXIT
echo "The watch list is kept in $list"

#!/usr/bin/env bash
# The main job: build Lotwarden, start the auction simulator on loopback, make a watch list of
# items from every site family, refresh it through the simulator with the real program, move
# the auctions on, refresh again, and show the list each time. With a display, the desktop
# program then opens the refreshed list. Nothing outside the build folder is touched.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${LW_BUILD_DIR:-$top/build}
jobs=${LW_JOBS:-2}
scenarios=$top/tools/auction-sim/scenarios

say() { printf '\n== %s\n' "$*"; }

say "Building lotwarden and auction-sim in $build"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(lotwarden auction-sim)
have_display=
[[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]] && have_display=1 && targets+=(Lotward)
cmake --build "$build" -j"$jobs" --target "${targets[@]}"
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
coproc SIM { exec "$sim" --scenario "$scenarios/ebay-demo.scn" --scenario "$scenarios/yahoo-demo.scn" \
    --scenario "$scenarios/sites-demo.scn"; }
sim_pid=$SIM_PID
trap 'kill "$sim_pid" 2>/dev/null || true' EXIT
read -r word port <&"${SIM[0]}" || true
if [[ "${word:-}" != PORT || -z "${port:-}" ]]; then
    echo "demo: the simulator did not start" >&2
    exit 1
fi
echo "auction-sim plays the auction sites at http://127.0.0.1:$port (used as the HTTP proxy)"

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
    local site
    for site in ebay yahoo; do
        exec {conn}<>"/dev/tcp/127.0.0.1/$port"
        printf 'GET /__%s/step HTTP/1.1\r\nHost: 127.0.0.1:%s\r\nConnection: close\r\n\r\n' "$site" "$port" >&"$conn"
        tail -n 1 <&"$conn"
        echo
        exec {conn}>&-
    done
}

say "Making a watch list of items from every site family"
"$lotwarden" new "$list"
"$lotwarden" add "$list" \
    "http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=1234567890" \
    "http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=1234567891" \
    "http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=1234567892" \
    "http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=1234567893" \
    "http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=1234567894" \
    "http://page.auctions.yahoo.com/auction/12345678" \
    "http://uk.page.auctions.yahoo.com/uk/auction/5551234" \
    "http://fr.page.auctions.yahoo.com/auction/7654321" \
    "http://s1.amazon.com/exec/varzea/glance-browse/12345678/qid=954000000" \
    "http://www.aucland.fr/accdb/viewItem.asp?IDI=4711" \
    "http://auctions.excite.com/Scripts/ListingInfo.asp?LotNo=4417" \
    "http://www.ibazar.fr/voirobjet.cgi?codeobjet%3d3054221" \
    "http://auctions.cnet.com/cgi-bin/osa/ViewPage.cgi?templateName=item_form.htx&itemNumber=10482"

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

# A desktop session shows the same list in the desktop program, which refreshes it itself
# through the simulator when it opens it (and again with F5). LW_DEMO_NO_GUI=1 keeps the demo
# on the terminal.
if [[ -n "$have_display" && -z "${LW_DEMO_NO_GUI:-}" ]]; then
    say "The auctions move on once more"
    step_auctions
    say "Opening the watch list in the desktop program, which refreshes it (close its window to end the demo)"
    mkdir -p "$XDG_CONFIG_HOME/Ashgrove"
    printf '[Options]\nRefresh%%20Startup=1\n' >"$XDG_CONFIG_HOME/Ashgrove/Lotwarden.ini"
    http_proxy=http://127.0.0.1:$port no_proxy= NO_PROXY= "$build/bin/Lotward" "$list" || true
fi

say "Stopping the simulator"
exec {SIM[1]}>&-
wait "$sim_pid" 2>/dev/null || true
trap - EXIT
echo "The watch list is kept in $list"

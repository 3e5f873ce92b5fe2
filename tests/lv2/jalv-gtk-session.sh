#!/bin/sh
# Keeps jalv.gtk3 with the plug-in's UI running on JACK's dummy backend until the file STOP
# appears in the output folder, then stops it and writes its exit status to the file "status".
# With DOTS_PER_INCH the X server's resource database holds that Xft.dpi while jalv runs, as a
# desktop at a scale sets it; the database is cleared again on exit.
# Usage: jalv-gtk-session.sh OUTPUT_FOLDER PLUGIN_URI [DOTS_PER_INCH]
set -u
out=$1
uri=$2
dpi=${3:-}
. "$(dirname "$0")/jack-session.sh"
end_session() {
    stop_jack
    [ -n "$dpi" ] && xrdb -remove
}
trap end_session EXIT

if [ -n "$dpi" ]; then
    echo "Xft.dpi: $dpi" | xrdb -merge || { echo "xrdb failed" >"$out/status"; exit 1; }
fi

start_jack "marrowfold-ui-$$" "$out/jackd.log" || { echo "jackd did not start" >"$out/status"; exit 1; }
# jalv.gtk3's -n would hide the menu; --jack-name names the client.
jalv.gtk3 --jack-name "mfui$$" "$uri" >"$out/jalv.log" 2>&1 &
jalv_pid=$!
poll_until 120 test -e "$out/STOP"
kill "$jalv_pid"
# A host stuck in a dialog ignores the request; it is then ended by force after five seconds.
wait_bounded "$jalv_pid" 5
echo "jalv.gtk3 exit status $?" >"$out/status"

#!/bin/sh
# Keeps jalv.gtk3 with the plug-in's UI running on JACK's dummy backend until the file STOP
# appears in the output folder, then stops it and writes its exit status to the file "status".
# Usage: jalv-gtk-session.sh OUTPUT_FOLDER PLUGIN_URI
set -u
out=$1
uri=$2
. "$(dirname "$0")/jack-session.sh"
trap stop_jack EXIT

start_jack "marrowfold-ui-$$" "$out/jackd.log" || { echo "jackd did not start" >"$out/status"; exit 1; }
# jalv.gtk3's -n would hide the menu; --jack-name names the client.
jalv.gtk3 --jack-name "mfui$$" "$uri" >"$out/jalv.log" 2>&1 &
jalv_pid=$!
poll_until 120 test -e "$out/STOP"
kill "$jalv_pid"
# A host stuck in a dialog ignores the request; it is then ended by force after five seconds.
wait_bounded "$jalv_pid" 5
echo "jalv.gtk3 exit status $?" >"$out/status"

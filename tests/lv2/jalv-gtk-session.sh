#!/bin/sh
# Keeps jalv.gtk3 with the plug-in's UI running on JACK's dummy backend until the file STOP
# appears in the output folder, then stops it and writes its exit status to the file "status".
# Usage: jalv-gtk-session.sh OUTPUT_FOLDER PLUGIN_URI
set -u
out=$1
uri=$2
server=marrowfold-ui-$$
export JACK_DEFAULT_SERVER=$server

jackd -n "$server" -S -r -d dummy -r 44100 -p 256 >"$out/jackd.log" 2>&1 &
jack_pid=$!
jack_wait -w -t 10 >/dev/null || { echo "jackd did not start" >"$out/status"; kill "$jack_pid"; exit 1; }
# jalv.gtk3's -n would hide the menu; --jack-name names the client.
jalv.gtk3 --jack-name "mfui$$" "$uri" >"$out/jalv.log" 2>&1 &
jalv_pid=$!
tries=0
until [ -e "$out/STOP" ] || [ $tries -gt 1200 ]; do
    tries=$((tries + 1))
    sleep 0.1
done
kill "$jalv_pid"
# A host stuck in a dialog ignores the request; it is then ended by force after five seconds.
( sleep 5; kill -9 "$jalv_pid" 2>/dev/null ) &
wait "$jalv_pid"
echo "jalv.gtk3 exit status $?" >"$out/status"
kill "$jack_pid"
wait "$jack_pid"

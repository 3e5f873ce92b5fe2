#!/bin/sh
# Runs the plug-in live in jalv on JACK's dummy backend (synchronous, not real-time, so a loaded
# machine does not end in process errors): a sine client feeds it, jack_rec records four seconds
# of its output, and after two seconds jalv's console sets Out to -20 dB. Then the console lists
# the presets (jalv needs that before a preset command), applies one, and jalv is stopped.
# Usage: jalv-live.sh OUTPUT_FOLDER PLUGIN_URI PRESET_URI
set -u
out=$1
uri=$2
preset=$3
server=marrowfold-live-$$
export JACK_DEFAULT_SERVER=$server
jalv_name=mfjalv$$

jackd -n "$server" -S -r -d dummy -r 44100 -p 256 >"$out/jackd.log" 2>&1 &
jack_pid=$!
sine_pid=
jalv_pid=
stop() {
    [ -n "$sine_pid" ] && kill "$sine_pid" 2>/dev/null
    [ -n "$jalv_pid" ] && kill "$jalv_pid" 2>/dev/null
    kill "$jack_pid" 2>/dev/null
    wait "$jack_pid" 2>/dev/null
}
trap stop EXIT
jack_wait -w -t 10 >/dev/null || { echo "jackd did not start"; exit 1; }

jack_simple_client "sine$$" >"$out/sine.log" 2>&1 &
sine_pid=$!
mkfifo "$out/commands"
jalv -n "$jalv_name" "$uri" <"$out/commands" >"$out/jalv.log" 2>&1 &
jalv_pid=$!
exec 3>"$out/commands"

tries=0
until jack_lsp 2>/dev/null | grep -q "^$jalv_name:out_r\$"; do
    tries=$((tries + 1))
    [ $tries -gt 100 ] && { echo "jalv's ports did not appear"; exit 1; }
    sleep 0.1
done
jack_connect "sine$$:output1" "$jalv_name:in_l" && jack_connect "sine$$:output2" "$jalv_name:in_r" ||
    { echo "cannot connect"; exit 1; }

jack_rec -f "$out/live.wav" -d 4 "$jalv_name:out_l" "$jalv_name:out_r" >"$out/rec.log" 2>&1 &
rec_pid=$!
sleep 2
echo "set output -20" >&3
wait "$rec_pid"
echo "presets" >&3
echo "preset $preset" >&3
sleep 0.5
echo "controls" >&3
sleep 0.5
exec 3>&-
kill -INT "$jalv_pid"
wait "$jalv_pid"
echo "jalv exit status $?"
jalv_pid=

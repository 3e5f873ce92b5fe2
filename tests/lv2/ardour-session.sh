#!/bin/sh
# Headless Ardour with the plug-in: ardour7-lua creates a session on the Dummy backend with a
# stereo track carrying the plug-in, records three seconds of the backend's sine input, applies a
# factory preset and sets Out, saves; ardour7-export renders it; the session is reopened, saved
# and exported again.
# Usage: ardour-session.sh OUTPUT_FOLDER PLUGIN_URI PRESET_LABEL
set -eu
out=$1
uri=$2
preset=$3
session="$out/session"

cat >"$out/create.lua" <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:set_device_name("Sine Wave")
assert(create_session("$session", "session", 44100))
local track = Session:new_audio_track(2, 2, nil, 1, "Track", ARDOUR.PresentationInfo.max_order,
    ARDOUR.TrackMode.Normal, true):front()
local processor = ARDOUR.LuaAPI.new_plugin(Session, "$uri", ARDOUR.PluginType.LV2, "")
assert(not processor:isnil(), "the plug-in did not load")
track:add_processor_by_index(processor, 0, nil, true)
local plugin = processor:to_insert():plugin(0)
assert(plugin:load_preset(plugin:preset_by_label("$preset")), "the preset did not load")
ARDOUR.LuaAPI.set_processor_param(processor, 5, -6)
track:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
Session:maybe_enable_record(false)
Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(3000000)
Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(500000)
assert(track:playlist():region_list():size() == 1, "nothing was recorded")

Session:save_state("", false, false, false, false, false)
close_session()
LUA
cat >"$out/reopen.lua" <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
assert(load_session("$session", "session"))
Session:save_state("", false, false, false, false, false)
close_session()
LUA

ardour7-lua "$out/create.lua" >"$out/create.log" 2>&1
cp "$session/session.ardour" "$out/created.ardour"
ardour7-export -b float -o "$out/first.wav" "$session" session >"$out/export1.log" 2>&1
ardour7-lua "$out/reopen.lua" >"$out/reopen.log" 2>&1
ardour7-export -b float -o "$out/second.wav" "$session" session >"$out/export2.log" 2>&1
echo "ardour session done"

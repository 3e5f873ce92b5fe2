#!/bin/sh
# Headless Ardour with the plug-in, in three stages. "create": ardour7-lua creates a session on
# the Dummy backend with a stereo track carrying the plug-in, prints the latency Ardour reads
# from it at oversampling 8 and back at 1, records three seconds of the
# backend's sine input, applies a factory preset and sets Out, and saves; the saved session file
# is kept as created.ardour. "reopen": the session is loaded and saved again. "automate": the
# session is loaded, a factory preset applied, and an automation lane added on a port that holds
# its first value up to a start frame and moves to its second by an end frame; then it is saved
# at once, as a script does, before the plug-in has run with the preset's values. The exports are
# the caller's, which checks each one.
# Usage: ardour-session.sh create OUTPUT_FOLDER PLUGIN_URI PRESET_LABEL
#        ardour-session.sh reopen OUTPUT_FOLDER
#        ardour-session.sh automate OUTPUT_FOLDER PRESET_LABEL PORT FROM TO START_FRAME END_FRAME
set -eu
stage=$1
out=$2
session="$out/session"

create() {
    cat >"$out/create.lua" <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:set_device_name("Sine Wave")
assert(create_session("$session", "session", 44100))
local track = Session:new_audio_track(2, 2, nil, 1, "Track", ARDOUR.PresentationInfo.max_order,
    ARDOUR.TrackMode.Normal, true):front()
local processor = ARDOUR.LuaAPI.new_plugin(Session, "$1", ARDOUR.PluginType.LV2, "")
assert(not processor:isnil(), "the plug-in did not load")
track:add_processor_by_index(processor, 0, nil, true)
for _, factor in ipairs({8, 1}) do
    ARDOUR.LuaAPI.set_processor_param(processor, 9, factor)
    ARDOUR.LuaAPI.usleep(300000)
    print("latency at " .. factor .. "x: " .. processor:signal_latency())
end
local plugin = processor:to_insert():plugin(0)
assert(plugin:load_preset(plugin:preset_by_label("$2")), "the preset did not load")
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
    ardour7-lua "$out/create.lua" >"$out/create.log" 2>&1
    cp "$session/session.ardour" "$out/created.ardour"
}

reopen() {
    cat >"$out/reopen.lua" <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
assert(load_session("$session", "session"))
Session:save_state("", false, false, false, false, false)
close_session()
LUA
    ardour7-lua "$out/reopen.lua" >"$out/reopen.log" 2>&1
}

automate() {
    cat >"$out/automate.lua" <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
assert(load_session("$session", "session"))
local processor = Session:route_by_name("Track"):nth_plugin(0)
local plugin = processor:to_insert():plugin(0)
assert(plugin:load_preset(plugin:preset_by_label("$1")), "the preset did not load")
local control = processor:to_automatable():automation_control(
    Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, $2), true)
assert(not control:isnil(), "no automation for port $2")
for _, point in ipairs({{0, $3}, {$5, $3}, {$6, $4}}) do
    control:alist():add(Temporal.timepos_t(point[1]), point[2], false, true)
end
control:set_automation_state(ARDOUR.AutoState.Play)
print("port $2 automated from " .. control:alist():eval(Temporal.timepos_t($5)) .. " to " ..
    control:alist():eval(Temporal.timepos_t($6)))
Session:save_state("", false, false, false, false, false)
close_session()
LUA
    ardour7-lua "$out/automate.lua" >"$out/automate.log" 2>&1
}

case $stage in
create) create "$3" "$4" ;;
reopen) reopen ;;
automate) automate "$3" "$4" "$5" "$6" "$7" "$8" ;;
*) echo "unknown stage $stage" >&2; exit 2 ;;
esac
echo "ardour session $stage done"

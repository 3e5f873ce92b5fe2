#pragma once

#include <string>
#include <vector>

namespace marrowfold::testing {

// The names the factory bank must carry, program by program, written out independently of the
// table the bank is generated from.
inline const char* const kFactoryProgramNames[] = {"Default", "Guitar", "Bass", "Drums"};

inline const std::vector<std::vector<std::string>>& factoryPresetNames() {
    static const std::vector<std::vector<std::string>> names = {
        {"Default", "DrumSmasher", "AnalogDrums", "DrumsOfDoom", "DrumSqueeze", "Tightener",
         "GrungeKord", "Resogrel", "BigNoiseKord", "Acoustigrel", "KordBright", "ChordRez",
         "PowerChord", "KordKrunch+Hi", "Basic Lead", "Cutting Lead", "60s Lead"},
        {"Clean Licks", "Light Grel", "Narrow Minded", "Crystal Lead", "Ripping Aluminium",
         "Heat The Seat", "Disaster Area", "High Speed Grel"},
        {"Sulking Rhythm", "Bright Notes", "Grel Bass", "Extra Top", "Grel Bass Deluxe",
         "Dangerous", "Very Dangerous", "Really Dangerous"},
        {"Garage Drums", "Bathroom Blues", "Underground Noise", "Storm Groove", "Tight Drums",
         "Quaker", "Gothic Whisper", "Grel Drums"}};
    return names;
}

}  // namespace marrowfold::testing

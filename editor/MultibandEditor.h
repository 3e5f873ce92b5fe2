#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "editor/BandEditorView.h"
#include "editor/BitmapTable.h"
#include "editor/DisplayFeed.h"
#include "editor/EditorDialogs.h"
#include "effect/EditorNotifications.h"
#include "gui/Control.h"
#include "gui/EditorBase.h"
#include "params/PresetBankEdits.h"
#include "params/PresetRecord.h"
#include "resources/bitmaps/PanelBitmaps.h"

namespace marrowfold {

class AboutSplash;
class AutoGainReadout;
class BandEditorView;
class ButtonGroup;
class DistortionParameters;
class FilmstripKnob;
class MultibandEffect;
class NumberField;
class PresetNameView;
class Slider;
class LevelMeterView;
class ToggleButton;

// The tags by which the panel's controls report to the editor.
enum ControlTag : int32_t {
    TagSplash = 0,
    TagBand1 = 1,  // knobs and value fields 1..6 stand for parameters 0..5
    TagBand2 = 2,
    TagBand3 = 3,
    TagBand4 = 4,
    TagIn = 5,
    TagOut = 6,
    TagPresetSlider = 7,
    TagEdit = 8,
    TagBandView = 9,
    TagSolo = 10,
    TagShape = 11,
    TagDelete = 12,
    TagCreate = 13,
    TagClip = 14,
    TagCount
};

// Knobs and value fields: Band1..Band4, In, Out.
inline constexpr int32_t kLevelControlCount = 6;

// The views of an open editor window; all null while the window is closed.
struct EditorPanel {
    AboutSplash* splash = nullptr;
    std::array<FilmstripKnob*, kLevelControlCount> knobs{};
    Slider* presetSlider = nullptr;
    ToggleButton* editButton = nullptr;
    ToggleButton* soloButton = nullptr;
    ToggleButton* createButton = nullptr;
    ToggleButton* deleteButton = nullptr;
    ToggleButton* clipLed = nullptr;
    std::array<NumberField*, kLevelControlCount> displays{};
    PresetNameView* presetNameView = nullptr;
    BandEditorView* bandView = nullptr;
    ButtonGroup* shapeGroup = nullptr;
    // Band1..Band4, In, Out: the host meters' order.
    std::array<LevelMeterView*, HostMeterCount> meters{};
    AutoGainReadout* autoGain = nullptr;
};

// The plug-in's editor. The object lives as long as the effect; while its window is closed it
// still follows the parameter model, so that the preset it shows and edits (`editorPreset`,
// `presetBuffer`) and the sample rate are current whenever the window opens. While open it turns
// control changes into parameter changes, parameter changes back into control values, and runs
// the preset bank's edits from its buttons.
class MultibandEditor : public EditorBase,
                        public EditorNotifications,
                        public ValueListener,
                        public BandGestureListener {
  public:
    // The factory the effect calls; the editor registers itself with the effect.
    static EditorNotifications* create(MultibandEffect& effect, DistortionParameters& model);

    MultibandEditor(MultibandEffect& owner, DistortionParameters& parameters);
    ~MultibandEditor() override;

    int32_t attach(void* parentWindow) override;
    void detach() override;
    void idle() override;

    // Called from whatever thread writes the parameter: only stores control values and asks
    // for a refresh; drawing waits for the idle.
    void parameterChanged(int32_t index, float value) override;
    void dataChanged(int32_t index, const void* data, int32_t length, int32_t slot) override;
    void sampleRateChanged(float rate) override;
    void setHostFreshFlag(int32_t flag) override;
    // The real default value of the parameter the control stands for; 0 for any other.
    float defaultValueFor(Control* control) override;

    void controlChanged(Canvas* context, Control* control) override;
    // A band editor handle's drag, one gesture for the host as a knob's drag is.
    void handleTaken(int32_t handleFlags, bool taken) override;

    // The name dialog: true when a name was confirmed, which is then in newPresetName.
    virtual bool askPresetName();
    // The question before the editor's preset is deleted: true on yes.
    virtual bool confirmDelete();

    int32_t shownPreset() const { return editorPreset; }
    const PresetRecord& shownPresetRecord() const { return presetBuffer; }
    float editorSampleRate() const { return sampleRate; }
    int32_t hostFresh() const { return hostFreshFlag; }
    float clipIndicator() const { return clipShown; }
    const EditorPanel& panel() const { return views; }
    bool isOpen() const { return opened; }
    bool isEditLocked() const { return editLocked; }

  private:
    // What a control stands for: the parameter whose default a reset restores (-1: none) and
    // the handler of its changes (none for controls that only show).
    using ControlHandler = void (MultibandEditor::*)(Canvas* context, Control* control);
    struct ControlRole {
        int32_t parameter;
        ControlHandler handler;
    };
    struct Controls;
    static const std::array<ControlRole, TagCount> controlRoles;
    // The parameter a tag stands for, and where a level control of that tag is kept in the
    // panel: its parameter is the level's index.
    static int32_t parameterOfTag(int32_t tag);
    static size_t levelSlot(int32_t tag);

    // Window construction, in the order attach runs it.
    void buildPanel(WindowId parent);
    void chooseInitialLayout();
    void addSplash();
    void addKnobs();
    void addPresetSlider();
    void addButtons();
    void addShapeGroup();
    void addValueFields();
    void addClipIndicator();
    void addMeters();
    void addAutoGainReadout();
    void addPresetNameView();
    void makeBandView();
    void arrangeRightHalf();
    void showInitialState();
    void showSoloState();
    // A host's edit of the bands or the solo, shown once the editor's thread comes by.
    void followHostBandEdit();
    // Adds a new view to the frame; one the frame cannot take is released and ends the build.
    template <typename T>
    T* place(T* view);

    // Control changes by tag.
    void levelChanged(Canvas* context, Control* control);
    void presetSelected(Canvas* context, Control* control);
    void editToggled(Canvas* context, Control* control);
    void bandsEdited(Canvas* context, Control* control);
    void soloToggled(Canvas* context, Control* control);
    void shapeChosen(Canvas* context, Control* control);
    void deletePressed(Canvas* context, Control* control);
    void createPressed(Canvas* context, Control* control);
    void presetRefresh(Canvas* context);

    // The panel's width when expanded or compact.
    int32_t panelWidth(bool expanded) const;
    int32_t panelHeight() const;
    void showRightHalf(bool shown);
    void returnRightHalfToFrame();
    std::array<View*, 5> rightHalfViews() const;
    void showPresetInViews();
    void loadBandView();
    // The band editor's edges and drives, as the preset edits take them.
    BandLayout currentBandLayout() const;
    std::string presetName() const;
    float presetFraction(int32_t index) const;
    WindowId dialogOwner() const;

    int32_t hostFreshFlag = 0;
    // The effect itself, for what only it knows (auto gain).
    MultibandEffect& owner;
    DistortionParameters* model;
    EditorPanel views;
    std::unique_ptr<BitmapTable> bitmaps;
    // A host's new preset reloads the two below on the host's thread while the editor's idle may
    // reload them after a host's band edit; the lock keeps the two apart.
    std::mutex shownPresetLock;
    int32_t editorPreset = 0;
    float sampleRate = 0.0f;
    PresetRecord presetBuffer{};
    char newPresetName[kNewPresetNameBytes] = {};
    bool opened = false;
    bool editLocked = false;
    bool expandedView = false;
    float clipShown = 0.0f;
    // Set on whatever thread a host edits the bands or the solo on.
    std::atomic<bool> hostEditedBands{false};
    std::unique_ptr<DisplayFeed> spectrum;
    // Kept over closing and reopening the window.
    bool spectrumShown = true;
};

}  // namespace marrowfold

#include "tests/lv2/BundleHost.h"

#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "tests/lv2/ModuleReference.h"

namespace marrowfold::testing {

namespace {

constexpr char kPluginUri[] = "urn:marrowfold:lv2:marrowfold";
constexpr char kPluginBinary[] = "marrowfold_dsp.so";

struct StoreContext {
    BundleHost* host;
    StoredState* state;
};

LV2_State_Status storeProperty(LV2_State_Handle handle, uint32_t key, const void* value,
                               size_t size, uint32_t type, uint32_t flags) {
    auto* context = static_cast<StoreContext*>(handle);
    const auto* bytes = static_cast<const uint8_t*>(value);
    (*context->state)[context->host->uriOf(key)] = {context->host->uriOf(type), flags,
                                                    std::vector<uint8_t>(bytes, bytes + size)};
    return LV2_STATE_SUCCESS;
}

struct RetrieveContext {
    BundleHost* host;
    const StoredState* state;
};

const void* retrieveProperty(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
                             uint32_t* flags) {
    auto* context = static_cast<RetrieveContext*>(handle);
    const auto found = context->state->find(context->host->uriOf(key));
    if (found == context->state->end()) return nullptr;
    *size = found->second.bytes.size();
    *type = context->host->map(found->second.typeUri);
    *flags = found->second.flags;
    // A stored value of no bytes is there all the same.
    static const uint8_t kNoBytes = 0;
    return found->second.bytes.empty() ? &kNoBytes : found->second.bytes.data();
}

}  // namespace

BundleHost::BundleHost(const std::string& bundle, int32_t maxBlock, bool withMap)
    : bundlePath(bundle + "/"), maxBlockLength(maxBlock), offersMap(withMap) {
    library = dlopen((bundlePath + kPluginBinary).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) throw std::runtime_error(dlerror());
    const auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
    descriptor = entry ? entry(0) : nullptr;
    if (descriptor == nullptr || std::strcmp(descriptor->URI, kPluginUri) != 0)
        throw std::runtime_error("the bundle's binary has no Marrowfold descriptor");
    uridMap = {this, &BundleHost::mapUri};
    controls[ControlMix] = kFullMixPercent;
    controls[ControlEnabled] = 1.0f;
    BandControls bands = startingBands();
    for (int32_t control = 0; control < HostControlCount; ++control)
        if (hostControl(control).isBandValue()) controls[control] = lv2::bandValue(bands, control);
    uris.emplace_back();  // URID 0 means none
}

BundleHost::~BundleHost() {
    cleanup();
    if (library != nullptr) dlclose(library);
}

LV2_URID BundleHost::mapUri(LV2_URID_Map_Handle handle, const char* uri) {
    return static_cast<BundleHost*>(handle)->map(uri);
}

LV2_URID BundleHost::map(const std::string& uri) {
    const auto found = std::find(uris.begin(), uris.end(), uri);
    if (found != uris.end()) return static_cast<LV2_URID>(found - uris.begin());
    uris.push_back(uri);
    return static_cast<LV2_URID>(uris.size() - 1);
}

std::string BundleHost::uriOf(LV2_URID urid) const {
    return urid < uris.size() ? uris[urid] : std::string();
}

bool BundleHost::instantiate(double rate) {
    const LV2_URID intType = map(LV2_ATOM__Int);
    const LV2_Options_Option options[] = {
        {LV2_OPTIONS_INSTANCE, 0, map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t), intType,
         &maxBlockLength},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    const LV2_Feature mapFeature{LV2_URID__map, &uridMap};
    const LV2_Feature optionsFeature{LV2_OPTIONS__options,
                                     const_cast<LV2_Options_Option*>(options)};
    std::vector<const LV2_Feature*> features;
    if (offersMap) features.push_back(&mapFeature);
    if (offersMap && maxBlockLength > 0) features.push_back(&optionsFeature);
    features.push_back(nullptr);
    instance = descriptor->instantiate(descriptor, rate, bundlePath.c_str(), features.data());
    if (instance == nullptr) return false;
    for (uint32_t i = 0; i < kControlPorts; ++i)
        descriptor->connect_port(instance, lv2::portOfControl(static_cast<int32_t>(i)),
                                 &controls[i]);
    return true;
}

void BundleHost::connectMeters() {
    for (uint32_t i = 0; i < kMeterPorts; ++i)
        descriptor->connect_port(instance, lv2::portOfMeter(static_cast<int32_t>(i)), &meters[i]);
}

void BundleHost::activate() {
    descriptor->activate(instance);
}

void BundleHost::deactivate() {
    descriptor->deactivate(instance);
}

void BundleHost::cleanup() {
    if (instance != nullptr) descriptor->cleanup(instance);
    instance = nullptr;
}

std::vector<float> BundleHost::process(const std::vector<float>& stereo, uint32_t frames,
                                       bool inPlace) {
    left.resize(frames);
    right.resize(frames);
    outLeft.resize(frames);
    outRight.resize(frames);
    descriptor->connect_port(instance, 0, left.data());
    descriptor->connect_port(instance, 1, right.data());
    descriptor->connect_port(instance, 2, inPlace ? left.data() : outLeft.data());
    descriptor->connect_port(instance, 3, inPlace ? right.data() : outRight.data());
    const float* resultLeft = inPlace ? left.data() : outLeft.data();
    const float* resultRight = inPlace ? right.data() : outRight.data();
    std::vector<float> output(stereo.size());
    const size_t total = stereo.size() / 2;
    for (size_t done = 0; done < total; done += frames) {
        const auto count = static_cast<uint32_t>(std::min<size_t>(frames, total - done));
        for (uint32_t n = 0; n < count; ++n) {
            left[n] = stereo[2 * (done + n)];
            right[n] = stereo[2 * (done + n) + 1];
        }
        descriptor->run(instance, count);
        for (uint32_t n = 0; n < count; ++n) {
            output[2 * (done + n)] = resultLeft[n];
            output[2 * (done + n) + 1] = resultRight[n];
        }
    }
    return output;
}

const LV2_State_Interface* BundleHost::stateInterface() const {
    return static_cast<const LV2_State_Interface*>(
        descriptor->extension_data(LV2_STATE__interface));
}

LV2_State_Status BundleHost::save(StoredState& state) {
    StoreContext context{this, &state};
    return stateInterface()->save(instance, storeProperty, &context, LV2_STATE_IS_POD, nullptr);
}

LV2_State_Status BundleHost::restore(const StoredState& state) {
    RetrieveContext context{this, &state};
    return stateInterface()->restore(instance, retrieveProperty, &context, 0, nullptr);
}

}  // namespace marrowfold::testing

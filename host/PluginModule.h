#pragma once

#include <string>

#include "core/EffectRecord.h"

namespace marrowfold {

using PluginEntry = EffectRecord* (*)(HostCallback callback);

// A plug-in module file opened with the dynamic loader; closed when destroyed.
class PluginModule {
  public:
    PluginModule() = default;
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;
    ~PluginModule();

    // Opens the file and finds its entry point `main`; false with `error()` set otherwise.
    bool open(const std::string& path);
    bool isOpen() const { return entryPoint != nullptr; }
    PluginEntry entry() const { return entryPoint; }
    const std::string& error() const { return lastError; }

  private:
    void* handle = nullptr;
    PluginEntry entryPoint = nullptr;
    std::string lastError;
};

}  // namespace marrowfold

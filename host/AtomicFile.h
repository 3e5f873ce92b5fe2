#pragma once

#include <string>

namespace marrowfold {

// A file written under a temporary name beside its target and renamed over the target only when
// complete, so a failed or interrupted run never leaves a partial file behind.
class AtomicFile {
  public:
    // Creates the temporary file; throws ToolError when the target's folder does not take it.
    explicit AtomicFile(std::string target);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    // Removes the temporary file unless it was committed.
    ~AtomicFile();

    // The open descriptor of the temporary file; whoever takes it closes it.
    int takeDescriptor();
    const std::string& target() const { return targetPath; }
    // Writes all of `data` to the temporary file and closes it; throws ToolError on failure.
    void writeAll(const void* data, size_t size);
    // Renames the finished file over the target; throws ToolError on failure.
    void commit();

  private:
    std::string targetPath;
    std::string temporaryPath;
    int descriptor = -1;
    bool committed = false;
};

// Writes a whole file atomically.
void writeFileAtomically(const std::string& path, const void* data, size_t size);

}  // namespace marrowfold

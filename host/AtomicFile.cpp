#include "host/AtomicFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/ToolError.h"

namespace marrowfold {

namespace {

constexpr mode_t kReadWriteForAll = 0666;

std::string temporaryTemplate(const std::string& target) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + name + ".XXXXXX";
}

// mkstemp makes the file private; the finished file gets the permissions of any new file.
void applyUsualPermissions(int descriptor) {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, kReadWriteForAll & ~mask);
}

}  // namespace

AtomicFile::AtomicFile(std::string target) : targetPath(std::move(target)) {
    std::string pattern = temporaryTemplate(targetPath);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    descriptor = mkstemp(name.data());
    if (descriptor < 0)
        throw ToolError("cannot write '" + targetPath + "': " + std::strerror(errno));
    temporaryPath = name.data();
    applyUsualPermissions(descriptor);
}

AtomicFile::~AtomicFile() {
    if (descriptor >= 0) close(descriptor);
    if (!committed) unlink(temporaryPath.c_str());
}

int AtomicFile::takeDescriptor() {
    const int taken = descriptor;
    descriptor = -1;
    return taken;
}

void AtomicFile::commit() {
    if (descriptor >= 0) {
        close(descriptor);
        descriptor = -1;
    }
    if (std::rename(temporaryPath.c_str(), targetPath.c_str()) != 0)
        throw ToolError("cannot write '" + targetPath + "': " + std::strerror(errno));
    committed = true;
}

void AtomicFile::writeAll(const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    size_t written = 0;
    while (written < size) {
        const ssize_t step = write(descriptor, bytes + written, size - written);
        if (step <= 0)
            throw ToolError("cannot write '" + targetPath + "': " + std::strerror(errno));
        written += static_cast<size_t>(step);
    }
    const int status = close(descriptor);
    descriptor = -1;
    if (status != 0) throw ToolError("cannot write '" + targetPath + "': " + std::strerror(errno));
}

void writeFileAtomically(const std::string& path, const void* data, size_t size) {
    AtomicFile file(path);
    file.writeAll(data, size);
    file.commit();
}

}  // namespace marrowfold

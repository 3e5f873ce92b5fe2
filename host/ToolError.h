#pragma once

#include <stdexcept>
#include <string>

namespace marrowfold {

// A problem with the user's input or files: the tool prints the message as one line and exits
// with a non-zero status.
class ToolError : public std::runtime_error {
  public:
    explicit ToolError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace marrowfold

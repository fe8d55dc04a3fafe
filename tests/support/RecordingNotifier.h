#pragma once

#include <string>
#include <vector>

#include "core/platform/UserNotifier.h"

namespace korvida::test {

// Keeps the texts core operations would have shown in message boxes.
class RecordingNotifier : public UserNotifier {
  public:
    void ShowMessage(const std::string& text, Icon) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

}  // namespace korvida::test

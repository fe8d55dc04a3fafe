#pragma once

#include <string>

namespace korvida {

// How core operations on the UI thread tell the user what message boxes show
// ("不能打开输出目录！" and the like). The GUI answers with a message box, the CLI with a
// line on standard error, the tests record the texts. Core code never prints or pops
// up anything itself; workers use the job log instead.
class UserNotifier {
  public:
    enum class Icon { kInformation, kWarning, kStop };
    virtual ~UserNotifier() = default;
    virtual void ShowMessage(const std::string& text, Icon icon = Icon::kWarning) = 0;
};

// Drops every message; for callers that have nobody to tell.
class SilentNotifier : public UserNotifier {
  public:
    void ShowMessage(const std::string&, Icon) override {}
};

}  // namespace korvida

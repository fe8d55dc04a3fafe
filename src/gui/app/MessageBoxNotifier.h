#pragma once

#include "core/platform/UserNotifier.h"

class QWidget;

namespace korvida::gui {

// Shows core messages as modal message boxes over `parent`.
class MessageBoxNotifier : public UserNotifier {
  public:
    explicit MessageBoxNotifier(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void ShowMessage(const std::string& text, Icon icon) override;

  private:
    QWidget* parent_;
};

}  // namespace korvida::gui

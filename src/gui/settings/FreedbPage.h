#pragma once

#include "gui/settings/OptionsPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace korvida::gui {

class NumberEdit;

// "Freedb": the server and its scripts, the e-mail address and the HTTP proxy.
class FreedbPage : public OptionsPage {
    Q_OBJECT

  public:
    explicit FreedbPage(QWidget* parent = nullptr);

    void load(const Settings& settings) override;
    std::optional<PageProblem> commit(Settings& settings) override;

  protected:
    void updateEnables() override;

  private:
    QComboBox* server_;
    QLineEdit* queryScript_;
    QLineEdit* submitScript_;
    QLineEdit* email_;
    QCheckBox* proxy_;
    QLineEdit* proxyServer_;
    NumberEdit* port_;
    QCheckBox* authorise_;
    QLineEdit* user_;
    QLineEdit* password_;
};

}  // namespace korvida::gui

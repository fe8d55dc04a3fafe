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

    QComboBox* serverBox() const { return server_; }
    QCheckBox* proxyBox() const { return proxy_; }
    QLineEdit* proxyServerEdit() const { return proxyServer_; }
    NumberEdit* portEdit() const { return port_; }
    QCheckBox* authorisationBox() const { return authorise_; }
    QLineEdit* userEdit() const { return user_; }
    QLineEdit* passwordEdit() const { return password_; }

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

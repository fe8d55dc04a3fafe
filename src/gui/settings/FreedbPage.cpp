#include "gui/settings/FreedbPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/settings/NumberEdit.h"
#include "gui/settings/OptionsRules.h"

namespace korvida::gui {
namespace {

// A field and the label its form row gave it grey together.
void EnableRow(QWidget* field, bool enabled) {
    field->setEnabled(enabled);
    if (auto* form = qobject_cast<QFormLayout*>(field->parentWidget()->layout()))
        if (QWidget* label = form->labelForField(field))
            label->setEnabled(enabled);
}

}  // namespace

FreedbPage::FreedbPage(QWidget* parent)
    : OptionsPage(parent),
      server_(new QComboBox),
      queryScript_(new QLineEdit),
      submitScript_(new QLineEdit),
      email_(new QLineEdit),
      proxy_(new QCheckBox(tr("使用代理"))),
      proxyServer_(new QLineEdit),
      port_(new NumberEdit),
      authorise_(new QCheckBox(tr("授权:"))),
      user_(new QLineEdit),
      password_(new QLineEdit) {
    server_->setEditable(true);
    server_->setInsertPolicy(QComboBox::NoInsert);
    for (const char* host :
         {"gnudb.gnudb.org", "freedb.dbpoweramp.com", "freedb.freedb.org", "us.freedb.org",
          "de.freedb.org", "uk.freedb.org", "ca.freedb.org", "jp.freedb.org"})
        server_->addItem(QString::fromUtf8(host));
    password_->setObjectName(QStringLiteral("proxyPassword"));
    password_->setEchoMode(QLineEdit::Password);
    port_->setButtonSymbols(QAbstractSpinBox::NoButtons);

    auto* serverForm = new QFormLayout;
    serverForm->addRow(tr("Freedb 服务器:"), server_);
    serverForm->addRow(tr("访问脚本:"), queryScript_);
    serverForm->addRow(tr("提交脚本:"), submitScript_);
    serverForm->addRow(tr("E-mail:"), email_);

    auto* proxyGroup = new QGroupBox;
    auto* proxyForm = new QFormLayout(proxyGroup);
    proxyForm->addRow(proxy_);
    proxyForm->addRow(tr("代理服务器:"), proxyServer_);
    proxyForm->addRow(tr("端口:"), port_);
    proxyForm->addRow(authorise_);
    proxyForm->addRow(tr("名称:"), user_);
    proxyForm->addRow(tr("密码:"), password_);
    // One proxy for every server the program asks, not only freedb's.
    auto* proxyNote = new QLabel(tr("此代理也用于 MusicBrainz、封面和 AccurateRip 的查询。"));
    proxyNote->setWordWrap(true);
    proxyForm->addRow(proxyNote);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(serverForm);
    layout->addWidget(proxyGroup);
    layout->addStretch(1);

    bindText(server_, "CDDB", "Server");
    bindText(queryScript_, "CDDB", "QueryScript");
    bindText(submitScript_, "CDDB", "SubmitScript");
    bindText(email_, "CDDB", "Email");
    bindCheck(proxy_, "CDDB", "bProxy");
    bindText(proxyServer_, "CDDB", "ProxyServer");
    bindNumber(port_, "CDDB", "ProxyPort");
    bindCheck(authorise_, "CDDB", "ProxyAuthorization");
    bindText(user_, "CDDB", "ProxyUsername");

    connect(proxy_, &QCheckBox::toggled, this, &FreedbPage::updateEnables);
    connect(authorise_, &QCheckBox::toggled, this, &FreedbPage::updateEnables);
}

// The password is no key of the table: the store keeps it scrambled under keys of its own.
void FreedbPage::load(const Settings& settings) {
    password_->setText(QString::fromStdString(settings.ProxyPassword));
    OptionsPage::load(settings);
}

std::optional<PageProblem> FreedbPage::commit(Settings& settings) {
    OptionsPage::commit(settings);
    settings.ProxyPassword = password_->text().toStdString();
    return std::nullopt;
}

void FreedbPage::updateEnables() {
    const ProxyEnables on = ProxyEnablesFor(proxy_->isChecked(), authorise_->isChecked());
    EnableRow(proxyServer_, on.server);
    EnableRow(port_, on.server);
    authorise_->setEnabled(on.server);
    EnableRow(user_, on.credentials);
    EnableRow(password_, on.credentials);
}

}  // namespace korvida::gui

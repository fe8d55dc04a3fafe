#include "gui/freedb/SubmitDialog.h"

#include <QPushButton>
#include <QStackedWidget>

#include "gui/freedb/MessagePage.h"
#include "gui/freedb/StatusPage.h"
#include "gui/freedb/SubmitController.h"
#include "gui/freedb/SubmitEditPage.h"
#include "gui/freedb/WizardFrame.h"

namespace korvida::gui {

SubmitDialog::SubmitDialog(SubmitController& controller, QWidget* parent)
    : QDialog(parent),
      controller_(controller),
      pages_(new QStackedWidget(this)),
      edit_(new SubmitEditPage(pages_)),
      progress_(new StatusPage(pages_)),
      accepted_(new MessagePage(QStyle::SP_MessageBoxInformation, tr("提交成功。谢谢！"),
                                tr("您的 CD 信息将很快可以使用。"), pages_)),
      error_(new MessagePage(QStyle::SP_MessageBoxCritical, tr("提交失败！"), tr("未知的错误！"),
                             pages_)),
      submit_(new QPushButton(tr("提交(&S)"), this)),
      cancel_(new QPushButton(tr("取消(&C)"), this)) {
    setWindowTitle(tr("正提交到 freedb"));
    edit_->setObjectName(QStringLiteral("editPage"));
    progress_->setObjectName(QStringLiteral("progressPage"));
    accepted_->setObjectName(QStringLiteral("acceptedPage"));
    error_->setObjectName(QStringLiteral("errorPage"));
    submit_->setObjectName(QStringLiteral("submitButton"));
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    LayOutWizard(this, pages_, {edit_, progress_, accepted_, error_}, {submit_, cancel_});
    edit_->Load(controller_.openingForm());

    connect(submit_, &QPushButton::clicked, this, [this] { controller_.Submit(edit_->Form()); });
    connect(edit_, &SubmitEditPage::titleEdited, this, [this](int row, const QString& title) {
        controller_.EditTitle(row, title.toStdString());
    });
    connect(cancel_, &QPushButton::clicked, this, &SubmitDialog::reject);
    connect(&controller_, &SubmitController::changed, this, &SubmitDialog::ShowState);
    connect(&controller_, &SubmitController::finished, this,
            [this](bool cancelled) { done(cancelled ? Rejected : Accepted); });
    ShowState();
}

void SubmitDialog::ShowState() {
    using Page = SubmitController::Page;
    progress_->SetText(controller_.statusText());
    error_->SetText(controller_.errorText());
    const Page page = controller_.page();
    pages_->setCurrentIndex(static_cast<int>(page));  // pages were added in Page order
    submit_->setEnabled(controller_.submitEnabled());
    cancel_->setEnabled(controller_.cancelEnabled());
    cancel_->setText(controller_.closeCaption() ? tr("关闭") : tr("取消(&C)"));
    ShowBusy(this, controller_.busy());
}

void SubmitDialog::reject() {
    controller_.Cancel();
}

}  // namespace korvida::gui

#include "gui/freedb/SubmitDialog.h"

#include <QPushButton>

#include "gui/freedb/MessagePage.h"
#include "gui/freedb/StatusPage.h"
#include "gui/freedb/SubmitController.h"
#include "gui/freedb/SubmitEditPage.h"

namespace korvida::gui {

SubmitDialog::SubmitDialog(SubmitController& controller, QWidget* parent)
    : WizardFrame(tr("正提交到 freedb"), parent),
      controller_(controller),
      edit_(new SubmitEditPage),
      error_(new MessagePage(QStyle::SP_MessageBoxCritical, tr("提交失败！"), tr("未知的错误！"))),
      submit_(new QPushButton(tr("提交(&S)"))) {
    auto* accepted = new MessagePage(QStyle::SP_MessageBoxInformation, tr("提交成功。谢谢！"),
                                     tr("您的 CD 信息将很快可以使用。"));
    LayOut({{edit_, "editPage"},
            {statusPage(), "progressPage"},
            {accepted, "acceptedPage"},
            {error_, "errorPage"}},
           {{submit_, "submitButton"}});
    edit_->Load(controller_.openingForm());

    connect(submit_, &QPushButton::clicked, this, [this] { controller_.Submit(edit_->Form()); });
    connect(edit_, &SubmitEditPage::titleEdited, this, [this](int row, const QString& title) {
        controller_.EditTitle(row, title.toStdString());
    });
    Follow(controller_, /*acceptedWhen=*/false);  // finished says whether it was cancelled
}

void SubmitDialog::ShowState() {
    error_->SetText(controller_.errorText());
    ShowPageOf(controller_);
    submit_->setEnabled(controller_.submitEnabled());
    cancelButton()->setText(controller_.closeCaption() ? tr("关闭") : tr("取消(&C)"));
}

}  // namespace korvida::gui

#include "gui/freedb/QueryDialog.h"

#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>

#include "gui/freedb/MatchListPage.h"
#include "gui/freedb/MessagePage.h"
#include "gui/freedb/QueryController.h"
#include "gui/freedb/StatusPage.h"
#include "gui/freedb/WizardFrame.h"
#include "gui/widgets/GrowToShow.h"

namespace korvida::gui {

QueryDialog::QueryDialog(QueryController& controller, QWidget* parent)
    : QDialog(parent),
      controller_(controller),
      pages_(new QStackedWidget(this)),
      progress_(new StatusPage(pages_)),
      matches_(new MatchListPage(pages_)),
      noMatch_(new MessagePage(QStyle::SP_MessageBoxInformation, tr("抱歉！未发现相匹配的唱片！"),
                               {}, pages_)),
      error_(new MessagePage(QStyle::SP_MessageBoxCritical, {}, tr("错误: 未知的错误！"), pages_)),
      ok_(new QPushButton(tr("确定(&O)"), this)),
      cancel_(new QPushButton(tr("取消(&C)"), this)) {
    setWindowTitle(tr("垂询 Freedb"));
    progress_->setObjectName(QStringLiteral("progressPage"));
    matches_->setObjectName(QStringLiteral("matchPage"));
    noMatch_->setObjectName(QStringLiteral("noMatchPage"));
    error_->setObjectName(QStringLiteral("errorPage"));
    ok_->setObjectName(QStringLiteral("okButton"));
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    LayOutWizard(this, pages_, {progress_, matches_, noMatch_, error_}, {ok_, cancel_});

    connect(ok_, &QPushButton::clicked, this,
            [this] { controller_.Choose(matches_->selectedRow()); });
    connect(matches_, &MatchListPage::rowActivated, this,
            [this](int row) { controller_.Choose(row); });
    connect(cancel_, &QPushButton::clicked, this, &QueryDialog::reject);
    connect(&controller_, &QueryController::changed, this, &QueryDialog::ShowState);
    connect(&controller_, &QueryController::finished, this,
            [this](bool read) { done(read ? Accepted : Rejected); });
    ShowState();
}

void QueryDialog::ShowState() {
    using Page = QueryController::Page;
    progress_->SetText(controller_.statusText());
    error_->SetText(controller_.errorText().isEmpty() ? tr("错误: 未知的错误！")
                                                      : controller_.errorText());
    const Page page = controller_.page();
    const bool listShown = page == Page::kMatches && pages_->currentWidget() != matches_;
    if (listShown)
        matches_->SetMatches(controller_.matches());
    pages_->setCurrentIndex(static_cast<int>(page));  // pages were added in Page order
    ok_->setEnabled(controller_.okEnabled());
    // Arrows move through the matches and Enter reads the one highlighted; a disabled OK
    // is never the default.
    ok_->setDefault(controller_.okEnabled());
    if (listShown) {
        GrowToShow(this, pages_, matches_);
        matches_->list()->setFocus();
    }
    cancel_->setEnabled(controller_.cancelEnabled());
    ShowBusy(this, controller_.busy());
}

void QueryDialog::reject() {
    // Escape, the close box and Cancel: the controller decides when the dialog closes.
    controller_.Cancel();
}

}  // namespace korvida::gui

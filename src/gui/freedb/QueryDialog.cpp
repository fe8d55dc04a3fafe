#include "gui/freedb/QueryDialog.h"

#include <QPushButton>
#include <QTreeWidget>

#include "gui/freedb/MatchListPage.h"
#include "gui/freedb/MessagePage.h"
#include "gui/freedb/QueryController.h"
#include "gui/freedb/StatusPage.h"

namespace korvida::gui {

QueryDialog::QueryDialog(QueryController& controller, QWidget* parent)
    : WizardFrame(tr("垂询 Freedb"), parent),
      controller_(controller),
      matches_(new MatchListPage),
      error_(new MessagePage(QStyle::SP_MessageBoxCritical, {}, tr("错误: 未知的错误！"))),
      ok_(new QPushButton(tr("确定(&O)"))) {
    auto* noMatch =
        new MessagePage(QStyle::SP_MessageBoxInformation, tr("抱歉！未发现相匹配的唱片！"));
    LayOut({{statusPage(), "progressPage"},
            {matches_, "matchPage"},
            {noMatch, "noMatchPage"},
            {error_, "errorPage"}},
           {{ok_, "okButton"}});

    connect(ok_, &QPushButton::clicked, this,
            [this] { controller_.Choose(matches_->selectedRow()); });
    connect(matches_, &MatchListPage::rowActivated, this,
            [this](int row) { controller_.Choose(row); });
    Follow(controller_, /*acceptedWhen=*/true);
}

void QueryDialog::ShowState() {
    using Page = QueryController::Page;
    error_->SetText(controller_.errorText().isEmpty() ? tr("错误: 未知的错误！")
                                                      : controller_.errorText());
    const bool listShown =
        controller_.page() == Page::kMatches && Arriving(static_cast<int>(Page::kMatches));
    if (listShown)
        matches_->SetMatches(controller_.matches());
    ShowPageOf(controller_);
    ok_->setEnabled(controller_.okEnabled());
    // Arrows move through the matches and Enter reads the one highlighted; a disabled OK
    // is never the default.
    ok_->setDefault(controller_.okEnabled());
    if (listShown)
        Present(matches_, matches_->list());
}

}  // namespace korvida::gui

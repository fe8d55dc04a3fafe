#include "gui/musicbrainz/MusicBrainzDialog.h"

#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/freedb/MessagePage.h"
#include "gui/freedb/StatusPage.h"
#include "gui/musicbrainz/MusicBrainzController.h"
#include "gui/musicbrainz/ReleaseListPage.h"
#include "gui/widgets/ShownText.h"

namespace korvida::gui {

MusicBrainzDialog::MusicBrainzDialog(MusicBrainzController& controller, QWidget* parent)
    : WizardFrame(tr("从 MusicBrainz 获取唱片信息"), parent),
      controller_(controller),
      releases_(new ReleaseListPage),
      noMatch_(new QWidget),
      submit_(new QPushButton(tr("在浏览器中提交这张唱片..."), noMatch_)),
      url_(NewShownText(noMatch_)),
      browserMissing_(
          new QLabel(tr("没有打开浏览器。请复制上面的地址，在浏览器中打开。"), noMatch_)),
      error_(new MessagePage(QStyle::SP_MessageBoxCritical, {}, tr("错误: 未知的错误！"))),
      ok_(new QPushButton(tr("确定(&O)"))) {
    submit_->setObjectName(QStringLiteral("submitButton"));
    auto* notKnown =
        new MessagePage(QStyle::SP_MessageBoxInformation, tr("MusicBrainz 数据库中没有这张唱片。"),
                        tr("可以在 MusicBrainz 网站的这个地址把它加入数据库:"), noMatch_);
    // The address, for copying: the CLI prints it, and a desktop without a browser has
    // no other way to it.
    url_->setObjectName(QStringLiteral("submissionUrl"));
    browserMissing_->setObjectName(QStringLiteral("browserMissing"));
    browserMissing_->setWordWrap(true);
    browserMissing_->hide();
    auto* noMatchLayout = new QVBoxLayout(noMatch_);
    noMatchLayout->setContentsMargins(0, 0, 0, 0);
    noMatchLayout->addWidget(notKnown);
    noMatchLayout->addWidget(url_);
    noMatchLayout->addWidget(browserMissing_);
    noMatchLayout->addWidget(submit_, 0, Qt::AlignRight);
    noMatchLayout->addStretch(1);
    LayOut({{statusPage(), "progressPage"},
            {releases_, "releasePage"},
            {noMatch_, "noMatchPage"},
            {error_, "errorPage"}},
           {{ok_, "okButton"}});

    connect(ok_, &QPushButton::clicked, this, [this] {
        chosenRow_ = std::max(releases_->selectedRow(), 0);
        controller_.Choose(releases_->selectedRow());
    });
    connect(releases_, &ReleaseListPage::rowActivated, this, [this](int row) {
        chosenRow_ = std::max(row, 0);
        controller_.Choose(row);
    });
    connect(submit_, &QPushButton::clicked, this, [this] {
        if (!QDesktopServices::openUrl(QUrl(controller_.submissionUrl(), QUrl::StrictMode))) {
            browserMissing_->show();
            url_->setFocus();
            url_->selectAll();
        }
    });
    Follow(controller_, /*acceptedWhen=*/true);
}

void MusicBrainzDialog::ShowState() {
    using Page = MusicBrainzController::Page;
    QString error =
        controller_.errorText().isEmpty() ? tr("错误: 未知的错误！") : controller_.errorText();
    // A release the controller could not apply: the reason it was listed with.
    const auto& found = controller_.releases();
    if (controller_.page() == MusicBrainzController::Page::kError &&
        static_cast<std::size_t>(chosenRow_) < found.size() &&
        !found[static_cast<std::size_t>(chosenRow_)].note.empty())
        error += QStringLiteral("\n") +
                 QString::fromStdString(found[static_cast<std::size_t>(chosenRow_)].note);
    error_->SetText(error);
    const Page page = controller_.page();
    const bool listShown = page == Page::kReleases && Arriving(static_cast<int>(page));
    if (listShown)
        releases_->SetReleases(controller_.releases());
    submit_->setEnabled(!controller_.submissionUrl().isEmpty());
    url_->setText(controller_.submissionUrl());
    url_->setCursorPosition(0);
    ShowPageOf(controller_);
    ok_->setEnabled(controller_.okEnabled());
    ok_->setDefault(controller_.okEnabled());
    if (listShown)
        Present(releases_, releases_->list());
    // Enter submits: the button is the default and has the focus, which Cancel had.
    if (page == Page::kNoMatch && submit_->isEnabled()) {
        submit_->setDefault(true);
        submit_->setFocus();
    }
}

}  // namespace korvida::gui

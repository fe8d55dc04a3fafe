#include "gui/freedb/WizardFrame.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "core/freedb/ApplyReadResult.h"
#include "core/platform/UserNotifier.h"
#include "gui/app/DiscController.h"
#include "gui/app/TrackTableModel.h"
#include "gui/freedb/StatusPage.h"
#include "gui/widgets/GrowToShow.h"

namespace korvida::gui {

// The pages and buttons come without a parent and are given one in LayOut, in reading
// order, so that Tab goes through the pages' fields before the buttons.
WizardFrame::WizardFrame(const QString& title, QWidget* parent)
    : QDialog(parent),
      pages_(new QStackedWidget(this)),
      status_(new StatusPage),
      cancelButton_(new QPushButton(tr("取消(&C)"))) {
    setWindowTitle(title);
    connect(cancelButton_, &QPushButton::clicked, this, &WizardFrame::reject);
}

void WizardFrame::reject() {
    // Escape, the close box and Cancel: the controller decides when the dialog closes.
    if (cancel_)
        cancel_();
}

void WizardFrame::LayOut(std::initializer_list<Part> pages, std::initializer_list<Part> buttons) {
    pages_->setObjectName(QStringLiteral("pages"));
    for (const Part& page : pages) {
        page.widget->setObjectName(QString::fromLatin1(page.name));
        pages_->addWidget(page.widget);
    }
    auto* column = new QVBoxLayout;
    for (const Part& button : buttons) {
        button.widget->setObjectName(QString::fromLatin1(button.name));
        column->addWidget(button.widget);
    }
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    column->addWidget(cancelButton_);
    column->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addLayout(column);
}

bool WizardFrame::Arriving(int index) const {
    return pages_->currentIndex() != index;
}

void WizardFrame::Present(QWidget* page, QWidget* focus) {
    GrowToShow(this, pages_, page);
    focus->setFocus();
}

void WizardFrame::ShowPage(const QString& status, int index, bool cancelEnabled, bool busy) {
    status_->SetText(status);
    pages_->setCurrentIndex(index);
    cancelButton_->setEnabled(cancelEnabled);
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

bool HaveDiscForWizard(DiscController& discs, UserNotifier& notifier) {
    if (discs.busy())
        return false;
    if (!discs.hasDrive() || discs.rows().empty()) {
        notifier.ShowMessage(QObject::tr("没有 CD 可以使用！").toStdString());
        return false;
    }
    return true;
}

bool SameDisc(DiscController& discs, const DiscInfo& copy) {
    return !discs.busy() && discs.disc().rawToc == copy.rawToc;
}

bool TakeLookedUpDisc(DiscController& discs, const DiscInfo& copy) {
    if (!SameDisc(discs, copy))
        return false;
    discs.disc() = copy;
    ShowReadTitles(discs.disc(), discs.rows());
    discs.model()->rowsChanged();
    discs.storeDisc();
    return true;
}

}  // namespace korvida::gui

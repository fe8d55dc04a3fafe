#include "gui/settings/OptionsSheet.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/cdrom/CSCSIDriver.h"
#include "gui/settings/AppearancePage.h"
#include "gui/settings/CdromPage.h"
#include "gui/settings/FlacPage.h"
#include "gui/settings/FreedbPage.h"
#include "gui/settings/Misc1Page.h"
#include "gui/settings/Misc2Page.h"
#include "gui/settings/Mp3Page.h"
#include "gui/settings/MusicBrainzPage.h"
#include "gui/settings/OggPage.h"
#include "gui/settings/OptionsPrompter.h"
#include "gui/settings/OpusPage.h"
#include "gui/settings/OutputPage.h"
#include "gui/settings/VerifyPage.h"

namespace korvida::gui {
namespace {

bool KeepsSheetOpen(OptionsPageId id) {
    const auto& checked = OptionsSession::kCheckedPages;
    return std::find(checked.begin(), checked.end(), id) != checked.end();
}

}  // namespace

OptionsSheet::OptionsSheet(Settings& settings, OptionsContext context, QWidget* parent)
    : QDialog(parent),
      session_(settings, context.driveNames.size()),
      ownPrompter_(context.prompter ? nullptr : std::make_unique<DialogPrompter>()),
      prompter_(context.prompter ? context.prompter : ownPrompter_.get()),
      tree_(new QTreeWidget),
      stack_(new QStackedWidget) {
    setWindowTitle(tr("选项"));
    auto* header = new QLabel(QStringLiteral("Korvida CD Ripper"));
    auto* ok = new QPushButton(tr("确定"));
    auto* cancel = new QPushButton(tr("取消"));
    tree_->setObjectName(QStringLiteral("pageTree"));
    ok->setObjectName(QStringLiteral("okButton"));
    cancel->setObjectName(QStringLiteral("cancelButton"));

    auto storeAdvanced = [this](int copyright, int original, int privateBit) {
        session_.StoreAdvancedBits(copyright, original, privateBit);
    };
    pages_ = {new OutputPage(*prompter_),
              new Mp3Page(session_.opened(), storeAdvanced),
              new OggPage,
              new FlacPage,
              new OpusPage,
              new FreedbPage,
              new MusicBrainzPage,
              new CdromPage(context.driveNames),
              new VerifyPage(context.detectOffset),
              new AppearancePage(*prompter_, std::move(context.registry)),
              new Misc1Page(*prompter_),
              new Misc2Page(*prompter_)};

    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(false);
    tree_->setColumnCount(1);
    for (int i = 0; i < kOptionsPageCount; ++i) {
        auto* item = new QTreeWidgetItem(tree_);
        item->setText(0, tr(OptionsPageLabel(OptionsPageId(i))));
        item->setData(0, Qt::UserRole, i);
        pages_[static_cast<std::size_t>(i)]->load(settings);
        stack_->addWidget(pages_[static_cast<std::size_t>(i)]);
    }
    int widest = 0;
    for (int i = 0; i < kOptionsPageCount; ++i)
        widest = std::max(widest,
                          tree_->fontMetrics().horizontalAdvance(tree_->topLevelItem(i)->text(0)));
    tree_->setFixedWidth(widest + 2 * tree_->frameWidth() + 40);
    tree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    ok->setDefault(true);

    auto* body = new QHBoxLayout;
    body->addWidget(tree_);
    body->addWidget(stack_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(header);
    bottom->addStretch(1);
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(bottom);

    connect(tree_, &QTreeWidget::currentItemChanged, this, &OptionsSheet::onCurrentItemChanged);
    connect(ok, &QPushButton::clicked, this, &OptionsSheet::accept);
    connect(cancel, &QPushButton::clicked, this, &OptionsSheet::reject);
    showPage(context.startPage);
}

OptionsSheet::~OptionsSheet() = default;

OptionsPageId OptionsSheet::currentPage() const {
    return OptionsPageId(stack_->currentIndex());
}

bool OptionsSheet::selectPage(OptionsPageId id) {
    const OptionsPageId leaving = currentPage();
    if (id != leaving) {
        if (auto problem = page(leaving)->checkFields()) {
            showProblem(leaving, *problem);
            return false;
        }
    }
    showPage(id);
    return true;
}

void OptionsSheet::onCurrentItemChanged(QTreeWidgetItem* current) {
    if (!current)
        return;
    const OptionsPageId leaving = currentPage();
    if (auto problem = page(leaving)->checkFields()) {
        // The tree is inside its key or mouse handler, which selects the row it moved to
        // after this returns: the tree is put back on the page, and the message shown,
        // once that handler is through. A message box's loop run from here would let the
        // handler select the refused row under it.
        QMetaObject::invokeMethod(
            this, [this, leaving, problem = *problem] { showProblem(leaving, problem); },
            Qt::QueuedConnection);
        return;
    }
    stack_->setCurrentIndex(current->data(0, Qt::UserRole).toInt());
}

void OptionsSheet::showPage(OptionsPageId id) {
    const QSignalBlocker blocker(tree_);
    tree_->setCurrentItem(tree_->topLevelItem(static_cast<int>(id)));
    stack_->setCurrentIndex(static_cast<int>(id));
}

void OptionsSheet::showProblem(OptionsPageId id, const PageProblem& problem) {
    showPage(id);
    prompter_->warn(this, problem.message);
    if (problem.focus) {
        problem.focus->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(problem.focus))
            edit->selectAll();
        else if (auto* spin = qobject_cast<QAbstractSpinBox*>(problem.focus))
            spin->selectAll();
    }
}

void OptionsSheet::accept() {
    std::optional<PageProblem> problem;
    const auto refused = session_.Commit(
        [&](OptionsPageId id) {
            problem = page(id)->checkFields();
            return !problem;
        },
        [&](OptionsPageId id, Settings& staged) {
            problem = page(id)->commit(staged);
            if (problem && !KeepsSheetOpen(id))
                prompter_->warn(this, problem->message);
            return !problem;
        });
    if (refused) {
        showProblem(*refused, *problem);
        return;
    }
    emit applied(outcome());
    QDialog::accept();
}

std::vector<std::string> DriveNamesOf(const CSCSIDriver* driver) {
    std::vector<std::string> names;
    for (int i = 0; driver && i < driver->driveCount && i < kMaxDrives; ++i)
        names.push_back(DriveName(driver->drives[static_cast<std::size_t>(i)]));
    return names;
}

bool RunOptionsSheet(QWidget* parent, Settings& settings, OptionsContext context,
                     OptionsOutcome* outcome) {
    OptionsSheet sheet(settings, std::move(context), parent);
    const bool accepted = sheet.exec() == QDialog::Accepted;
    if (outcome)
        *outcome = accepted ? sheet.outcome() : OptionsOutcome{};
    return accepted;
}

}  // namespace korvida::gui

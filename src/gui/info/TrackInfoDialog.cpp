#include "gui/info/TrackInfoDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvida::gui {

TrackInfoDialog::TrackInfoDialog(TrackList& rows, DiscInfo& disc, QWidget* parent)
    : QDialog(parent), rows_(rows), disc_(disc), fields_(this) {
    auto* upper = new QFormLayout;
    title_ = fields_.AddEdit(upper, tr("标题"), &TrackInfo::Title, 255);
    fields_.AddEdit(upper, tr("艺术家"), &TrackInfo::Artist);
    fields_.AddEdit(upper, tr("专辑"), &TrackInfo::Album);
    fields_.AddEdit(upper, tr("年份"), &TrackInfo::Year);
    fields_.AddEdit(upper, tr("注释"), &TrackInfo::Comment);
    fields_.AddGenre(upper, tr("流派"));
    // What the disc says of the recording, not a description: shown, never edited.
    isrc_ = fields_.AddShown(upper, tr("ISRC"), QStringLiteral("isrc"));

    more_ = new QWidget(this);
    auto* lower = new QFormLayout(more_);
    lower->setContentsMargins(0, 0, 0, 0);
    fields_.AddEdit(lower, tr("作曲家"), &TrackInfo::Composer);
    fields_.AddEdit(lower, tr("原创者"), &TrackInfo::OrigArtist);
    fields_.AddEdit(lower, tr("版权"), &TrackInfo::Copyright);
    fields_.AddEdit(lower, tr("URL"), &TrackInfo::URL);
    fields_.AddEdit(lower, tr("编码者"), &TrackInfo::EncodedBy);

    previous_ = new QPushButton(tr("上一轨(&P)"), this);
    next_ = new QPushButton(tr("下一轨(&N)"), this);
    fold_ = new QPushButton(this);
    auto* ok = new QPushButton(tr("确定(&O)"), this);
    auto* cancel = new QPushButton(tr("取消(&C)"), this);
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(previous_);
    buttons->addWidget(next_);
    buttons->addWidget(fold_);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(upper);
    layout->addWidget(more_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // folding shrinks the dialog
    // The edits must be wide enough for a title without the fixed size squeezing them.
    title_->setMinimumWidth(360);

    connect(previous_, &QPushButton::clicked, this, [this] { Step(-1); });
    connect(next_, &QPushButton::clicked, this, [this] { Step(+1); });
    connect(fold_, &QPushButton::clicked, this, [this] { SetFolded(!folded()); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    SetFolded(true);
    LoadHighlighted();
}

bool TrackInfoDialog::folded() const {
    return more_->isHidden();
}

void TrackInfoDialog::SetFolded(bool folded) {
    more_->setHidden(folded);
    fold_->setText(folded ? tr("更多 >>>") : tr("<<< 更少"));
}

void TrackInfoDialog::LoadHighlighted() {
    const int position = rows_.FirstHighlighted();
    index_ = rows_.row(position).trackIndex;
    setWindowTitle(tr("音轨信息 [#%1]").arg(index_ + 1, 2, 10, QLatin1Char('0')));
    fields_.Load(disc_.tracks[static_cast<std::size_t>(index_)]);
    isrc_->setText(QString::fromStdString(disc_.isrc[static_cast<std::size_t>(index_)]));
    previous_->setEnabled(position > 0);
    next_->setEnabled(position < rows_.size() - 1);
    title_->setFocus();
    // Selected for typing over, with its beginning in view: the cursor at the start.
    title_->setSelection(static_cast<int>(title_->text().size()),
                         -static_cast<int>(title_->text().size()));
}

void TrackInfoDialog::Store() {
    TrackInfo& track = disc_.tracks[static_cast<std::size_t>(index_)];
    fields_.Store(track);
    rows_.SetTitle(index_, track.Title);
}

void TrackInfoDialog::Step(int delta) {
    Store();
    const int position = rows_.FirstHighlighted() + delta;
    if (position < 0 || position >= rows_.size())
        return;
    rows_.HighlightOnly(position);
    emit highlightMoved();
    LoadHighlighted();
}

void TrackInfoDialog::accept() {
    Store();
    QDialog::accept();
}

}  // namespace korvida::gui

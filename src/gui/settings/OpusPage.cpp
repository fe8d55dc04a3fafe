#include "gui/settings/OpusPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/settings/NumberEdit.h"

namespace korvida::gui {

OpusPage::OpusPage(QWidget* parent) : OptionsPage(parent), bitRate_(new NumberEdit(this)) {
    auto* rateRow = new QHBoxLayout;
    rateRow->addWidget(new QLabel(tr("比特率:")));
    rateRow->addWidget(bitRate_);
    rateRow->addWidget(new QLabel(tr("kbit/s (6 - 510)")));
    rateRow->addStretch(1);

    auto* note =
        new QLabel(tr("Opus 文件总是以 48 kHz 编码，播放器会还原原来的长度。"
                      "160 kbit/s 的立体声与原声几乎无法区分。"));
    note->setWordWrap(true);
    auto* comments = new QLabel(tr("注释: 与 Ogg Vorbis 页所选的项目相同。"));
    comments->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(rateRow);
    layout->addWidget(note);
    layout->addWidget(comments);
    layout->addStretch(1);

    bindNumber(bitRate_, "Opus", "Bitrate", /*clampOnOpen=*/true);
}

}  // namespace korvida::gui

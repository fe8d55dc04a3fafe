#include "gui/settings/OpusPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/settings/NumberEdit.h"

namespace korvida::gui {

OpusPage::OpusPage(QWidget* parent) : OptionsPage(parent), bitRate_(new NumberEdit(this)) {
    auto* rateRow = new QHBoxLayout;
    auto* rateLabel = new QLabel(tr("比特率(&B):"));
    rateLabel->setBuddy(bitRate_);
    rateRow->addWidget(rateLabel);
    rateRow->addWidget(bitRate_);
    rateRow->addWidget(new QLabel(tr("kbit/s (6 - 510)")));
    rateRow->addStretch(1);

    auto* note =
        new QLabel(tr("Opus 总是以 48 kHz 编码: CD 的 44.1 kHz 音频在编码时重新采样，"
                      "播放时长不变。比特率越高，音质越好，文件越大；立体声在 160 kbit/s 时"
                      "已几乎听不出与原声的差别。"));
    note->setWordWrap(true);
    auto* comments = new QLabel(tr("写入文件的标签项目与 Ogg Vorbis 页上所选的相同。"));
    comments->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(rateRow);
    layout->addWidget(note);
    layout->addWidget(comments);
    layout->addStretch(1);

    bindNumber(bitRate_, "Opus", "Bitrate", /*clampOnOpen=*/true);
}

}  // namespace korvida::gui

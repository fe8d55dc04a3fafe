#include "gui/settings/OggPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

namespace korvida::gui {
namespace {

constexpr int kQualityShownWhenOutside = 60;

struct CommentSwitch {
    const char* label;
    const char* key;  // in section "Ogg Vorbis"
};

constexpr CommentSwitch kComments[12] = {
    {QT_TR_NOOP("标题"), "Title"},       {QT_TR_NOOP("艺术家"), "Artist"},
    {QT_TR_NOOP("专辑"), "Album"},       {QT_TR_NOOP("年份"), "Year"},
    {QT_TR_NOOP("流派"), "Genre"},       {QT_TR_NOOP("注释"), "Comment"},
    {QT_TR_NOOP("作曲家"), "Composer"},  {QT_TR_NOOP("原创者"), "Orig.Artist"},
    {QT_TR_NOOP("版权"), "Copyright"},   {"URL", "URL"},
    {QT_TR_NOOP("编码者"), "EncodedBy"}, {QT_TR_NOOP("音轨编号"), "TrackNo"}};

}  // namespace

OggPage::OggPage(QWidget* parent) : OptionsPage(parent), quality_(new QSlider(Qt::Horizontal)) {
    quality_->setRange(1, 100);
    quality_->setTickPosition(QSlider::TicksBelow);
    quality_->setTickInterval(10);

    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(new QLabel(tr("低")));
    sliderRow->addWidget(quality_, 1);
    sliderRow->addWidget(new QLabel(tr("高")));

    auto* group = new QGroupBox(tr("添加以下项目到输出 Ogg vorbis 文件的注释:"));
    auto* grid = new QGridLayout(group);
    for (int i = 0; i < 12; ++i) {
        auto* box = new QCheckBox(tr(kComments[i].label));
        grid->addWidget(box, i / 3, i % 3);
        bindCheck(box, "Ogg Vorbis", kComments[i].key);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("品质系数:")));
    layout->addLayout(sliderRow);
    layout->addWidget(group);
    layout->addStretch(1);
}

// A slider is no field the table's binding kinds cover: its value is the position.
void OggPage::load(const Settings& settings) {
    OptionsPage::load(settings);
    const int q = settings.ogg.Quality;
    quality_->setValue(q >= 1 && q <= 100 ? q : kQualityShownWhenOutside);
}

std::optional<PageProblem> OggPage::commit(Settings& settings) {
    OptionsPage::commit(settings);
    settings.ogg.Quality = quality_->value();
    return std::nullopt;
}

}  // namespace korvida::gui

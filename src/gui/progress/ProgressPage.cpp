#include "gui/progress/ProgressPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "gui/progress/ProgressTexts.h"

namespace korvida::gui {

ProgressPage::ProgressPage(const QString& groupText, const QString& barText, QWidget* parent)
    : QWidget(parent),
      group_(new QGroupBox(groupText, this)),
      bar_(new QProgressBar(group_)),
      elapsed_(new QLabel(QStringLiteral("00:00"), group_)),
      estimate_(new QLabel(QStringLiteral("00:00"), group_)) {
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(true);
    bar_->setAlignment(Qt::AlignCenter);
    bar_->setFormat(barText);
    auto* grid = new QGridLayout(group_);
    grid->addWidget(bar_, 0, 0, 1, 4);
    grid->addWidget(new QLabel(tr("已用时间:"), group_), 1, 0);
    grid->addWidget(elapsed_, 1, 1);
    grid->addWidget(new QLabel(tr("估计需时:"), group_), 1, 2);
    grid->addWidget(estimate_, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group_);
    // The group keeps its own height: a taller page would spread the bar from its times.
    layout->addStretch(1);
}

void ProgressPage::SetGroupText(const QString& text) {
    group_->setTitle(text);
}

void ProgressPage::SetProgress(std::uint32_t perMille, std::uint32_t elapsedMs) {
    bar_->setValue(static_cast<int>(perMille / 10));
    bar_->setFormat(PercentText(perMille));
    elapsed_->setText(ClockText(elapsedMs));
    if (const auto total = EstimatedTotalMs(perMille, elapsedMs))
        estimate_->setText(ClockText(*total));
}

QString ProgressPage::groupText() const {
    return group_->title();
}
QString ProgressPage::barText() const {
    return bar_->format();
}
QString ProgressPage::elapsedText() const {
    return elapsed_->text();
}
QString ProgressPage::estimateText() const {
    return estimate_->text();
}

}  // namespace korvida::gui

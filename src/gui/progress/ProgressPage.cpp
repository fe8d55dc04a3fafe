#include "gui/progress/ProgressPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/progress/ProgressTexts.h"

namespace korvida::gui {

ProgressPage::ProgressPage(const QString& groupText, const QString& barText, QWidget* parent)
    : QWidget(parent),
      group_(new QGroupBox(groupText, this)),
      bar_(new QProgressBar(group_)),
      elapsed_(new QLabel(QStringLiteral("00:00"), group_)),
      estimate_(new QLabel(QStringLiteral("00:00"), group_)),
      behind_(new QLabel(group_)),
      behindBar_(new QProgressBar(group_)) {
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
    behindBar_->setRange(0, 100);
    behindBar_->setTextVisible(true);
    behindBar_->setAlignment(Qt::AlignCenter);
    behindBar_->setFormat(PercentText(0));
    grid->addWidget(behind_, 2, 0, 1, 4);
    grid->addWidget(behindBar_, 3, 0, 1, 4);
    behind_->hide();
    behindBar_->hide();
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
    perMille_ = perMille;
    elapsedMs_ = elapsedMs;
    ShowEstimate();
}

void ProgressPage::SetBehindText(const QString& text) {
    behind_->setText(text);
    behind_->show();
    behindBar_->show();
    behindBar_->setValue(0);
    behindBar_->setFormat(PercentText(0));
    behindLeftMs_.reset();
}

void ProgressPage::SetBehindProgress(std::uint32_t perMille, std::uint32_t elapsedMs) {
    behindBar_->setValue(static_cast<int>(perMille / 10));
    behindBar_->setFormat(PercentText(perMille));
    if (const auto total = EstimatedTotalMs(perMille, elapsedMs))
        behindLeftMs_ = *total > elapsedMs ? *total - elapsedMs : 0;
    ShowEstimate();
}

void ProgressPage::ShowEstimate() {
    const auto total = EstimatedTotalMs(perMille_, elapsedMs_);
    if (!behindLeftMs_) {
        if (total)
            estimate_->setText(ClockText(*total));
        return;
    }
    // The stage shown is done when the encoding behind it is done too.
    const std::uint32_t left = total && *total > elapsedMs_ ? *total - elapsedMs_ : 0;
    estimate_->setText(ClockText(elapsedMs_ + std::max(left, *behindLeftMs_)));
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
bool ProgressPage::behindShown() const {
    return !behind_->isHidden();
}
QString ProgressPage::behindText() const {
    return behind_->text();
}
QString ProgressPage::behindBarText() const {
    return behindBar_->format();
}

}  // namespace korvida::gui

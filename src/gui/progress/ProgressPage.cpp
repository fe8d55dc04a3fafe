#include "gui/progress/ProgressPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "gui/progress/ProgressTexts.h"

namespace korvida::gui {
namespace {

QProgressBar* PercentBar(QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(true);
    bar->setAlignment(Qt::AlignCenter);
    return bar;
}

}  // namespace

ProgressPage::ProgressPage(const QString& groupText, const QString& barText, QWidget* parent)
    : QWidget(parent),
      group_(new QGroupBox(groupText, this)),
      bar_(PercentBar(group_)),
      elapsed_(new QLabel(QStringLiteral("00:00"), group_)),
      estimate_(new QLabel(QStringLiteral("00:00"), group_)),
      jobElapsed_(new QLabel(QStringLiteral("00:00"), group_)),
      jobLeft_(new QLabel(QStringLiteral("--:--"), group_)),
      encoders_(new QGridLayout) {
    group_->setObjectName(QStringLiteral("stageGroup"));
    bar_->setObjectName(QStringLiteral("stageBar"));
    bar_->setFormat(barText);
    elapsed_->setObjectName(QStringLiteral("stageElapsed"));
    estimate_->setObjectName(QStringLiteral("stageEstimate"));
    jobElapsed_->setObjectName(QStringLiteral("jobElapsed"));
    jobLeft_->setObjectName(QStringLiteral("jobLeft"));
    itemTimes_ = {new QLabel(tr("已用时间:"), group_), elapsed_,
                  new QLabel(tr("估计需时:"), group_), estimate_};
    jobTimes_ = {new QLabel(tr("全部已用时间:"), group_), jobElapsed_,
                 new QLabel(tr("全部剩余时间:"), group_), jobLeft_};

    // One grid, so the item's times and the whole rip's line up; the encoders' lines
    // between them have a grid of their own.
    auto* grid = new QGridLayout(group_);
    grid->addWidget(bar_, 0, 0, 1, 4);
    for (int column = 0; column < 4; ++column) {
        grid->addWidget(itemTimes_[static_cast<std::size_t>(column)], 1, column);
        grid->addWidget(jobTimes_[static_cast<std::size_t>(column)], 3, column);
    }
    encoders_->setContentsMargins(0, 0, 0, 0);
    encoders_->setColumnStretch(1, 1);
    grid->addLayout(encoders_, 2, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    for (QWidget* part : jobTimes_)
        part->hide();

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

void ProgressPage::SetItemShown(bool shown) {
    bar_->setVisible(shown);
    for (QWidget* part : itemTimes_)
        part->setVisible(shown);
}

void ProgressPage::SetEncoders(const std::vector<std::pair<QString, std::uint32_t>>& lines) {
    // Rows are made as more encoders work at once and hidden when fewer do.
    while (encoderRows_.size() < lines.size()) {
        auto* text = new QLabel(group_);
        text->setObjectName(QStringLiteral("encoderText"));
        auto* bar = PercentBar(group_);
        bar->setObjectName(QStringLiteral("encoderBar"));
        const int row = static_cast<int>(encoderRows_.size());
        encoders_->addWidget(text, row, 0);
        encoders_->addWidget(bar, row, 1);
        encoderRows_.emplace_back(text, bar);
    }
    for (std::size_t row = 0; row < encoderRows_.size(); ++row) {
        auto [text, bar] = encoderRows_[row];
        const bool used = row < lines.size();
        text->setVisible(used);
        bar->setVisible(used);
        if (!used)
            continue;
        text->setText(lines[row].first);
        bar->setValue(static_cast<int>(lines[row].second / 10));
        bar->setFormat(PercentText(lines[row].second));
    }
}

void ProgressPage::SetJobTimes(const QString& elapsed, const QString& left) {
    for (QWidget* part : jobTimes_)
        part->show();
    jobElapsed_->setText(elapsed);
    jobLeft_->setText(left);
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

#include "gui/widgets/ExtendedFileDialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "gui/widgets/FitFileDialog.h"

namespace korvida::gui {

ExtendedFileDialog::ExtendedFileDialog(const QString& caption, const QString& filter,
                                       const QString& folder, QWidget* parent)
    : QFileDialog(parent, caption, folder, filter) {
    // The extra row needs Qt's own dialog: a desktop's native one cannot be extended.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);

    auto* row = new QWidget(this);
    auto* line = new QFrame(row);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* text = new QLabel(tr("点击此按钮改变默认设置 -->"), row);
    auto* options = new QPushButton(tr("选项..."), row);
    options->setObjectName(QStringLiteral("options"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(text);
    buttons->addWidget(options);
    auto* rowLayout = new QVBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->addWidget(line);
    rowLayout->addLayout(buttons);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(row, grid->rowCount(), 0, 1, grid->columnCount());
    connect(options, &QPushButton::clicked, this, &ExtendedFileDialog::optionsRequested);
    FitFileDialog(*this);
}

}  // namespace korvida::gui

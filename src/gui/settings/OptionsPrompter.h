#pragma once

#include <QColor>
#include <QString>
#include <array>
#include <optional>

class QWidget;

namespace korvida::gui {

// The message boxes and system choosers the options sheet opens, behind an interface so
// that tests answer them.
class OptionsPrompter {
  public:
    virtual ~OptionsPrompter() = default;
    virtual void warn(QWidget* parent, const QString& text) = 0;
    // A folder, starting at `start`; nothing when the user cancels.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                                const QString& start) = 0;
    // A program file for the player setting.
    virtual std::optional<QString> chooseProgram(QWidget* parent, const QString& start) = 0;
    // A colour, starting at `initial`; the chooser shows and may change `custom`.
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial,
                                              std::array<QColor, 16>& custom) = 0;
};

// Message boxes, the desktop's folder and file dialogs, and QColorDialog.
class DialogPrompter : public OptionsPrompter {
  public:
    void warn(QWidget* parent, const QString& text) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                        const QString& start) override;
    std::optional<QString> chooseProgram(QWidget* parent, const QString& start) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial,
                                      std::array<QColor, 16>& custom) override;
};

}  // namespace korvida::gui

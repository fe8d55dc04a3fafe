#pragma once

#include <QWidget>

#include "core/freedb/FreedbSubmission.h"

class QComboBox;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvida::gui {

// Artist, album, genre, revision and the track titles of a submission. A double click
// on a row edits its title in place (Enter or leaving the cell commits, Escape
// abandons); each committed title is announced with titleEdited.
class SubmitEditPage : public QWidget {
    Q_OBJECT

  public:
    explicit SubmitEditPage(QWidget* parent = nullptr);

    // Fills every field; the genre list selects the form's category, or nothing when it
    // is no freedb category.
    void Load(const SubmitForm& form);
    SubmitForm Form() const;

  signals:
    void titleEdited(int row, const QString& title);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void EditRow(QTreeWidgetItem* item);

    QLineEdit* artist_;
    QLineEdit* album_;
    QComboBox* genre_;
    QLineEdit* revision_;
    QTreeWidget* titles_;
    bool loading_ = false;
};

}  // namespace korvida::gui

#pragma once

#include <QSize>
#include <QStringList>
#include <QTreeWidget>

namespace korvida::gui {

// A list to pick one row from (the freedb matches, the MusicBrainz releases). Its rows
// are as tall as the tallest script they may hold, so Latin and Chinese rows match; a
// cell's tool tip holds its whole text. One column, the one whose texts tell the rows
// apart, takes the room the others leave; the others are as wide as their texts, up to
// a share. The list asks for room for its rows (several at least) and their texts, and
// its first row is current. A double click activates a row.
class ChoiceList : public QTreeWidget {
    Q_OBJECT

  public:
    ChoiceList(const QStringList& headers, int stretchColumn, QWidget* parent = nullptr);

    // New columns, emptied of rows.
    void SetColumns(const QStringList& headers, int stretchColumn);
    // A row of texts in column order; its tool tips are the texts, `note` below them.
    QTreeWidgetItem* AddRow(const QStringList& texts, const QString& note = {});
    // After the rows are in: the columns take their widths, the first row is current,
    // and the list asks for the room they need.
    void RowsAdded();
    // The selected row, -1 when none is.
    int selectedRow() const;

    QSize sizeHint() const override;

  signals:
    void rowActivated(int row);

  private:
    int stretchColumn_ = 0;
};

}  // namespace korvida::gui

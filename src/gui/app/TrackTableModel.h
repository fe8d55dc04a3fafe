#pragma once

#include <QAbstractTableModel>
#include <functional>

#include "core/disc/TrackList.h"

namespace korvida::gui {

// The track list as Qt sees it: a view over the core's row model, not a copy. Column 0
// carries the check box, which writes the row's flag; Qt::UserRole gives a row's item
// data (its track index). Row order is the user's: the model never sorts.
class TrackTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { kNumber, kTitle, kLength, kSize, kColumnCount };
    static constexpr int kTrackIndexRole = Qt::UserRole;

    explicit TrackTableModel(TrackList& rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Runs `change`, which rebuilds or reorders the core rows (a disc load, a move),
    // inside a model reset.
    void resetWith(const std::function<void()>& change);
    // Texts or check boxes of every row changed; the row count did not.
    void rowsChanged();

  private:
    TrackList& rows_;
};

}  // namespace korvida::gui

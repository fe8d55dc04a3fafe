#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korvida {

// The main window's track list as data: rows in display order, each with its four
// column texts, its check box, its highlight and its item data, the 0-based index of
// the track it shows. Rows and tracks are kept apart: a moved row still names its track
// through its item data, never through its position. The GUI shows this model; the CLI
// and the tests use it directly.
class TrackList {
  public:
    struct Row {
        std::array<std::string, 4> texts;  // Number, Title, Length, Size
        bool checked = false;
        bool highlighted = false;
        int trackIndex = 0;  // item data
    };
    enum class Move { kTop, kUp, kDown, kBottom };

    void Clear() { rows_.clear(); }
    void AddRow(Row row) { rows_.push_back(std::move(row)); }
    int size() const { return static_cast<int>(rows_.size()); }
    bool empty() const { return rows_.empty(); }
    const Row& row(int position) const { return rows_.at(static_cast<std::size_t>(position)); }
    Row& row(int position) { return rows_.at(static_cast<std::size_t>(position)); }
    const std::vector<Row>& rows() const { return rows_; }

    // Position of the row whose item data is trackIndex, or -1.
    int FindTrack(int trackIndex) const;
    // Position of the first highlighted row, or -1.
    int FirstHighlighted() const;
    // Highlights exactly the row at `position` (none when out of range).
    void HighlightOnly(int position);

    void CheckAll(bool checked);
    void InvertChecks();
    // Item data of the checked rows, in list order: the order a rip visits them.
    std::vector<int> CheckedTracks() const;

    // Sets the Title column of the row showing trackIndex, if there is one.
    void SetTitle(int trackIndex, const std::string& title);

    // Moves the first highlighted row; it keeps its texts, check box, highlight and item
    // data. Returns its new position, or -1 when no row is highlighted. A row at the edge
    // in the direction of the move stays where it is.
    int MoveHighlighted(Move move);

  private:
    std::vector<Row> rows_;
};

// Column texts of a track of `frames` frames: "%02d:%02d" with unlimited minutes, and
// "%0.2f" megabytes of 2352-byte frames.
std::string FormatTrackLength(std::uint32_t frames);
std::string FormatTrackSize(std::uint32_t frames);
std::string FormatTrackNumber(int trackIndex);

}  // namespace korvida

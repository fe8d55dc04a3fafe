#pragma once

#include <QDialog>

class QLabel;

#include "core/disc/DiscInfo.h"
#include "gui/info/DescriptionFields.h"

namespace korvida::gui {

// Edits the album record. OK stores the fields, the genre text and the genre number
// (the index of the entry picked from the list; -1 when the text was typed or only
// preset). "复制信息到每条音轨" stores the fields (not the number) and copies them into
// the first rowCount tracks at once, leaving their titles; Cancel keeps those copies.
// The disc's stored front cover shows beside the fields, its MusicBrainz disc id below.
class AlbumInfoDialog : public QDialog {
    Q_OBJECT

  public:
    AlbumInfoDialog(DiscInfo& disc, int rowCount, QWidget* parent = nullptr);

    void accept() override;
    void CopyToEveryTrack();

  private:
    void LoadCover();

    DiscInfo& disc_;
    int rowCount_;
    int picked_ = -1;
    DescriptionFields fields_;
    QLabel* cover_ = nullptr;
};

}  // namespace korvida::gui

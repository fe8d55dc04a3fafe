#pragma once

#include <QStringList>

namespace korvida::gui {

// `korvida --show-options PAGE [--image CUE]...` opens only the options sheet, at PAGE
// (output, mp3, ogg, freedb, cdrom, appearance, misc1, misc2, or advanced: the MP3 page
// with its Advanced dialog on top), over the settings of the app home and a drive list of
// the images, so that scripts/screenshots-options can take its pictures. Nothing is saved.
// Returns the exit code, or -1 when the arguments do not ask for it.
int RunOptionsSheetPreview(const QStringList& args);

}  // namespace korvida::gui

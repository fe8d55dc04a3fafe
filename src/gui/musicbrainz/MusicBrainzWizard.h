#pragma once

class QWidget;

namespace korvida {
class UserNotifier;
}  // namespace korvida

namespace korvida::gui {

class DiscController;

// The MusicBrainz command: runs the lookup dialog over the current disc; the release
// applied goes into the disc, the track list and the local disc database, as a freedb
// read does. Then, unless [MusicBrainz] CoverArt is 0, its front cover is fetched in the
// background (a CoverArtFetcher, child of `parent`) and stored beside the disc's entry.
void RunMusicBrainzWizard(DiscController& discs, UserNotifier& notifier, QWidget* parent);

}  // namespace korvida::gui

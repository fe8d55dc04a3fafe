#pragma once

// Command numbers of the menus, accelerators, context menu and image buttons. They keep
// the numbers of the resource ids they stand for, so a test or a log can name a command
// by its number. Actions carry them as their data.

namespace korvida::gui::cmd {

enum : int {
    // File menu
    kEncodeWavToMp3 = 32777,
    kEncodeWavToOgg = 32861,
    kDecodeMp3ToWav = 32852,
    kNormaliseWav = 32853,
    kImportCdPlayerIni = 32857,
    kExportCdPlayerIni = 32858,
    kDefaultPlayer = 32848,
    kViewLog = 32833,
    kEject = 32802,
    kExit = 32778,
    // Opens a CUE image as a virtual drive: not one of the original commands, so it
    // takes a number no resource used.
    kOpenImage = 32900,
    // The formats beside the original ones, numbered as kOpenImage is.
    kEncodeWavToFlac = 32910,
    kEncodeWavToOpus = 32911,
    kDecodeFlacToWav = 32912,
    kVerifyRip = 32913,

    // Edit menu
    kTrackInfo = 32784,
    kDiscInfo = 32859,
    kDiscInfoKey = 32782,  // F3: same action as kDiscInfo
    kSelectAll = 32785,
    kSelectNone = 32786,
    kInvertSelection = 32787,
    kUpperCase = 32854,
    kLowerCase = 32855,
    kCapitalise = 32856,
    kCopyToClipboard = 32789,
    kOptions = 32788,

    // Action menu
    kRip = 32790,
    kOpenOutputFolder = 32814,
    kRefreshToc = 32807,
    kQueryFreedb = 32791,
    // Names the disc from MusicBrainz: a command of our own, numbered beyond the resources.
    kQueryMusicBrainz = 32901,
    kSubmitFreedb = 32792,
    kPlaySelected = 32793,
    kPlayHighlighted = 32860,
    kStop = 32794,
    kPreviousTrack = 32796,
    kNextTrack = 32797,
    kVolumeControl = 32830,

    // Help menu
    kHelpTopics = 32834,
    kAbout = 32801,

    // Track list context menu
    kPopupRip = 32815,
    kPopupPlay = 32816,
    kPopupTrackInfo = 32817,
    kPopupSelectAll = 32824,
    kPopupSelectNone = 32819,
    kPopupInvert = 32820,

    // Image buttons (the toolbar)
    kButtonOptions = 33001,
    kButtonQueryFreedb = 33002,
    kButtonPlayer = 33003,
    kButtonQueryMusicBrainz = 33020,
    kButtonOutputFolder = 33004,
    kButtonClose = 33005,
    kButtonTrackInfo = 33006,
    kMoveTop = 33007,
    kMoveUp = 33008,
    kMoveDown = 33009,
    kMoveBottom = 33010,
    kButtonRip = 33011,
    kButtonMinimise = 33013,
    kButtonPrevious = 33014,
    kButtonPlay = 33015,
    kButtonPause = 33016,
    kButtonStop = 33017,
    kButtonEject = 33018,
    kButtonNext = 33019,

    // Open a menu of the menu bar
    kOpenFileMenu = 34006,
    kOpenEditMenu = 34007,
    kOpenActionMenu = 34008,
    kOpenHelpMenu = 34009,
};

}  // namespace korvida::gui::cmd

#include "gui/app/CommandTable.h"

#include <QtGlobal>
#include <algorithm>

#include "gui/app/CommandIds.h"

namespace korvida::gui {
namespace {

using namespace cmd;

#define CAPTION(text) QT_TRANSLATE_NOOP("Commands", text)

// Accelerators are those of the original program, Ctrl+Q (query freedb) and Ctrl+V
// (volume) included: its users know them. Ctrl+M (MusicBrainz) is ours, beside freedb's.
const CommandSpec kCommands[] = {
    // File
    {kEncodeWavToMp3, CAPTION("编码 WAV 为 MP3..."), nullptr, nullptr},
    {kEncodeWavToOgg, CAPTION("编码 WAV 为 Ogg..."), nullptr, nullptr},
    {kDecodeMp3ToWav, CAPTION("解码 MP3 为 WAV..."), nullptr, nullptr},
    {kEncodeWavToFlac, CAPTION("编码 WAV 为 FLAC..."), nullptr, nullptr},
    {kEncodeWavToOpus, CAPTION("编码 WAV 为 Opus..."), nullptr, nullptr},
    {kDecodeFlacToWav, CAPTION("解码 FLAC 为 WAV..."), nullptr, nullptr},
    {kNormaliseWav, CAPTION("规格化 WAV 文件..."), nullptr, nullptr},
    {kVerifyRip, CAPTION("校验已抓取的文件..."), nullptr, nullptr},
    {kOpenImage, CAPTION("打开 CD 映像..."), nullptr, "document-open"},
    {kImportCdPlayerIni, CAPTION("从 cdplayer.ini 导入"), "Ctrl+R", nullptr},
    {kExportCdPlayerIni, CAPTION("导出到 cdplayer.ini"), nullptr, nullptr},
    {kDefaultPlayer, CAPTION("默认 MP3 播放器"), "F12", "multimedia-player"},
    {kViewLog, CAPTION("查看日志..."), nullptr, nullptr},
    {kEject, CAPTION("弹出光盘"), "Ctrl+E", "media-eject"},
    {kExit, CAPTION("退出"), nullptr, "application-exit"},
    // Edit
    {kTrackInfo, CAPTION("音轨信息..."), "F2", "document-properties"},
    {kDiscInfo, CAPTION("唱片信息..."), nullptr, nullptr},
    {kDiscInfoKey, CAPTION("唱片信息..."), "F3", nullptr, kDiscInfo},
    {kSelectAll, CAPTION("全部选择"), nullptr, nullptr},
    {kSelectNone, CAPTION("取消选择"), "Ctrl+N", nullptr},
    {kInvertSelection, CAPTION("反向选择"), nullptr, nullptr},
    {kUpperCase, CAPTION("大写字母"), nullptr, nullptr},
    {kLowerCase, CAPTION("小写字母"), nullptr, nullptr},
    {kCapitalise, CAPTION("以大写字母开头"), nullptr, nullptr},
    {kCopyToClipboard, CAPTION("复制到剪贴板"), "Ctrl+C", "edit-copy"},
    {kOptions, CAPTION("选项..."), "Ctrl+O", "preferences-system"},
    // Action
    {kRip, CAPTION("抓取..."), "Ctrl+X", "media-record"},
    {kOpenOutputFolder, CAPTION("打开输出目录"), "Ctrl+F", "folder-open"},
    {kRefreshToc, CAPTION("刷新 TOC"), "F5", "view-refresh"},
    {kQueryFreedb, CAPTION("垂询 Freedb..."), "Ctrl+Q", "network-server"},
    {kQueryMusicBrainz, CAPTION("从 MusicBrainz 获取唱片信息..."), "Ctrl+M", "korvida-disc-lookup"},
    {kSubmitFreedb, CAPTION("提交到 Freedb..."), nullptr, nullptr},
    {kPlaySelected, CAPTION("播放所选音轨"), "Ctrl+P", "media-playback-start"},
    {kPlayHighlighted, CAPTION("播放高亮显示的音轨"), "Return", nullptr},
    {kStop, CAPTION("停止"), "Ctrl+S", "media-playback-stop"},
    {kPreviousTrack, CAPTION("上一音轨"), nullptr, "media-skip-backward"},
    {kNextTrack, CAPTION("下一音轨"), nullptr, "media-skip-forward"},
    {kVolumeControl, CAPTION("音量控制"), "Ctrl+V", nullptr},
    // Help
    {kHelpTopics, CAPTION("帮助主题"), "F1", "help-contents"},
    {kAbout, CAPTION("关于 Korvida CD Ripper..."), nullptr, "help-about"},
    // Track list context menu: the popup's rip and play entries have no handler of their
    // own in the original; here they do what their captions say.
    {kPopupRip, CAPTION("抓取..."), nullptr, nullptr, kRip},
    {kPopupPlay, CAPTION("播放 CD 唱片"), nullptr, nullptr, kPlaySelected},
    {kPopupTrackInfo, CAPTION("编辑音轨信息(&E)"), nullptr, nullptr, kTrackInfo},
    {kPopupSelectAll, CAPTION("全部选择"), "Ctrl+A", nullptr, kSelectAll},
    {kPopupSelectNone, CAPTION("取消选择"), nullptr, nullptr, kSelectNone},
    {kPopupInvert, CAPTION("反向选择"), nullptr, nullptr, kInvertSelection},
    // Image buttons
    {kButtonOptions, CAPTION("选项"), nullptr, "preferences-system", kOptions},
    {kButtonQueryFreedb, CAPTION("垂询 Freedb"), nullptr, "network-server", kQueryFreedb},
    {kButtonQueryMusicBrainz, CAPTION("从 MusicBrainz 获取唱片信息"), nullptr,
     "korvida-disc-lookup", kQueryMusicBrainz},
    {kButtonPlayer, CAPTION("默认 MP3 播放器"), nullptr, "multimedia-player", kDefaultPlayer},
    {kButtonOutputFolder, CAPTION("输出目录"), nullptr, "folder-open", kOpenOutputFolder},
    {kButtonClose, CAPTION("关闭"), nullptr, "window-close", kExit},
    {kButtonTrackInfo, CAPTION("音轨信息"), nullptr, "document-properties", kTrackInfo},
    {kMoveTop, CAPTION("移到顶部"), nullptr, "go-top"},
    {kMoveUp, CAPTION("上移一行"), nullptr, "go-up"},
    {kMoveDown, CAPTION("下移一行"), nullptr, "go-down"},
    {kMoveBottom, CAPTION("移到底部"), nullptr, "go-bottom"},
    {kButtonRip, CAPTION("抓取"), nullptr, "media-record", kRip},
    {kButtonMinimise, CAPTION("最小化"), nullptr, nullptr},
    {kButtonPrevious, CAPTION("上一音轨"), nullptr, "media-skip-backward", kPreviousTrack},
    {kButtonPlay, CAPTION("播放所选音轨"), nullptr, "media-playback-start", kPlaySelected},
    {kButtonPause, CAPTION("暂停"), nullptr, "media-playback-pause"},
    {kButtonStop, CAPTION("停止"), nullptr, "media-playback-stop", kStop},
    {kButtonEject, CAPTION("弹出光盘"), nullptr, "media-eject", kEject},
    {kButtonNext, CAPTION("下一音轨"), nullptr, "media-skip-forward", kNextTrack},
    // Menus opened by number
    {kOpenFileMenu, CAPTION("文件"), nullptr, nullptr},
    {kOpenEditMenu, CAPTION("编辑"), nullptr, nullptr},
    {kOpenActionMenu, CAPTION("操作"), nullptr, nullptr},
    {kOpenHelpMenu, CAPTION("帮助"), nullptr, nullptr},
};

}  // namespace

std::span<const CommandSpec> Commands() {
    return kCommands;
}

const CommandSpec* FindCommand(int id) {
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [id](const CommandSpec& c) { return c.id == id; });
    return found == std::end(kCommands) ? nullptr : &*found;
}

int HandlerId(int id) {
    const CommandSpec* command = FindCommand(id);
    return command && command->sends ? command->sends : id;
}

const std::vector<MenuSpec>& MenuBarLayout() {
    static const std::vector<MenuSpec> menus = {
        {CAPTION("文件(&F)"),
         {kOpenImage, 0, kEncodeWavToMp3, kEncodeWavToOgg, kDecodeMp3ToWav, kEncodeWavToFlac,
          kEncodeWavToOpus, kDecodeFlacToWav, kNormaliseWav, kVerifyRip, 0, kImportCdPlayerIni,
          kExportCdPlayerIni, 0, kDefaultPlayer, kViewLog, kEject, 0, kExit}},
        {CAPTION("编辑(&E)"),
         {kTrackInfo, kDiscInfo, 0, kSelectAll, kSelectNone, kInvertSelection, 0, kUpperCase,
          kLowerCase, kCapitalise, 0, kCopyToClipboard, kOptions}},
        {CAPTION("操作(&A)"),
         {kRip, kOpenOutputFolder, kRefreshToc, 0, kQueryFreedb, kQueryMusicBrainz, kSubmitFreedb,
          0, kPlaySelected, kPlayHighlighted, kStop, kPreviousTrack, kNextTrack, 0,
          kVolumeControl}},
        {CAPTION("帮助(&H)"), {kHelpTopics, 0, kAbout}},
    };
    return menus;
}

const MenuSpec& ContextMenuLayout() {
    static const MenuSpec menu = {CAPTION("弹出(&P)"),
                                  {kPopupRip, kPopupPlay, kPopupTrackInfo, 0, kPopupSelectAll,
                                   kPopupSelectNone, kPopupInvert}};
    return menu;
}

const std::vector<int>& ToolBarLayout() {
    // The window's own title bar closes and minimises it: 33005 and 33013 stay commands
    // without a button.
    static const std::vector<int> buttons = {kButtonRip,
                                             kButtonQueryFreedb,
                                             kButtonQueryMusicBrainz,
                                             kButtonTrackInfo,
                                             kButtonOptions,
                                             0,
                                             kButtonPrevious,
                                             kButtonPlay,
                                             kButtonPause,
                                             kButtonStop,
                                             kButtonNext,
                                             kButtonEject,
                                             0,
                                             kMoveTop,
                                             kMoveUp,
                                             kMoveDown,
                                             kMoveBottom,
                                             0,
                                             kButtonOutputFolder,
                                             kButtonPlayer};
    return buttons;
}

}  // namespace korvida::gui

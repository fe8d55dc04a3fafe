#include "gui/app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGraphicsDropShadowEffect>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <QVBoxLayout>

#include "core/encode/EncoderLibrary.h"
#include "core/jobs/Messages.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"
#include "gui/app/CommandIds.h"
#include "gui/app/CommandTable.h"
#include "gui/app/DiscController.h"
#include "gui/app/FileCommands.h"
#include "gui/app/JobCommands.h"
#include "gui/app/JobController.h"
#include "gui/app/MediaWatcher.h"
#include "gui/app/OptionsApplication.h"
#include "gui/app/PlayerCommands.h"
#include "gui/app/QtMessageTarget.h"
#include "gui/app/ShadowTextDelegate.h"
#include "gui/app/TrackCommands.h"
#include "gui/player/PlayerBar.h"
#include "gui/player/PlayerController.h"
#include "gui/progress/LogLines.h"
#include "gui/settings/ColorPreview.h"
#include "gui/widgets/FileNameBytes.h"

// The icons are compiled into the static GUI library, whose resource initialiser the
// linker would drop unless something names it.
static void InitIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace korvida::gui {
namespace {

QIcon CommandIcon(const char* name) {
    const QString icon = QString::fromLatin1(name);
    return QIcon::fromTheme(icon,
                            QIcon(QStringLiteral(":/icons/") + icon + QStringLiteral(".svg")));
}

}  // namespace

MainWindow::MainWindow(UserNotifier& notifier, DriveSources drives, QWidget* parent)
    : QMainWindow(parent), notifier_(notifier) {
    InitIconResources();
    setWindowTitle(QStringLiteral("Korvida CD Ripper"));
    Settings& settings = TheSettings();
    std::string error;
    if (!LoadSettings(settings, SettingsPath(), &error))
        notifier_.ShowMessage(error);
    loadedSettings_ = settings;
    PrepareFolders(settings, notifier_);

    discs_ = new DiscController(notifier_, std::move(drives), this);
    JobCommands::Host jobHost;
    jobHost.openOptions = [this](QWidget* over) { options_->Open(over); };
    // The rip has stopped the drive: the player's timer must not ask it.
    jobHost.beforeRip = [this] { player_->player().Reset(); };
    jobCommands_ = new JobCommands(*discs_, notifier_, std::move(jobHost), this);
    options_ = new OptionsApplication(
        *discs_, [this] { return JobBusy(); }, this);
    files_ = new FileCommands(*discs_, notifier_, this);
    tracks_ = new TrackCommands(
        *discs_, notifier_, [this] { ShowHighlight(); }, this);

    BuildActions();
    BindHandlers();
    BuildMenus();
    BuildCentre();
    ApplyColors();
    setAcceptDrops(true);
    setMinimumSize(420, 352);
    move(settings.WindowLeft, settings.WindowTop);
    resize(settings.WindowWidth, settings.WindowHeight);

    connect(discs_, &DiscController::statusChanged, status_, &QLabel::setText);
    connect(discs_, &DiscController::busyChanged, this, [this] { UpdateCommandStates(); });
    connect(discs_, &DiscController::discLoaded, this, &MainWindow::OnDiscLoaded);
    connect(discs_, &DiscController::noDrive, demo_, &QWidget::show);
    connect(jobCommands_, &JobCommands::busyChanged, this, [this] { UpdateCommandStates(); });
    connect(options_, &OptionsApplication::colorsChanged, this, [this] { ApplyColors(); });
    connect(&jobCommands_->jobs(), &JobController::currentTrack, this, [this](int track) {
        HandleMessage(Message{WM_CURRENT_TRACK, track, 0, {}});
    });
    target_ =
        std::make_unique<QtMessageTarget>(this, [this](const Message& m) { HandleMessage(m); });

    // Without the encoder module only MP3 encoding is unavailable; the user is told.
    BindEncoderAtStartUp(settings.MP3Encoder, notifier_);
    // A disc put in or taken out of the current drive reloads the list; not while a job
    // sends its own commands to the drive.
    new MediaWatcher(
        *discs_, [this] { return !jobCommands_ || JobBusy(); }, this);
    // Drive discovery and the first load run on a worker: the window is up meanwhile.
    discs_->start();
}

MainWindow::~MainWindow() {
    // Before the other children go: closes the progress window, cancels a job still
    // running and waits for its thread.
    delete jobCommands_;
    jobCommands_ = nullptr;
    discs_->waitIdle();
    discs_->storeDisc();
    if (discs_->driver() && discs_->hasDrive())
        discs_->driver()->Stop();
    SaveSettingsAtExit();
}

void MainWindow::BuildActions() {
    for (const CommandSpec& command : Commands()) {
        auto* action = new QAction(QCoreApplication::translate("Commands", command.caption), this);
        action->setObjectName(QStringLiteral("command%1").arg(command.id));
        action->setData(command.id);
        if (command.shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(command.shortcut)));
        if (command.icon)
            action->setIcon(CommandIcon(command.icon));
        // The window carries every action, so accelerators work without a menu open.
        addAction(action);
        connect(action, &QAction::triggered, this, [this, id = command.id] { Trigger(id); });
        actions_[command.id] = action;
    }
    // Enter on the keypad plays as Return does.
    action(cmd::kPlayHighlighted)
        ->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
}

QAction* MainWindow::action(int id) const {
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

bool MainWindow::JobBusy() const {
    return jobCommands_ && jobCommands_->busy();
}

void MainWindow::BuildMenus() {
    const std::vector<MenuSpec>& layout = MenuBarLayout();
    for (std::size_t m = 0; m < layout.size() && m < 4; ++m) {
        QMenu* menu = menuBar()->addMenu(QCoreApplication::translate("Commands", layout[m].title));
        for (int id : layout[m].items) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(action(id));
        }
        menus_[m] = menu;
    }
    const MenuSpec& popup = ContextMenuLayout();
    context_ = new QMenu(QCoreApplication::translate("Commands", popup.title), this);
    for (int id : popup.items) {
        if (id == 0)
            context_->addSeparator();
        else
            context_->addAction(action(id));
    }
    QToolBar* tools = addToolBar(tr("工具栏"));
    tools->setObjectName(QStringLiteral("toolBar"));
    tools->setMovable(false);
    tools->setIconSize(QSize(16, 16));
    for (int id : ToolBarLayout()) {
        if (id == 0) {
            tools->addSeparator();
            continue;
        }
        tools->addAction(action(id));
    }
    // The rip button is the one most used: its caption stands beside its icon.
    if (auto* rip = qobject_cast<QToolButton*>(tools->widgetForAction(action(cmd::kButtonRip))))
        rip->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

void MainWindow::BuildCentre() {
    list_ = new QTreeView(this);
    list_->setObjectName(QStringLiteral("trackList"));
    list_->setModel(discs_->model());
    list_->setRootIsDecorated(false);
    // Each row measures its own height: a title in another script can need more than the
    // first row's (the delegate already sizes every row for Latin and CJK together).
    list_->setUniformRowHeights(false);
    list_->setSortingEnabled(false);  // row order is the user's
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView* header = list_->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    const Settings& s = TheSettings();
    for (int c = 0; c < 4; ++c)
        list_->setColumnWidth(c, s.ColumnWidth[static_cast<std::size_t>(c)]);
    // The title takes the width the other three columns leave.
    header->setSectionResizeMode(TrackTableModel::kTitle, QHeaderView::Stretch);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusLine"));
    // Made after the list, so that the player's row follows it in the tab order.
    PlayerCommands::Host playerHost;
    playerHost.jobRunning = [this] { return JobBusy(); };
    playerHost.statusLine = [this] { return status_->text(); };
    player_ = new PlayerCommands(*discs_, notifier_, std::move(playerHost), this);
    connect(&player_->player(), &PlayerController::statusChanged, status_, &QLabel::setText);
    // The list's column, with the player's row under the list.
    auto* centre = new QWidget(this);
    auto* column = new QVBoxLayout(centre);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(list_, 1);
    column->addWidget(player_->bar());
    setCentralWidget(centre);

    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { context_->popup(list_->viewport()->mapToGlobal(at)); });
    connect(list_, &QAbstractItemView::doubleClicked, this,
            [this] { Trigger(cmd::kPlayHighlighted); });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::TakeHighlightFromView);

    demo_ = new QPushButton(tr("使用演示光盘"), this);
    demo_->setObjectName(QStringLiteral("demoDisc"));
    demo_->setToolTip(tr("没有找到光驱时，可以用程序自带的演示光盘映像试用。"));
    demo_->hide();
    connect(demo_, &QPushButton::clicked, this, [this] {
        demo_->hide();
        discs_->openDemoDisc();
    });
    statusBar()->addWidget(status_, 1);
    statusBar()->addWidget(demo_);
    statusBar()->setSizeGripEnabled(true);
}

void MainWindow::ApplyColors() {
    const Settings& s = TheSettings();
    QPalette list = list_->palette();
    list.setColor(QPalette::Base, ColorFromBgr(s.BackgroundColor));
    list.setColor(QPalette::AlternateBase, ColorFromBgr(s.BackgroundColor));
    list.setColor(QPalette::Text, ColorFromBgr(s.TextColor));
    list.setColor(QPalette::HighlightedText, ColorFromBgr(s.TextSelColor));
    list_->setPalette(list);
    auto* texts = qobject_cast<ShadowTextDelegate*>(list_->itemDelegate());
    if (!texts) {
        texts = new ShadowTextDelegate(list_);
        list_->setItemDelegate(texts);
    }
    texts->setShadow(s.BoolShadowColor ? ColorFromBgr(s.TextShadowColor) : QColor());
    QPalette row = statusBar()->palette();
    row.setColor(QPalette::Window, ColorFromBgr(s.BackgroundColor));
    row.setColor(QPalette::WindowText, ColorFromBgr(s.StatusLineColor));
    statusBar()->setPalette(row);
    statusBar()->setAutoFillBackground(true);
    for (QLabel* label : {status_, player_->bar()->timeDisplay()}) {
        label->setPalette(row);
        // Applied again after the options sheet: the old shadow goes with the switch.
        if (!s.BoolShadowColor) {
            label->setGraphicsEffect(nullptr);
            continue;
        }
        auto* shadow = new QGraphicsDropShadowEffect(label);
        shadow->setColor(ColorFromBgr(s.TextShadowColor));
        shadow->setOffset(1, 1);
        shadow->setBlurRadius(0);
        label->setGraphicsEffect(shadow);
    }
    list_->viewport()->update();
}

void MainWindow::OnDiscLoaded(bool, unsigned totalSeconds) {
    player_->player().Reset();
    // Until something plays, the display shows how long the disc is.
    player_->bar()->timeDisplay()->setText(PlayTimeText(static_cast<int>(totalSeconds)));
    if (discs_->hasDrive()) {
        options_->TakeOverAutoplay();
        demo_->hide();
    }
    jobCommands_->jobs().SetRipSource(discs_->driver(), &discs_->rows(), &discs_->disc());
    ShowHighlight();
    UpdateCommandStates();
    emit discReady();
}

void MainWindow::ShowHighlight() {
    QItemSelectionModel* selection = list_->selectionModel();
    const QSignalBlocker block(selection);
    selection->clearSelection();
    const TrackList& rows = discs_->rows();
    QModelIndex first;
    for (int p = 0; p < rows.size(); ++p) {
        if (!rows.row(p).highlighted)
            continue;
        const QModelIndex index = discs_->model()->index(p, 0);
        selection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (!first.isValid())
            first = index;
    }
    if (first.isValid()) {
        selection->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        list_->scrollTo(first);
    }
    list_->viewport()->update();
}

void MainWindow::TakeHighlightFromView() {
    TrackList& rows = discs_->rows();
    QItemSelectionModel* selection = list_->selectionModel();
    for (int p = 0; p < rows.size(); ++p)
        rows.row(p).highlighted = selection->isRowSelected(p, {});
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // No window can close over a running job's thread.
    if (jobCommands_->jobs().running()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() &&
            url.toLocalFile().endsWith(QStringLiteral(".cue"), Qt::CaseInsensitive)) {
            event->acceptProposedAction();
            return;
        }
}

void MainWindow::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() &&
            url.toLocalFile().endsWith(QStringLiteral(".cue"), Qt::CaseInsensitive)) {
            event->acceptProposedAction();
            if (!JobBusy())
                discs_->openImage(FileNameBytes(url));
            return;
        }
}

void MainWindow::SaveSettingsAtExit() {
    options_->RestoreAutoplay();
    Settings& s = TheSettings();
    s.WindowLeft = x();
    s.WindowTop = y();
    s.WindowWidth = width();
    s.WindowHeight = height();
    for (int c = 0; c < 4; ++c)
        s.ColumnWidth[static_cast<std::size_t>(c)] = list_->columnWidth(c);
    std::string error;
    if (!SaveSettingsChanges(s, loadedSettings_, SettingsPath(), &error))
        notifier_.ShowMessage(error);
}

}  // namespace korvida::gui

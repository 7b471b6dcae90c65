#include "app/main_frame.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QDesktopServices>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QUrl>
#include <cstdio>
#include <filesystem>

#include "app/command_ids.h"
#include "app/command_table.h"
#include "app/document_commands.h"
#include "app/file_names.h"
#include "app/help_window.h"
#include "app/tool_images.h"
#include "app/ui_text.h"
#include "base/texts.h"
#include "curves/vardo_view.h"
#include "datalist/dlist_view.h"
#include "realtime/real_view.h"
#include "settings/module_directory.h"
#include "settings/ui_language.h"

namespace vardo {

namespace {

struct ViewTarget {
    int viewNumber;
    int toolbar;
    const char* title;
};

bool TargetOf(int id, ViewTarget& out) {
    switch (id) {
        case cmd::kViewCurves:
            out = {CMainFrame::kCurveView, cmd::kToolbarCurves, texts::kTitleCurves};
            return true;
        case cmd::kViewList:
            out = {CMainFrame::kListView, cmd::kToolbarList, texts::kTitleList};
            return true;
        case cmd::kViewRealtime:
            out = {CMainFrame::kRealView, cmd::kToolbarRealtime, texts::kTitleRealtime};
            return true;
        default:
            return false;
    }
}

QString Prompt(const CommandRow& row, bool toolTip) {
    if (row.prompt == nullptr) return QString();
    const QString text = UiText(row.prompt);
    const qsizetype nl = text.indexOf(QLatin1Char('\n'));
    if (nl < 0) return toolTip ? QString() : text;
    return toolTip ? text.mid(nl + 1) : text.left(nl);
}

bool OnAnyToolbar(const CommandRow& row) {
    return row.tool.curves > 0 || row.tool.list > 0 || row.tool.realtime > 0;
}

// The guide's first page: installed beside the program, else in the source tree it was built
// from; empty when neither is there.
std::string GuidePage() {
    for (const std::string& dir : {InstalledDocDirectory(ExecutableDirectory()) + "guide/",
                                   std::string(VARDO_GUIDE_DIR) + "/"}) {
        // An English desktop reads the English guide where it is installed; a guide without it
        // still has the Chinese one.
        if (InstalledUiLanguage() == UiLanguage::English &&
            std::filesystem::is_regular_file(dir + "en/index.html"))
            return dir + "en/index.html";
        if (std::filesystem::is_regular_file(dir + "index.html")) return dir + "index.html";
    }
    return {};
}

QUrl LocalUrl(const std::string& path) {
    return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path)));
}

}  // namespace

CMainFrame::CMainFrame(CVardoDoc& doc, DocumentCommands& docCommands, CommandTarget* app,
                       QWidget* parent)
    : QMainWindow(parent), doc_(doc), docCommands_(docCommands), app_(app) {
    setWindowTitle(UiText(texts::kTitleCurves));
    setMinimumSize(500, 400);
    docCommands_.dialogParent = this;
    BuildActions();
    BuildMenu();
    ClaimCommands();
    // As the framework did when its message queue ran empty: whatever changed the state (a
    // worker, a dialog, the document), commands show it before the program waits again.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &CMainFrame::UpdateCommands);
    doc_.onFileShown = [this](const std::string& path) {
        SetStatusText(2, path.empty() ? UiText(texts::kStatusFile) : DisplayName(path));
    };
}

CMainFrame::~CMainFrame() {
    doc_.onFileShown = nullptr;
    docCommands_.dialogParent = nullptr;
    // The view goes first, while the frame it talks to still exists.
    delete takeCentralWidget();
    activeView_ = nullptr;
}

void CMainFrame::ClaimCommands() {
    for (int id : {cmd::kViewCurves, cmd::kViewList, cmd::kViewRealtime}) {
        ViewTarget target{};
        TargetOf(id, target);
        Handle(
            id, [this, id] { SwitchView(id); }, {},
            [this, view = target.viewNumber] { return currentView == view; });
    }
    Handle(
        cmd::kViewToolbar, [this] { toolBar_->setVisible(toolBar_->isHidden()); },
        [this] { return toolBar_ != nullptr; },
        [this] { return toolBar_ != nullptr && !toolBar_->isHidden(); });
    Handle(
        cmd::kViewStatusBar, [this] { statusBar()->setVisible(statusBar()->isHidden()); }, {},
        [this] { return !statusBar()->isHidden(); });
    Handle(cmd::kHelp, [this] { OnHelp(); });
    const std::pair<int, UiLanguage> languages[] = {{cmd::kLanguageDesktop, UiLanguage::Desktop},
                                                    {cmd::kLanguageChinese, UiLanguage::Chinese},
                                                    {cmd::kLanguageEnglish, UiLanguage::English}};
    // The check marks are recomputed whenever the event loop waits: they read the choice as it
    // was at the start and as this window changed it, not the file each time.
    chosenLanguage_ = ReadUiLanguage(doc_.settingsPath());
    for (const auto& [id, language] : languages) {
        Handle(
            id, [this, language = language] { ChooseLanguage(language); }, {},
            [this, language = language] { return chosenLanguage_ == language; });
    }
}

void CMainFrame::BuildActions() {
    for (const CommandRow& row : CommandTable()) {
        const int id = row.id;
        auto* a = new QAction(UiText(row.menu), this);
        a->setStatusTip(Prompt(row, false));
        a->setToolTip(Prompt(row, true));
        a->setIconText(Prompt(row, true));
        if (OnAnyToolbar(row)) a->setIcon(QIcon(QPixmap::fromImage(ToolImage(id))));
        // Menus show check marks and texts only; the images belong to the toolbar.
        a->setIconVisibleInMenu(false);
        a->setShortcuts(row.keys);
        a->setShortcutContext(Qt::WindowShortcut);
        a->setData(id);
        a->setCheckable(row.checkable);
        a->setEnabled(false);
        connect(a, &QAction::triggered, this, [this, id] {
            ExecuteCommand(id);
            UpdateCommands();
        });
        addAction(a);
        actions_[id] = a;
    }
}

void CMainFrame::BuildMenu() {
    QMenu* popups[kPopupCount] = {};
    int groups[kPopupCount] = {};
    auto popupMenu = [&](Popup p) -> QMenu*& { return popups[static_cast<int>(p)]; };
    for (const CommandRow& row : CommandTable()) {
        // A submenu lives inside its parent and shares its separators.
        const Popup top = ParentPopup(row.popup);
        QMenu*& menu = popupMenu(top);
        if (menu == nullptr) {
            menu = menuBar()->addMenu(UiText(PopupTitle(top)));
            connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
        } else if (groups[static_cast<int>(top)] != row.menuGroup) {
            menu->addSeparator();
        }
        groups[static_cast<int>(top)] = row.menuGroup;
        QMenu* target = menu;
        if (row.popup != top) {
            QMenu*& sub = popupMenu(row.popup);
            if (sub == nullptr) sub = menu->addMenu(UiText(PopupTitle(row.popup)));
            target = sub;
        }
        target->addAction(actions_.at(row.id));
    }
}

bool CMainFrame::OnCreate() {
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("toolbar"));
    toolBar_->setIconSize(QSize(kToolImageWidth, kToolImageHeight));
    toolBar_->setMovable(true);
    toolBar_->setFloatable(true);
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    addToolBar(Qt::TopToolBarArea, toolBar_);
    LoadToolBar(cmd::kToolbarCurves);

    QStatusBar* bar = statusBar();
    const char* initial[3] = {texts::kStatusReady, texts::kStatusZoom, texts::kStatusFile};
    const int widths[3] = {180, 120, 0};
    for (int i = 0; i < 3; ++i) {
        panes_[i] = new QLabel(UiText(initial[i]), bar);
        if (widths[i] > 0) panes_[i]->setFixedWidth(widths[i]);
        if (i > 0) panes_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(panes_[i], i == 2 ? 1 : 0);
    }
    panes_[2]->setMinimumWidth(0);
    panes_[2]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return true;
}

void CMainFrame::LoadToolBar(int resource) {
    toolbarResource_ = resource;
    if (toolBar_ == nullptr) return;
    toolBar_->clear();
    for (int id : ToolbarButtons(resource)) {
        if (id == 0)
            toolBar_->addSeparator();
        else
            toolBar_->addAction(actions_.at(id));
    }
}

QWidget* CMainFrame::CreateView(int viewNumber) {
    switch (viewNumber) {
        case kListView:
            return new CDListView(doc_, this);
        case kRealView:
            return new CRealView(doc_, this);
        default:
            return new CVardoView(doc_, this);
    }
}

void CMainFrame::CreateInitialView() {
    currentView = kCurveView;
    activeView_ = CreateView(kCurveView);
    setCentralWidget(activeView_);
    activeView_->setFocus();
    UpdateCommands();
}

void CMainFrame::SwitchView(int id) {
    ViewTarget target{};
    if (!TargetOf(id, target)) return;
    if (currentView == target.viewNumber) return;
    currentView = target.viewNumber;
    LoadToolBar(target.toolbar);
    QWidget* next = CreateView(target.viewNumber);
    if (next != nullptr) {
        // The old view leaves before the new one shows: leaving closes the file that the new
        // view then reopens.
        QWidget* old = takeCentralWidget();
        activeView_ = nullptr;
        delete old;
        setCentralWidget(next);
        activeView_ = next;
        next->show();
        next->setFocus();
    }
    setWindowTitle(UiText(target.title));
    UpdateCommands();
}

void CMainFrame::SetStatusText(int pane, const QString& text) {
    if (pane < 0 || pane > 2 || panes_[pane] == nullptr) return;
    panes_[pane]->setText(text);
    panes_[pane]->repaint();
}

QString CMainFrame::StatusText(int pane) const {
    if (pane < 0 || pane > 2 || panes_[pane] == nullptr) return QString();
    return panes_[pane]->text();
}

void CMainFrame::OnHelp() {
    const std::string chm = doc_.home() + texts::kHelpFile;
    // help.chm stays the first choice, as the recorders' own help; without it, our guide.
    const std::string page = std::filesystem::is_regular_file(chm) ? chm : GuidePage();
    char text[1024];
    if (page.empty()) {
        std::snprintf(text, sizeof text, UiFormat(texts::kHelpMissing), chm.c_str());
        doc_.reporter().ShowMessage(text, MessageIcon::Error);
        return;
    }
    if (openUrl(LocalUrl(page))) return;
    // A desktop without a viewer for it still has this program: the guide shows here (help.chm
    // is not a page it can show).
    const std::string guide = GuidePage();
    if (guide.empty()) {
        std::snprintf(text, sizeof text, UiFormat(texts::kHelpOpenFailed), page.c_str());
        doc_.reporter().ShowMessage(text, MessageIcon::Error);
        return;
    }
    if (helpWindow_ == nullptr) helpWindow_ = new CHelpWindow(LocalUrl(guide), this);
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

void CMainFrame::ChooseLanguage(UiLanguage language) {
    if (chosenLanguage_ == language) return;
    if (WriteUiLanguage(doc_.settingsPath(), language) == 0) {
        char text[1024];
        std::snprintf(text, sizeof text, UiFormat(texts::kSettingsWriteFailed),
                      doc_.settingsPath().c_str());
        doc_.reporter().ShowMessage(text, MessageIcon::Error);
        return;
    }
    chosenLanguage_ = language;
    // Every window takes its texts when it is made; the open ones keep theirs until the next
    // start, and the user is told so in the language they are reading now.
    doc_.reporter().ShowMessage(texts::kLanguageNextStart, MessageIcon::Information);
}

CHelpWindow* CMainFrame::HelpWindow() const {
    return helpWindow_;
}

CommandTarget* CMainFrame::Owner(int id, CommandState& state) {
    CommandTarget* chain[] = {dynamic_cast<CommandTarget*>(activeView_), &docCommands_, this, app_};
    for (CommandTarget* target : chain) {
        state = {};
        if (target != nullptr && target->UpdateCommand(id, state)) return target;
    }
    state = {};
    return nullptr;
}

bool CMainFrame::ExecuteCommand(int id) {
    // The state shown may be a moment old: a key pressed since is checked against the rule.
    CommandState state;
    CommandTarget* owner = Owner(id, state);
    return owner != nullptr && state.enabled && owner->OnCommand(id);
}

CommandState CMainFrame::QueryCommand(int id) {
    CommandState state;
    Owner(id, state);
    return state;
}

void CMainFrame::UpdateCommands() {
    for (auto& [id, action] : actions_) {
        const CommandState s = QueryCommand(id);
        action->setEnabled(s.enabled);
        if (action->isCheckable()) action->setChecked(s.checked);
    }
}

QAction* CMainFrame::Action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        SetStatusText(0, tip.isEmpty() ? UiText(texts::kStatusReady) : tip);
        return true;
    }
    return QMainWindow::event(event);
}

}  // namespace vardo

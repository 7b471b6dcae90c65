#include "app/main_frame.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QDesktopServices>
#include <QEvent>
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
#include "app/tool_images.h"
#include "base/texts.h"
#include "curves/vardo_view.h"
#include "datalist/dlist_view.h"
#include "realtime/real_view.h"

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

QString Prompt(int id, bool toolTip) {
    const char* prompt = CommandPrompt(id);
    if (prompt == nullptr) return QString();
    const QString text = QString::fromUtf8(prompt);
    const qsizetype nl = text.indexOf(QLatin1Char('\n'));
    if (nl < 0) return toolTip ? QString() : text;
    return toolTip ? text.mid(nl + 1) : text.left(nl);
}

bool OnAnyToolbar(int id) {
    for (int resource : {cmd::kToolbarCurves, cmd::kToolbarList, cmd::kToolbarRealtime})
        for (int button : ToolbarButtons(resource))
            if (button == id) return true;
    return false;
}

}  // namespace

CMainFrame::CMainFrame(CVardoDoc& doc, DocumentCommands& docCommands, CommandTarget* app,
                       QWidget* parent)
    : QMainWindow(parent), doc_(doc), docCommands_(docCommands), app_(app) {
    setWindowTitle(QString::fromUtf8(texts::kTitleCurves));
    setMinimumSize(500, 400);
    docCommands_.dialogParent = this;
    BuildActions();
    BuildMenu();
    // As the framework did when its message queue ran empty: whatever changed the state (a
    // worker, a dialog, the document), commands show it before the program waits again.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &CMainFrame::UpdateCommands);
    doc_.onFileShown = [this](const std::string& path) {
        SetStatusText(2, QString::fromStdString(path));
    };
}

CMainFrame::~CMainFrame() {
    doc_.onFileShown = nullptr;
    docCommands_.dialogParent = nullptr;
    // The view goes first, while the frame it talks to still exists.
    delete takeCentralWidget();
    activeView_ = nullptr;
}

void CMainFrame::BuildActions() {
    for (int id : AllCommandIds()) {
        auto* a = new QAction(QString::fromUtf8(CommandMenuText(id)), this);
        a->setStatusTip(Prompt(id, false));
        a->setToolTip(Prompt(id, true));
        a->setIconText(Prompt(id, true));
        if (OnAnyToolbar(id)) a->setIcon(QIcon(QPixmap::fromImage(ToolImage(id))));
        // Menus show check marks and texts only; the images belong to the toolbar.
        a->setIconVisibleInMenu(false);
        a->setShortcuts(CommandKeys(id));
        a->setShortcutContext(Qt::WindowShortcut);
        a->setData(id);
        const bool checkable = id == cmd::kViewCurves || id == cmd::kViewList ||
                               id == cmd::kViewRealtime || id == cmd::kViewToolbar ||
                               id == cmd::kViewStatusBar || id == cmd::kSettingsPanel;
        a->setCheckable(checkable);
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
    for (const MenuPopup& popup : MenuLayout()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(popup.title));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
        QMenu* target = menu;
        for (const MenuEntry& e : popup.entries) {
            switch (e.kind) {
                case MenuEntry::Command:
                    target->addAction(actions_.at(e.id));
                    break;
                case MenuEntry::Separator:
                    target->addSeparator();
                    break;
                case MenuEntry::SubmenuBegin:
                    target = menu->addMenu(QString::fromUtf8(e.title));
                    break;
                case MenuEntry::SubmenuEnd:
                    target = menu;
                    break;
            }
        }
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
        panes_[i] = new QLabel(QString::fromUtf8(initial[i]), bar);
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
    setWindowTitle(QString::fromUtf8(target.title));
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
    const std::string path = doc_.home() + texts::kHelpFile;
    char text[1024];
    if (!std::filesystem::is_regular_file(path)) {
        std::snprintf(text, sizeof text, texts::kHelpMissing, path.c_str());
        doc_.reporter().ShowMessage(text, MessageIcon::Error);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)))) {
        std::snprintf(text, sizeof text, texts::kHelpOpenFailed, path.c_str());
        doc_.reporter().ShowMessage(text, MessageIcon::Error);
    }
}

bool CMainFrame::ExecuteCommand(int id) {
    if (auto* view = dynamic_cast<CommandTarget*>(activeView_); view && view->OnCommand(id))
        return true;
    if (docCommands_.OnCommand(id)) return true;
    if (OnCommand(id)) return true;
    return app_ != nullptr && app_->OnCommand(id);
}

CommandState CMainFrame::QueryCommand(int id) {
    CommandState s;
    if (auto* view = dynamic_cast<CommandTarget*>(activeView_); view && view->UpdateCommand(id, s))
        return s;
    s = {};
    if (docCommands_.UpdateCommand(id, s)) return s;
    s = {};
    if (UpdateCommand(id, s)) return s;
    s = {};
    if (app_ != nullptr && app_->UpdateCommand(id, s)) return s;
    return {};
}

void CMainFrame::UpdateCommands() {
    for (auto& [id, action] : actions_) {
        const CommandState s = QueryCommand(id);
        action->setEnabled(s.enabled);
        if (action->isCheckable()) action->setChecked(s.checked);
    }
}

bool CMainFrame::UpdateCommand(int id, CommandState& state) {
    ViewTarget target{};
    if (TargetOf(id, target)) {
        state.enabled = true;
        state.checked = currentView == target.viewNumber;
        return true;
    }
    switch (id) {
        case cmd::kViewToolbar:
            state.enabled = toolBar_ != nullptr;
            state.checked = toolBar_ != nullptr && !toolBar_->isHidden();
            return true;
        case cmd::kViewStatusBar:
            state.enabled = true;
            state.checked = !statusBar()->isHidden();
            return true;
        case cmd::kHelp:
            state.enabled = true;
            return true;
        default:
            return false;
    }
}

bool CMainFrame::OnCommand(int id) {
    ViewTarget target{};
    if (TargetOf(id, target)) {
        SwitchView(id);
        return true;
    }
    switch (id) {
        case cmd::kViewToolbar:
            if (toolBar_ != nullptr) toolBar_->setVisible(toolBar_->isHidden());
            return true;
        case cmd::kViewStatusBar:
            statusBar()->setVisible(statusBar()->isHidden());
            return true;
        case cmd::kHelp:
            OnHelp();
            return true;
        default:
            return false;
    }
}

QAction* CMainFrame::Action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        SetStatusText(0, tip.isEmpty() ? QString::fromUtf8(texts::kStatusReady) : tip);
        return true;
    }
    return QMainWindow::event(event);
}

}  // namespace vardo

#pragma once
// The main window: menu 128, the toolbar that reloads one of three button sets, the three-pane
// status bar, and one of the three views in the client area. Commands go to the active view,
// the document, this frame and the application, in that order; enabling and check marks are
// recomputed from the same chain after every change.

#include <QDesktopServices>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>
#include <map>

#include "app/command_target.h"
#include "app/help_window.h"
#include "app/vardo_doc.h"
#include "settings/ui_language.h"

class QAction;
class QLabel;
class QToolBar;

namespace vardo {

class DocumentCommands;

class CMainFrame : public QMainWindow, public CommandTarget {
  public:
    // Views by currentView: curve view, real-time view, data list view.
    enum ViewNumber { kCurveView = 0, kRealView = 1, kListView = 2 };

    CMainFrame(CVardoDoc& doc, DocumentCommands& docCommands, CommandTarget* app,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the toolbar and the status bar; returns false when either cannot be made.
    bool OnCreate();
    // The first view, the curve view, as the program starts.
    void CreateInitialView();

    void SwitchView(int id);
    void SetStatusText(int pane, const QString& text);
    QString StatusText(int pane) const;
    void OnHelp();
    // Saves the language the windows speak from the next start on.
    void ChooseLanguage(UiLanguage language);

    // Runs a command through the chain; returns whether anyone handled it (a greyed command is
    // not run).
    bool ExecuteCommand(int id);
    // Enabling and check marks of every command, from the chain.
    void UpdateCommands();
    CommandState QueryCommand(int id);

    QAction* Action(int id) const;
    QToolBar* ToolBar() const { return toolBar_; }
    int ToolbarResource() const { return toolbarResource_; }
    QWidget* ActiveView() const { return activeView_; }
    CVardoDoc& Document() { return doc_; }

    int currentView = kCurveView;
    // Opens the help in the desktop's viewer; tests replace it.
    std::function<bool(const QUrl&)> openUrl = &QDesktopServices::openUrl;
    // The guide inside the program, while it is up.
    CHelpWindow* HelpWindow() const;

  protected:
    bool event(QEvent* event) override;

  private:
    // The first target of the chain that owns id, with the state it gives; null when none.
    CommandTarget* Owner(int id, CommandState& state);
    void ClaimCommands();
    void BuildActions();
    void BuildMenu();
    void LoadToolBar(int resource);
    QWidget* CreateView(int viewNumber);

    CVardoDoc& doc_;
    DocumentCommands& docCommands_;
    CommandTarget* app_;
    UiLanguage chosenLanguage_ = UiLanguage::Desktop;
    std::map<int, QAction*> actions_;
    QToolBar* toolBar_ = nullptr;
    QLabel* panes_[3] = {nullptr, nullptr, nullptr};
    QWidget* activeView_ = nullptr;
    int toolbarResource_ = 0;
    QPointer<CHelpWindow> helpWindow_;
};

}  // namespace vardo

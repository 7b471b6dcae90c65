#pragma once
// The guide shown inside the program, for a desktop that has no viewer for it: its pages in a
// browser whose links lead on to the guide's other pages, the page's own title on the window.

#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace vardo {

class CHelpWindow : public QWidget {
  public:
    explicit CHelpWindow(const QUrl& page, QWidget* parent = nullptr);

    QTextBrowser* browser;
};

}  // namespace vardo

#pragma once
// The channel list at the top of the settings panel: one 25-pixel row per channel with a colour
// swatch, the channel's name and a check box. Clicking the swatch chooses the curve's colour,
// clicking the box shows or hides the curve; both change the document's settings in place.

#include <QListWidget>
#include <functional>
#include <vector>

#include "settings/display_settings.h"

namespace vardo {

class CColorListBox : public QListWidget {
  public:
    explicit CColorListBox(QWidget* parent = nullptr);

    // Keeps the arrays (not their contents) and makes count empty rows.
    void SetChannels(std::vector<Colorref>* colors, std::vector<int>* checks, int count);
    // Called after every change the list makes.
    void SetChangeHandler(std::function<void()> handler) { onChange_ = std::move(handler); }

    int TopRow() const;
    const std::vector<Colorref>* Colors() const { return colors_; }
    const std::vector<int>* Checks() const { return checks_; }

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    std::vector<Colorref>* colors_ = nullptr;
    std::vector<int>* checks_ = nullptr;
    std::function<void()> onChange_;
};

}  // namespace vardo

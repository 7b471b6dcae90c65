#include "curves/color_list_box.h"

#include <qdrawutil.h>
#include <QColorDialog>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include "app/ui_text.h"
#include "base/texts.h"
#include "curves/curve_fonts.h"
#include "curves/set_panel_rules.h"

namespace vardo {

namespace {

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// Paints a row as the list draws its owner-drawn rows: swatch, centred name, check box.
class RowPainter : public QStyledItemDelegate {
  public:
    explicit RowPainter(CColorListBox* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(0, kColorRowHeight);
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const std::vector<Colorref>* colors = list_->Colors();
        if (colors == nullptr) return;
        const std::size_t n = static_cast<std::size_t>(index.row());
        const QRect r = option.rect;
        p->save();
        p->fillRect(r, option.palette.button());
        const ColorRowParts parts =
            ColorRowLayout({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
        p->setPen(Qt::black);
        p->setBrush(Qt::white);
        p->drawRect(ToQRect(parts.outline).adjusted(0, 0, -1, -1));
        if (n < colors->size()) p->fillRect(ToQRect(parts.swatch), ToQColor((*colors)[n]));
        qDrawWinPanel(p, ToQRect(parts.checkBox), option.palette, true);
        const std::vector<int>* checks = list_->Checks();
        if (checks != nullptr && n < checks->size() && (*checks)[n] != 0) {
            for (const auto& s : CheckMarkStrokes(parts.mark)) {
                p->drawLine(s[0].x, s[0].y, s[1].x, s[1].y);
                p->drawLine(s[1].x, s[1].y, s[2].x, s[2].y);
            }
        }
        p->drawText(r, Qt::AlignCenter | Qt::TextSingleLine,
                    QString::asprintf(UiFormat(texts::kColorListChannel), index.row() + 1));
        p->restore();
    }

  private:
    CColorListBox* list_;
};

}  // namespace

CColorListBox::CColorListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new RowPainter(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    setPalette(pal);
}

void CColorListBox::SetChannels(std::vector<Colorref>* colors, std::vector<int>* checks,
                                int count) {
    colors_ = colors;
    checks_ = checks;
    clear();
    for (int i = 0; i < count; ++i) addItem(QString());
}

int CColorListBox::TopRow() const {
    // The list scrolls by whole rows, so the scroll position is the first visible row.
    return verticalScrollBar()->value();
}

void CColorListBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && colors_ != nullptr && checks_ != nullptr) {
        const QPoint at = event->position().toPoint();
        const ColorListHit hit = HitColorList(at.x(), at.y(), TopRow(), count());
        const std::size_t n = static_cast<std::size_t>(hit.row);
        if (hit.part == ColorListPart::CheckBox && n < checks_->size()) {
            (*checks_)[n] = (*checks_)[n] == 0 ? 1 : 0;
            viewport()->update(ToQRect(hit.rect));
            if (onChange_) onChange_();
        } else if (hit.part == ColorListPart::Swatch && n < colors_->size()) {
            const QColor chosen = QColorDialog::getColor(ToQColor((*colors_)[n]), this);
            if (chosen.isValid()) {
                (*colors_)[n] = Rgb(chosen.red(), chosen.green(), chosen.blue());
                viewport()->update(ToQRect(hit.rect));
                if (onChange_) onChange_();
            }
        }
    }
    QListWidget::mouseReleaseEvent(event);
}

}  // namespace vardo

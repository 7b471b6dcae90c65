#include "curves/curve_fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QString>

#include "app/ui_text.h"

namespace vardo {

namespace {
constexpr int kSystemDefaultPixels = 14;
}

QFont SystemFont(int pixelHeight, int weight) {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPixelSize(pixelHeight > 0 ? pixelHeight : kSystemDefaultPixels);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QFont SongFont(int pixelHeight, int weight) {
    QFont f(QStringLiteral("WenQuanYi Micro Hei"));
    f.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                   QStringLiteral("SimSun")});
    f.setPixelSize(pixelHeight > 0 ? pixelHeight : kSystemDefaultPixels);
    f.setWeight(static_cast<QFont::Weight>(weight));
    return f;
}

void DrawTextAt(QPainter& p, const TextItem& item) {
    p.drawText(item.x, item.y + p.fontMetrics().ascent(), UiMessage(item.text));
}

}  // namespace vardo

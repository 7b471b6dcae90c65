#include "app/about_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/static_link.h"
#include "app/tool_images.h"
#include "app/ui_text.h"
#include "base/texts.h"

namespace vardo {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(UiText(texts::kAboutTitle));
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap::fromImage(ToolImage(32782).scaled(32, 34)));
    auto* product = new QLabel(UiText(texts::kAboutTitle), this);
    product->setObjectName(QStringLiteral("product"));
    link = new CStaticLink(this);
    link->setObjectName(QStringLiteral("link1079"));
    link->hide();
    auto* ok = new QPushButton(UiText(texts::kOk), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(product, 1);
    row->addWidget(ok);
    auto* col = new QVBoxLayout(this);
    col->addLayout(row);
    col->addWidget(link);
}

}  // namespace vardo

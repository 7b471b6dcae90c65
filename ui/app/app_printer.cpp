#include "app/app_printer.h"

#include <QCoreApplication>
#include <QPrinter>

namespace vardo {

namespace {
QPrinter* printer = nullptr;
}

QPrinter& AppPrinter() {
    if (printer == nullptr) {
        printer = new QPrinter(QPrinter::HighResolution);
        printer->setPageOrientation(QPageLayout::Landscape);
        qAddPostRoutine([] {
            delete printer;
            printer = nullptr;
        });
    }
    return *printer;
}

}  // namespace vardo

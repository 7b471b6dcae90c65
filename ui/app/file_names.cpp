#include "app/file_names.h"

#include <QByteArray>
#include <QFile>

#include "base/path_text.h"

namespace vardo {

std::string LocalFileBytes(const QUrl& url) {
    if (!url.isLocalFile()) return {};
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

std::string DroppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().isEmpty()) return {};
    return LocalFileBytes(data->urls().front());
}

std::string FileNameBytes(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

QString DisplayName(const std::string& path) {
    return QString::fromUtf8(PathText(path));
}

}  // namespace vardo

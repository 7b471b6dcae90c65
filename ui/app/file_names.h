#pragma once
// Where file names cross from Qt into the program. Qt decodes names as UTF-8 and turns any other
// byte into U+FFFD for good, so a GBK name from an old Windows share would no longer open. Names
// stay bytes wherever they arrive as bytes (the command line, dropped URLs) and are shown to the
// user through PathText.

#include <QMimeData>
#include <QString>
#include <QUrl>
#include <string>

namespace vardo {

// The local file a URL names, byte for byte as the percent-encoding carries it; empty when the
// URL is not a local file.
std::string LocalFileBytes(const QUrl& url);

// The first file of a drop, whole, byte for byte; empty when the drop names no local file.
std::string DroppedFile(const QMimeData* data);

// A name Qt found (the file dialog), in the file system's encoding.
std::string FileNameBytes(const QString& name);

// A name for the user: readable text even when the name is GBK.
QString DisplayName(const std::string& path);

}  // namespace vardo

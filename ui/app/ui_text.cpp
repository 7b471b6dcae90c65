#include "app/ui_text.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>

#include "app/qt_translations.h"
#include "settings/module_directory.h"

// The library is static: its resources are linked in only when something names them.
static void InitTextsResource() {
    Q_INIT_RESOURCE(texts);
}

namespace vardo {

namespace {

std::mutex& Lock() {
    static std::mutex m;
    return m;
}

UiLanguage& Installed() {
    static UiLanguage language = UiLanguage::Chinese;
    return language;
}

std::unique_ptr<QTranslator>& ProgramTranslator() {
    static std::unique_ptr<QTranslator> t;
    return t;
}

// printf's placeholders and Qt's %1..%9, as they stand in the texts.
const QRegularExpression& PlaceholderPattern() {
    static const QRegularExpression p(
        QStringLiteral("%(?:%|[-+ #0]*\\d*(?:\\.\\d+)?(?:ll|l|h)?[diouxXfgecs]|\\d)"));
    return p;
}

// A format as a pattern that matches the texts filled from it, one group per placeholder.
QString PatternOf(const QString& format) {
    QString pattern = QStringLiteral("^");
    qsizetype at = 0;
    for (auto it = PlaceholderPattern().globalMatch(format); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        pattern += QRegularExpression::escape(format.mid(at, m.capturedStart() - at));
        const QString p = m.captured();
        const QChar kind = p.back();
        if (p == QStringLiteral("%%"))
            pattern += QStringLiteral("%");
        else if (kind == u's' || kind.isDigit())
            pattern += QStringLiteral("(.*?)");
        else if (kind == u'f' || kind == u'g' || kind == u'e')
            pattern += QStringLiteral("(-?[0-9.]+)");
        else
            pattern += QStringLiteral("(-? *[0-9]+)");
        at = m.capturedEnd();
    }
    pattern += QRegularExpression::escape(format.mid(at)) + QStringLiteral("$");
    return pattern;
}

// The formats among the texts, read from the translation source the program carries: texts.h
// is not there at run time, and the .ts lists every text it holds.
const std::vector<std::pair<std::string, QRegularExpression>>& Formats() {
    static const auto formats = [] {
        std::vector<std::pair<std::string, QRegularExpression>> out;
        InitTextsResource();
        QFile ts(QStringLiteral(":/i18n/vardo_en.ts"));
        if (!ts.open(QIODevice::ReadOnly)) return out;
        QXmlStreamReader xml(&ts);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement ||
                xml.name() != QStringLiteral("source"))
                continue;
            const QString source = xml.readElementText();
            bool filled = false;
            for (auto it = PlaceholderPattern().globalMatch(source); it.hasNext();)
                if (it.next().captured() != QStringLiteral("%%")) filled = true;
            if (filled)
                out.emplace_back(source.toStdString(), QRegularExpression(PatternOf(source)));
        }
        return out;
    }();
    return formats;
}

// The translation of format with the values that filled source's placeholders in its own.
QString Refill(const QString& translated, const QRegularExpressionMatch& values) {
    QString out;
    qsizetype at = 0;
    int next = 1;
    for (auto it = PlaceholderPattern().globalMatch(translated); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += translated.mid(at, m.capturedStart() - at);
        const QString p = m.captured();
        if (p == QStringLiteral("%%"))
            out += QLatin1Char('%');
        else if (p.back().isDigit() && p.size() == 2)
            out += values.captured(p.back().digitValue());
        else
            out += values.captured(next++);
        at = m.capturedEnd();
    }
    return out + translated.mid(at);
}

// One line's translation; false when the line is none of the program's texts.
bool TranslateLine(const QString& line, QString& out) {
    const QByteArray utf8 = line.toUtf8();
    const QString exact = QCoreApplication::translate(kTextContext, utf8.constData());
    if (exact != line) {
        out = exact;
        return true;
    }
    for (const auto& [source, pattern] : Formats()) {
        const QRegularExpressionMatch m = pattern.match(line);
        if (!m.hasMatch()) continue;
        const QString translated = QCoreApplication::translate(kTextContext, source.c_str());
        out = Refill(translated, m);
        return true;
    }
    return false;
}

}  // namespace

QString UiText(const char* source) {
    return QCoreApplication::translate(kTextContext, source);
}

const char* UiFormat(const char* source) {
    const std::string translated = UiText(source).toStdString();
    std::lock_guard<std::mutex> hold(Lock());
    // Interned: the pointer outlives the call, and a run has a few hundred texts at most.
    static std::unordered_set<std::string> interned;
    return interned.insert(translated).first->c_str();
}

QString UiMessage(std::string_view text) {
    const QString whole = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // Every text of the program holds more than ASCII; times and numbers are painted often.
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (InstalledUiLanguage() == UiLanguage::Chinese || ascii) return whole;
    if (QString out; TranslateLine(whole, out)) return out;
    QStringList lines = whole.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        QString out;
        if (TranslateLine(line, out)) {
            line = out;
            continue;
        }
        // "device: message", "NAME: message": the prefix is data.
        const qsizetype colon = line.lastIndexOf(QStringLiteral(": "));
        if (colon > 0 && TranslateLine(line.mid(colon + 2), out)) line = line.left(colon + 2) + out;
    }
    return lines.join(QLatin1Char('\n'));
}

bool InstallUiLanguage(UiLanguage language) {
    if (language == UiLanguage::Desktop) language = SystemUiLanguage();
    std::unique_ptr<QTranslator>& t = ProgramTranslator();
    if (t) QCoreApplication::removeTranslator(t.get());
    t.reset();
    Installed() = UiLanguage::Chinese;
    if (language == UiLanguage::Chinese) return InstallQtTranslations(ProgramLocale());
    // Qt speaks English without its translations; those for English only mend a few words.
    (void)InstallQtTranslations(QLocale(QLocale::English, QLocale::UnitedStates));
    // Installed beside the program, else where the build made it.
    auto candidate = std::make_unique<QTranslator>();
    bool loaded = false;
    for (const std::string& dir : {ExecutableDirectory() + "../share/vardo/translations",
                                   std::string(VARDO_TRANSLATIONS_BUILD_DIR)}) {
        if (candidate->load(QStringLiteral("vardo_en"), QString::fromStdString(dir))) {
            loaded = true;
            break;
        }
    }
    if (!loaded || !QCoreApplication::installTranslator(candidate.get())) return false;
    t = std::move(candidate);
    Installed() = UiLanguage::English;
    return true;
}

UiLanguage InstalledUiLanguage() {
    return Installed();
}

UiLanguage SystemUiLanguage() {
    auto env = [](const char* name) {
        const char* v = std::getenv(name);
        return std::string_view(v != nullptr ? v : "");
    };
    const std::string system = QLocale::system().name().toStdString();
    return DesktopLanguage(env("LC_ALL"), env("LC_MESSAGES"), env("LANG"), system);
}

}  // namespace vardo

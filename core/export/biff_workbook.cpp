#include "export/biff_workbook.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

namespace vardo {

namespace {

// Record identifiers and the fixed values of the few records every workbook carries.
enum Record : unsigned {
    kBof = 0x0809,
    kEof = 0x000A,
    kCodePage = 0x0042,
    kWindow1 = 0x003D,
    kFont = 0x0031,
    kFormat = 0x041E,
    kXf = 0x00E0,
    kStyle = 0x0293,
    kBoundSheet = 0x0085,
    kSst = 0x00FC,
    kContinue = 0x003C,
    kExtSst = 0x00FF,
    kIndex = 0x020B,
    kDefColWidth = 0x0055,
    kColInfo = 0x007D,
    kDimensions = 0x0200,
    kRow = 0x0208,
    kDbCell = 0x00D7,
    kLabelSst = 0x00FD,
    kRk = 0x027E,
    kMulRk = 0x00BD,
    kNumber = 0x0203,
    kWindow2 = 0x023E,
};

constexpr std::size_t kMaxRecordData = 8224;
constexpr int kRowsPerBlock = 32;
constexpr std::size_t kRowRecordSize = 20;
constexpr int kStyleXfs = 15;
constexpr int kGeneralXf = 15;  // the first cell format: "General"
constexpr int kFirstNumberXf = 16;
constexpr unsigned kFirstUserFormat = 164;
constexpr std::size_t kMaxDecimalsShown = 30;

std::size_t Begin(Bytes& out, unsigned id) {
    const std::size_t at = out.size();
    AppendU16(out, id);
    AppendU16(out, 0);
    return at;
}

void End(Bytes& out, std::size_t at) {
    const std::size_t length = out.size() - at - 4;
    out[at + 2] = static_cast<std::uint8_t>(length & 0xFF);
    out[at + 3] = static_cast<std::uint8_t>(length >> 8);
}

void AppendCell(Bytes& out, int row, int column, int xf) {
    AppendU16(out, static_cast<unsigned>(row));
    AppendU16(out, static_cast<unsigned>(column));
    AppendU16(out, static_cast<unsigned>(xf));
}

// UTF-8 to UTF-16 code units; a malformed sequence becomes U+FFFD.
std::vector<char16_t> Utf16(std::string_view s) {
    std::vector<char16_t> units;
    units.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        char32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < s.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto cont = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            ok = (cont & 0xC0) == 0x80;
            c = (c << 6) | (cont & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        ok = ok && c >= kLeast[extra] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        if (!ok) {
            units.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (c >= 0x10000) {
            units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(c));
        }
    }
    return units;
}

// The characters of a string after its length field: one byte each when every character fits,
// else two (the flag byte says which).
void AppendChars(Bytes& out, const std::vector<char16_t>& units) {
    const bool wide = std::any_of(units.begin(), units.end(), [](char16_t u) { return u > 0xFF; });
    AppendU8(out, wide ? 1 : 0);
    for (char16_t u : units) {
        if (wide) {
            AppendU16(out, u);
        } else {
            AppendU8(out, u);
        }
    }
}

// A number in the four-byte form: an integer, an integer of hundredths, or a double whose low
// 34 bits are zero; nullopt when none gives back exactly the same double.
std::optional<std::uint32_t> Rk(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    constexpr double kLimit = 1 << 29;
    // Rounded to the nearest integer (ties to even, as nearbyint does in the default mode) by
    // the sum with 1.5 x 2^52, exact below 2^51: inline, where nearbyint is a library call per
    // cell.
    constexpr double kRound = 6755399441055744.0;
    const auto nearest = [](double x) {
        return std::fabs(x) < 2251799813685248.0 ? (x + kRound) - kRound : std::nearbyint(x);
    };
    if (std::fabs(v) < kLimit && v == nearest(v)) {
        return (static_cast<std::uint32_t>(static_cast<std::int32_t>(v)) << 2) | 2u;
    }
    const double hundredths = nearest(v * 100);
    if (std::fabs(hundredths) < kLimit && hundredths / 100.0 == v) {
        return (static_cast<std::uint32_t>(static_cast<std::int32_t>(hundredths)) << 2) | 3u;
    }
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    if ((bits & 0x3FFFFFFFFull) == 0) return static_cast<std::uint32_t>(bits >> 32);
    return std::nullopt;
}

void AppendXf(Bytes& out, unsigned format, bool style, unsigned usedFlags) {
    const std::size_t at = Begin(out, kXf);
    AppendU16(out, 0);  // font
    AppendU16(out, format);
    AppendU16(out, style ? 0xFFF5 : 0x0001);  // locked; a style has no parent, a cell has style 0
    AppendU8(out, 0x20);                      // aligned to the bottom
    AppendU8(out, 0);
    AppendU8(out, 0);
    AppendU8(out, usedFlags);
    AppendU32(out, 0);  // no borders
    AppendU32(out, 0);
    AppendU16(out, 0x20C0);  // window text and background colours
    End(out, at);
}

void AppendBof(Bytes& out, unsigned type) {
    const std::size_t at = Begin(out, kBof);
    AppendU16(out, 0x0600);  // BIFF8
    AppendU16(out, type);
    AppendU16(out, 0x0DBB);
    AppendU16(out, 0x07CC);
    AppendU32(out, 0);
    AppendU32(out, 6);  // lowest version that can read the file: BIFF8
    End(out, at);
}

void AppendEof(Bytes& out) {
    End(out, Begin(out, kEof));
}

}  // namespace

namespace {

// Texts in one order in which every two differ: shorter first, then byte by byte. Row numbers
// and times rise or fall in it as they do in value.
int CompareText(const Bytes& a, const Bytes& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.empty() ? 0 : std::memcmp(a.data(), b.data(), a.size());
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// One bit of 64 for a text's size and width: a text whose bit no looked-up text has is not
// among them, and most are not (headers are wide, numbers and times narrow).
std::uint64_t ShapeBit(const Bytes& text) {
    const std::size_t wide = text.size() > 2 ? (text[2] & 1) : 0;
    return std::uint64_t{1} << (((text.size() & 31) << 1) | wide);
}

std::uint64_t HashOf(const Bytes& text) {
    const std::string_view view(reinterpret_cast<const char*>(text.data()), text.size());
    return std::hash<std::string_view>{}(view) & ~0xFFFFFFFFull;
}

}  // namespace

int BiffWorkbook::Start(const std::string& dir) {
    error_ = body_.Open(dir);
    if (error_ == 0) error_ = sst_.Open(dir);
    return error_ == 0 ? 1 : 0;
}

// A text's index in the table of shared strings: an earlier one's when the same text came
// before, else the next. column is the text's column in a row of data, -1 for a header.
int BiffWorkbook::AddText(std::string_view utf8, int column) {
    text_.clear();
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; })) {
        if (utf8.size() > kMaxTextUnits) return -1;
        AppendU16(text_, static_cast<unsigned>(utf8.size()));
        AppendU8(text_, 0);
        text_.insert(text_.end(), utf8.begin(), utf8.end());
    } else {
        const std::vector<char16_t> units = Utf16(utf8);
        if (units.size() > kMaxTextUnits) return -1;
        AppendU16(text_, static_cast<unsigned>(units.size()));
        AppendChars(text_, units);
    }
    // Hashing costs more than the rest of a text: only texts that may be looked up are hashed.
    const bool maybeHashed = (hashedShapes_ & ShapeBit(text_)) != 0;
    if (maybeHashed) {
        if (const int found = FindHashed(text_, HashOf(text_)); found >= 0) return found;
    }
    if (!hashAll_ && column >= 0) {
        if (runs_.size() <= static_cast<std::size_t>(column)) runs_.resize(column + 1);
        Run& run = runs_[static_cast<std::size_t>(column)];
        const int order = run.started ? CompareText(text_, run.last) : 0;
        const bool next =
            !run.started || (order != 0 && (run.direction == 0 || order == run.direction));
        if (next) {
            // Different from every text of its own run; it must still lie outside the others.
            if (!InSomeRun(text_, &run)) {
                if (!run.started) run.first = text_;
                run.direction = run.started ? order : 0;
                run.last = text_;
                run.started = true;
                return Spill(text_);
            }
        }
    }
    const std::uint64_t hash = HashOf(text_);
    if (!hashAll_ && InSomeRun(text_)) {
        // It may repeat a text that was never looked up: from now on every text is.
        if (!HashEveryText()) return -2;
        if (const int found = FindHashed(text_, hash); found >= 0) return found;
    }
    const int index = Spill(text_);
    if (index >= 0) InsertHashed(text_, hash, static_cast<std::uint32_t>(index));
    return index;
}

bool BiffWorkbook::InSomeRun(const Bytes& text, const Run* except) const {
    for (const Run& run : runs_) {
        if (!run.started || &run == except) continue;
        const bool rising = CompareText(run.first, run.last) <= 0;
        const Bytes& low = rising ? run.first : run.last;
        const Bytes& high = rising ? run.last : run.first;
        if (CompareText(text, low) >= 0 && CompareText(text, high) <= 0) return true;
    }
    return false;
}

int BiffWorkbook::FindHashed(const Bytes& text, std::uint64_t hash) const {
    if (slots_.empty() || (hashedShapes_ & ShapeBit(text)) == 0) return -1;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = (hash >> 32) & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
        if ((slots_[slot] & ~0xFFFFFFFFull) != hash) continue;
        const auto k = static_cast<std::uint32_t>(slots_[slot] - 1);
        const std::uint32_t from = k == 0 ? 0 : hashedEnds_[k - 1];
        if (hashedEnds_[k] - from == text.size() &&
            std::equal(text.begin(), text.end(), hashedText_.begin() + from)) {
            return static_cast<int>(hashedIndex_[k]);
        }
    }
    return -1;
}

void BiffWorkbook::InsertHashed(const Bytes& text, std::uint64_t hash, std::uint32_t index) {
    const auto count = static_cast<std::uint32_t>(hashedEnds_.size());
    const auto insert = [this](std::uint64_t entry) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t slot = (entry >> 32) & mask;
        while (slots_[slot] != 0) slot = (slot + 1) & mask;
        slots_[slot] = entry;
    };
    if (slots_.size() < 2 * (std::size_t{count} + 1)) {
        std::vector<std::uint64_t> old(std::max<std::size_t>(64, 4 * slots_.size()), 0);
        old.swap(slots_);
        for (std::uint64_t entry : old) {
            if (entry != 0) insert(entry);
        }
    }
    hashedShapes_ |= ShapeBit(text);
    hashedText_.insert(hashedText_.end(), text.begin(), text.end());
    hashedEnds_.push_back(static_cast<std::uint32_t>(hashedText_.size()));
    hashedIndex_.push_back(index);
    insert(hash | (count + 1));
}

// Reads every text so far back from its temporary file into the looked-up ones.
bool BiffWorkbook::HashEveryText() {
    hashAll_ = true;
    hashedText_.clear();
    hashedEnds_.clear();
    hashedIndex_.clear();
    slots_.clear();
    hashedShapes_ = 0;
    Bytes text;
    std::uint64_t at = 0;
    for (std::uint32_t i = 0; i < sstCount_; ++i) {
        std::uint8_t head[3];
        if (!sst_.Read(at, head)) return false;
        const std::size_t size =
            3 + (std::size_t{head[0]} | std::size_t{head[1]} << 8) * ((head[2] & 1) != 0 ? 2 : 1);
        text.resize(size);
        if (!sst_.Read(at, text)) return false;
        InsertHashed(text, HashOf(text), i);
        at += size;
    }
    return true;
}

int BiffWorkbook::Spill(const Bytes& text) {
    if (!sst_.Append(text)) {
        error_ = sst_.Error();
        return -2;
    }
    // The table's records never split a text: one that does not fit starts a CONTINUE record.
    if (sstRecordFill_ + text.size() > kMaxRecordData) {
        ++sstContinues_;
        sstRecordFill_ = 0;
    }
    sstRecordFill_ += text.size();
    sstBytes_ += text.size();
    return static_cast<int>(sstCount_++);
}

int BiffWorkbook::NumberXf(int decimals) {
    const auto found = std::find(formats_.begin(), formats_.end(), decimals);
    if (found != formats_.end()) return kFirstNumberXf + static_cast<int>(found - formats_.begin());
    formats_.push_back(decimals);
    return kFirstNumberXf + static_cast<int>(formats_.size()) - 1;
}

int BiffWorkbook::AddSheet(std::string_view name, std::span<const ExcelColumn> columns) {
    const std::size_t nameUnits = Utf16(name).size();
    if (nameUnits == 0 || nameUnits > 31 || columns.empty() || columns.size() > kMaxColumns ||
        sheets_.size() >= kMaxSheets) {
        return 0;
    }
    if (!sheets_.empty() && !FlushBlock(sheets_.back())) return 0;
    Sheet s;
    s.name = name;
    s.bodyStart = body_.Size();
    std::vector<ExcelCell> header;
    for (const ExcelColumn& c : columns) {
        s.xfs.push_back(c.decimals < 0 ? -1 : NumberXf(std::min(c.decimals, 255)));
        s.widths.push_back(std::clamp(c.width, 0, 255));
        header.push_back({c.name, 0});
    }
    if (AppendRow(s, header, true) == 0) return 0;
    sheets_.push_back(std::move(s));
    return 1;
}

int BiffWorkbook::AddRow(std::span<const ExcelCell> cells) {
    if (sheets_.empty() || cells.size() != sheets_.back().xfs.size()) return 0;
    return AppendRow(sheets_.back(), cells, false);
}

int BiffWorkbook::AppendRow(Sheet& s, std::span<const ExcelCell> cells, bool header) {
    if (s.rows >= kMaxRows) return 0;
    const int n = static_cast<int>(cells.size());
    // Only the first n of each are used: left unset, not cleared for every row.
    std::array<std::int64_t, kMaxColumns> value;  // string index, or the RK form; -1 neither
    std::array<bool, kMaxColumns> text;
    std::array<bool, kMaxColumns> empty;
    std::array<int, kMaxColumns> xf;
    for (int c = 0; c < n; ++c) {
        text[c] = header || s.xfs[c] < 0;
        empty[c] = !header && cells[c].empty;
        xf[c] = text[c] || cells[c].decimals < 0 ? s.xfs[c]
                                                 : NumberXf(std::min(cells[c].decimals, 255));
        if (empty[c]) {
            value[c] = -1;
        } else if (text[c]) {
            value[c] = AddText(cells[c].text, header ? -1 : c);
            if (value[c] < 0) return 0;
        } else {
            const std::optional<std::uint32_t> rk = Rk(cells[c].number);
            value[c] = rk ? std::int64_t{*rk} : -1;
        }
    }
    Bytes& b = block_;
    if (rowCells_.empty()) {
        // Room for the block's ROW records, which come before its cells.
        b.assign(kRowsPerBlock * kRowRecordSize, 0);
    }
    // The row's records are written in place into room for the largest (a NUMBER record per
    // cell), then the room is cut to what they took.
    const std::size_t start = b.size();
    b.resize(start + 18 * static_cast<std::size_t>(n) + 16);
    std::uint8_t* p = b.data() + start;
    const auto put16 = [&p](unsigned v) {
        p[0] = static_cast<std::uint8_t>(v & 0xFF);
        p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
        p += 2;
    };
    const auto put32 = [&put16](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    const auto open = [&](unsigned id) {
        std::uint8_t* at = p;
        put16(id);
        p += 2;
        return at;
    };
    const auto close = [&p](std::uint8_t* at) {
        const auto length = static_cast<unsigned>(p - at - 4);
        at[2] = static_cast<std::uint8_t>(length & 0xFF);
        at[3] = static_cast<std::uint8_t>(length >> 8);
    };
    const auto cell = [&](int column, int format) {
        put16(static_cast<unsigned>(s.rows));
        put16(static_cast<unsigned>(column));
        put16(static_cast<unsigned>(format));
    };
    for (int c = 0; c < n;) {
        std::uint8_t* at = nullptr;
        if (empty[c]) {
            ++c;
            continue;
        }
        if (text[c]) {
            at = open(kLabelSst);
            cell(c, kGeneralXf);
            put32(static_cast<std::uint32_t>(value[c]));
            ++sstRefs_;
            ++c;
        } else if (value[c] < 0) {
            at = open(kNumber);
            cell(c, xf[c]);
            std::uint64_t bits = 0;
            std::memcpy(&bits, &cells[c].number, sizeof bits);
            put32(static_cast<std::uint32_t>(bits));
            put32(static_cast<std::uint32_t>(bits >> 32));
            ++c;
        } else {
            int e = c + 1;
            while (e < n && !text[e] && !empty[e] && value[e] >= 0) ++e;
            if (e - c == 1) {
                at = open(kRk);
                cell(c, xf[c]);
                put32(static_cast<std::uint32_t>(value[c]));
            } else {
                at = open(kMulRk);
                put16(static_cast<unsigned>(s.rows));
                put16(static_cast<unsigned>(c));
                for (int k = c; k < e; ++k) {
                    put16(static_cast<unsigned>(xf[k]));
                    put32(static_cast<std::uint32_t>(value[k]));
                }
                put16(static_cast<unsigned>(e - 1));
            }
            c = e;
        }
        close(at);
    }
    b.resize(static_cast<std::size_t>(p - b.data()));
    rowCells_.push_back(static_cast<std::uint16_t>(b.size() - start));
    ++s.rows;
    if (rowCells_.size() == kRowsPerBlock && !FlushBlock(s)) return 0;
    return 1;
}

// A block of up to 32 rows: their ROW records, their cells, and a DBCELL record that lets a
// reader find each row's first cell. It goes to the sheets' temporary file when complete.
bool BiffWorkbook::FlushBlock(Sheet& s) {
    const std::size_t n = rowCells_.size();
    if (n == 0) return true;
    Bytes& b = block_;
    b.erase(b.begin() + static_cast<std::ptrdiff_t>(n * kRowRecordSize),
            b.begin() + kRowsPerBlock * kRowRecordSize);
    Bytes rows;
    const int firstRow = s.rows - static_cast<int>(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = Begin(rows, kRow);
        AppendU16(rows, static_cast<unsigned>(firstRow) + static_cast<unsigned>(i));
        AppendU16(rows, 0);
        AppendU16(rows, static_cast<unsigned>(s.xfs.size()));
        AppendU16(rows, 0x00FF);  // default height
        AppendU32(rows, 0);
        AppendU32(rows, 0x000F0100);
        End(rows, at);
    }
    std::copy(rows.begin(), rows.end(), b.begin());
    const std::size_t dbcell = b.size();
    const std::size_t at = Begin(b, kDbCell);
    AppendU32(b, static_cast<std::uint32_t>(dbcell));
    AppendU16(b, static_cast<unsigned>((n - 1) * kRowRecordSize));
    for (std::size_t i = 0; i + 1 < n; ++i) AppendU16(b, rowCells_[i]);
    End(b, at);
    s.dbcells.push_back(static_cast<std::uint32_t>(s.bodySize + dbcell));
    rowCells_.clear();
    if (!body_.Append(b)) {
        error_ = body_.Error();
        return false;
    }
    s.bodySize += b.size();
    b.clear();
    return true;
}

Bytes BiffWorkbook::GlobalsBeforeSst(std::vector<std::size_t>& sheetPositionFields) const {
    Bytes g;
    AppendBof(g, 0x0005);
    std::size_t at = Begin(g, kCodePage);
    AppendU16(g, 1200);  // strings are UTF-16
    End(g, at);
    at = Begin(g, kWindow1);
    for (unsigned v : {360u, 270u, 14940u, 9150u, 0x0038u, 0u, 0u, 1u, 600u}) AppendU16(g, v);
    End(g, at);
    // Four fonts, all the same: the style formats refer to the first ones by number.
    for (int i = 0; i < 4; ++i) {
        at = Begin(g, kFont);
        AppendU16(g, 220);     // 11 points
        AppendU16(g, 0);       // upright
        AppendU16(g, 0x7FFF);  // window text colour
        AppendU16(g, 400);     // normal weight
        AppendU16(g, 0);
        AppendU8(g, 0);
        AppendU8(g, 0);
        AppendU8(g, 134);  // GB 2312 character set
        AppendU8(g, 0);
        const std::vector<char16_t> name = Utf16("宋体");
        AppendU8(g, static_cast<unsigned>(name.size()));
        AppendChars(g, name);
        End(g, at);
    }
    for (std::size_t i = 0; i < formats_.size(); ++i) {
        std::string pattern = "0";
        const std::size_t shown = std::min<std::size_t>(formats_[i], kMaxDecimalsShown);
        if (shown > 0) pattern += "." + std::string(shown, '0');
        at = Begin(g, kFormat);
        AppendU16(g, kFirstUserFormat + static_cast<unsigned>(i));
        AppendU16(g, static_cast<unsigned>(pattern.size()));
        AppendChars(g, Utf16(pattern));
        End(g, at);
    }
    AppendXf(g, 0, true, 0x00);
    for (int i = 1; i < kStyleXfs; ++i) AppendXf(g, 0, true, 0xF4);
    AppendXf(g, 0, false, 0x00);
    for (std::size_t i = 0; i < formats_.size(); ++i) {
        AppendXf(g, kFirstUserFormat + static_cast<unsigned>(i), false, 0x04);
    }
    at = Begin(g, kStyle);
    AppendU16(g, 0x8000);  // built-in "Normal" on the first format
    AppendU8(g, 0);
    AppendU8(g, 0xFF);
    End(g, at);
    for (const Sheet& s : sheets_) {
        at = Begin(g, kBoundSheet);
        sheetPositionFields.push_back(g.size());
        AppendU32(g, 0);
        AppendU16(g, 0);  // visible worksheet
        const std::vector<char16_t> name = Utf16(s.name);
        AppendU8(g, static_cast<unsigned>(name.size()));
        AppendChars(g, name);
        End(g, at);
    }

    return g;
}

namespace {

std::uint32_t SstBucketStep(std::uint32_t count) {
    return std::max<std::uint32_t>(count / 128 + 1, 8);
}

}  // namespace

// The table of shared strings with its EXTSST record and the globals' EOF.
std::uint64_t BiffWorkbook::SstSize() const {
    const std::uint32_t dsst = SstBucketStep(sstCount_);
    const std::uint64_t buckets = (sstCount_ + dsst - 1) / dsst;
    return 4 + 8 + sstBytes_ + 4ull * sstContinues_ + 4 + 2 + 8 * buckets + 4;
}

// The shared strings, continued over as many records as they need, never splitting a string;
// every dsst-th string's place goes into EXTSST. A record is made whole before it goes out:
// its length comes first.
bool BiffWorkbook::WriteSst(std::uint64_t position, const ByteSink& sink) {
    const std::uint32_t dsst = SstBucketStep(sstCount_);
    Bytes buckets;
    Bytes record;
    record.reserve(4 + kMaxRecordData);
    Begin(record, kSst);
    AppendU32(record, sstRefs_);
    AppendU32(record, sstCount_);
    Bytes in;
    std::size_t inAt = 0;
    std::uint64_t readAt = 0;
    const auto take = [&](std::size_t n) -> const std::uint8_t* {
        if (in.size() - inAt < n) {
            in.erase(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(inAt));
            inAt = 0;
            const std::uint64_t left = sst_.Size() - readAt;
            const std::size_t more = static_cast<std::size_t>(
                std::min<std::uint64_t>(left, std::max<std::size_t>(n, 1u << 16)));
            const std::size_t had = in.size();
            in.resize(had + more);
            if (more < n - had || !sst_.Read(readAt, {in.data() + had, more})) return nullptr;
            readAt += more;
        }
        const std::uint8_t* p = in.data() + inAt;
        inAt += n;
        return p;
    };
    for (std::uint32_t i = 0; i < sstCount_; ++i) {
        const std::uint8_t* head = take(3);
        if (head == nullptr) return false;
        const std::size_t chars =
            (std::size_t{head[0]} | std::size_t{head[1]} << 8) * ((head[2] & 1) != 0 ? 2 : 1);
        const std::uint8_t flag = head[2];
        const std::uint16_t units = static_cast<std::uint16_t>(head[0] | head[1] << 8);
        const std::uint8_t* body = take(chars);
        if (body == nullptr) return false;
        if (record.size() - 4 + 3 + chars > kMaxRecordData) {
            End(record, 0);
            if (!sink(record)) return false;
            position += record.size();
            record.clear();
            Begin(record, kContinue);
        }
        if (i % dsst == 0) {
            AppendU32(buckets, static_cast<std::uint32_t>(position + record.size()));
            AppendU16(buckets, static_cast<unsigned>(record.size()));
            AppendU16(buckets, 0);
        }
        AppendU16(record, units);
        AppendU8(record, flag);
        record.insert(record.end(), body, body + chars);
    }
    End(record, 0);
    std::size_t at = Begin(record, kExtSst);
    AppendU16(record, dsst);
    record.insert(record.end(), buckets.begin(), buckets.end());
    End(record, at);
    AppendEof(record);
    return sink(record);
}

void BiffWorkbook::FinishSheet(Sheet& s, std::uint64_t position) const {
    Bytes& out = s.head;
    AppendBof(out, 0x0010);
    const std::size_t columnCount = s.widths.size();
    const auto widths =
        std::count_if(s.widths.begin(), s.widths.end(), [](int w) { return w > 0; });
    const std::size_t prefix =
        out.size() + 4 + 16 + 4 * s.dbcells.size() + 6 + 16 * static_cast<std::size_t>(widths) + 18;
    std::size_t at = Begin(out, kIndex);
    AppendU32(out, 0);
    AppendU32(out, 0);
    AppendU32(out, static_cast<std::uint32_t>(s.rows));
    AppendU32(out, static_cast<std::uint32_t>(position + out.size() + 4 + 4 * s.dbcells.size()));
    for (std::uint32_t d : s.dbcells)
        AppendU32(out, static_cast<std::uint32_t>(position + prefix + d));
    End(out, at);
    at = Begin(out, kDefColWidth);
    AppendU16(out, 8);
    End(out, at);
    for (std::size_t c = 0; c < columnCount; ++c) {
        if (s.widths[c] == 0) continue;
        at = Begin(out, kColInfo);
        AppendU16(out, static_cast<unsigned>(c));
        AppendU16(out, static_cast<unsigned>(c));
        AppendU16(out, static_cast<unsigned>(s.widths[c]) * 256);
        AppendU16(out, kGeneralXf);
        AppendU16(out, 0);
        AppendU16(out, 0);
        End(out, at);
    }
    at = Begin(out, kDimensions);
    AppendU32(out, 0);
    AppendU32(out, static_cast<std::uint32_t>(s.rows));
    AppendU16(out, 0);
    AppendU16(out, static_cast<unsigned>(columnCount));
    AppendU16(out, 0);
    End(out, at);
    Bytes& tail = s.tail;
    at = Begin(tail, kWindow2);
    // Grid, headers, zeros, automatic grid colour, outline symbols; the first sheet is the
    // selected and active one.
    AppendU16(tail, &s == &sheets_.front() ? 0x06B6 : 0x00B6);
    AppendU16(tail, 0);
    AppendU16(tail, 0);
    AppendU16(tail, 64);
    AppendU16(tail, 0);
    AppendU16(tail, 0);
    AppendU16(tail, 0);
    AppendU32(tail, 0);
    End(tail, at);
    AppendEof(tail);
}

int BiffWorkbook::Finish(std::uint64_t& size) {
    if (!sheets_.empty() && !FlushBlock(sheets_.back())) return 0;
    std::vector<std::size_t> fields;
    globals_ = GlobalsBeforeSst(fields);
    globalsSize_ = globals_.size() + SstSize();
    std::uint64_t position = globalsSize_;
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        Sheet& s = sheets_[i];
        PutU32At(globals_, fields[i], static_cast<std::uint32_t>(position));
        FinishSheet(s, position);
        position += s.head.size() + s.bodySize + s.tail.size();
    }
    size = position;
    return 1;
}

bool BiffWorkbook::WriteStream(const ByteSink& sink) {
    const bool written = [&] {
        if (!sink(globals_) || !WriteSst(globals_.size(), sink)) return false;
        for (const Sheet& s : sheets_) {
            if (!sink(s.head) || !body_.CopyTo(s.bodyStart, s.bodySize, sink) || !sink(s.tail)) {
                return false;
            }
        }
        return true;
    }();
    if (!written && error_ == 0) error_ = body_.Error() != 0 ? body_.Error() : sst_.Error();
    return written;
}

}  // namespace vardo

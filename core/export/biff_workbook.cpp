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
    if (v == std::nearbyint(v) && std::fabs(v) < kLimit) {
        return (static_cast<std::uint32_t>(static_cast<std::int32_t>(v)) << 2) | 2u;
    }
    const double hundredths = std::nearbyint(v * 100);
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

int BiffWorkbook::AddText(std::string_view utf8) {
    // Encoded first, then looked up by its encoding: no copy of the text is kept but the one
    // the table holds.
    const std::size_t start = sst_.size();
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; })) {
        if (utf8.size() > kMaxTextUnits) return -1;
        AppendU16(sst_, static_cast<unsigned>(utf8.size()));
        AppendU8(sst_, 0);
        sst_.insert(sst_.end(), utf8.begin(), utf8.end());
    } else {
        const std::vector<char16_t> units = Utf16(utf8);
        if (units.size() > kMaxTextUnits) return -1;
        AppendU16(sst_, static_cast<unsigned>(units.size()));
        AppendChars(sst_, units);
    }
    const auto encoded = [this](std::size_t from, std::size_t to) {
        return std::string_view(reinterpret_cast<const char*>(sst_.data()) + from, to - from);
    };
    const std::string_view text = encoded(start, sst_.size());
    const std::uint64_t hash = std::hash<std::string_view>{}(text) & ~0xFFFFFFFFull;
    const auto count = static_cast<std::uint32_t>(sstEnds_.size());
    const auto insert = [this](std::uint64_t entry) {
        const std::size_t mask = sstSlots_.size() - 1;
        std::size_t slot = (entry >> 32) & mask;
        while (sstSlots_[slot] != 0) slot = (slot + 1) & mask;
        sstSlots_[slot] = entry;
    };
    if (sstSlots_.size() < 2 * (std::size_t{count} + 1)) {
        std::vector<std::uint64_t> old(std::max<std::size_t>(1024, 4 * sstSlots_.size()), 0);
        old.swap(sstSlots_);
        for (std::uint64_t entry : old) {
            if (entry != 0) insert(entry);
        }
    }
    const std::size_t mask = sstSlots_.size() - 1;
    for (std::size_t slot = (hash >> 32) & mask; sstSlots_[slot] != 0; slot = (slot + 1) & mask) {
        if ((sstSlots_[slot] & ~0xFFFFFFFFull) != hash) continue;
        const auto i = static_cast<std::uint32_t>(sstSlots_[slot] - 1);
        if (encoded(i == 0 ? 0 : sstEnds_[i - 1], sstEnds_[i]) == text) {
            sst_.resize(start);
            return static_cast<int>(i);
        }
    }
    insert(hash | (count + 1));
    sstEnds_.push_back(static_cast<std::uint32_t>(sst_.size()));
    return static_cast<int>(count);
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
    Sheet s;
    s.name = name;
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
    std::array<std::int64_t, kMaxColumns> value{};  // string index, or the RK form; -1 neither
    std::array<bool, kMaxColumns> text{};
    std::array<bool, kMaxColumns> empty{};
    std::array<int, kMaxColumns> xf{};
    for (int c = 0; c < n; ++c) {
        text[c] = header || s.xfs[c] < 0;
        empty[c] = !header && cells[c].empty;
        xf[c] = text[c] || cells[c].decimals < 0 ? s.xfs[c]
                                                 : NumberXf(std::min(cells[c].decimals, 255));
        if (empty[c]) {
            value[c] = -1;
        } else if (text[c]) {
            value[c] = AddText(cells[c].text);
            if (value[c] < 0) return 0;
        } else {
            const std::optional<std::uint32_t> rk = Rk(cells[c].number);
            value[c] = rk ? std::int64_t{*rk} : -1;
        }
    }
    Bytes& b = s.body;
    if (s.rowCells.empty()) {
        // Room for the block's ROW records, which come before its cells.
        s.blockStart = b.size();
        b.resize(b.size() + kRowsPerBlock * kRowRecordSize);
    }
    const std::size_t start = b.size();
    const int row = s.rows;
    for (int c = 0; c < n;) {
        std::size_t at = 0;
        if (empty[c]) {
            ++c;
            continue;
        }
        if (text[c]) {
            at = Begin(b, kLabelSst);
            AppendCell(b, row, c, kGeneralXf);
            AppendU32(b, static_cast<std::uint32_t>(value[c]));
            ++sstRefs_;
            ++c;
        } else if (value[c] < 0) {
            at = Begin(b, kNumber);
            AppendCell(b, row, c, xf[c]);
            std::uint64_t bits = 0;
            std::memcpy(&bits, &cells[c].number, sizeof bits);
            AppendU64(b, bits);
            ++c;
        } else {
            int e = c + 1;
            while (e < n && !text[e] && !empty[e] && value[e] >= 0) ++e;
            if (e - c == 1) {
                at = Begin(b, kRk);
                AppendCell(b, row, c, xf[c]);
                AppendU32(b, static_cast<std::uint32_t>(value[c]));
            } else {
                at = Begin(b, kMulRk);
                AppendU16(b, static_cast<unsigned>(row));
                AppendU16(b, static_cast<unsigned>(c));
                for (int k = c; k < e; ++k) {
                    AppendU16(b, static_cast<unsigned>(xf[k]));
                    AppendU32(b, static_cast<std::uint32_t>(value[k]));
                }
                AppendU16(b, static_cast<unsigned>(e - 1));
            }
            c = e;
        }
        End(b, at);
    }
    s.rowCells.push_back(static_cast<std::uint16_t>(b.size() - start));
    ++s.rows;
    if (s.rowCells.size() == kRowsPerBlock) FlushBlock(s);
    return 1;
}

// A block of up to 32 rows: their ROW records, their cells, and a DBCELL record that lets a
// reader find each row's first cell.
void BiffWorkbook::FlushBlock(Sheet& s) const {
    const std::size_t n = s.rowCells.size();
    if (n == 0) return;
    const auto rowsAt = static_cast<std::ptrdiff_t>(s.blockStart);
    s.body.erase(s.body.begin() + rowsAt + static_cast<std::ptrdiff_t>(n * kRowRecordSize),
                 s.body.begin() + rowsAt + kRowsPerBlock * kRowRecordSize);
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
    std::copy(rows.begin(), rows.end(), s.body.begin() + rowsAt);
    const std::size_t dbcell = s.body.size();
    const std::size_t at = Begin(s.body, kDbCell);
    AppendU32(s.body, static_cast<std::uint32_t>(dbcell - s.blockStart));
    AppendU16(s.body, static_cast<unsigned>((n - 1) * kRowRecordSize));
    for (std::size_t i = 0; i + 1 < n; ++i) AppendU16(s.body, s.rowCells[i]);
    End(s.body, at);
    s.dbcells.push_back(static_cast<std::uint32_t>(dbcell));
    s.rowCells.clear();
}

Bytes BiffWorkbook::Globals(std::vector<std::size_t>& sheetPositionFields) const {
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

    // The shared strings, continued over as many records as they need, never splitting a
    // string; every dsst-th string's place goes into EXTSST.
    const std::uint32_t count = static_cast<std::uint32_t>(sstEnds_.size());
    const std::uint32_t dsst = std::max<std::uint32_t>(count / 128 + 1, 8);
    Bytes buckets;
    std::size_t record = Begin(g, kSst);
    AppendU32(g, sstRefs_);
    AppendU32(g, count);
    std::uint32_t from = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t to = sstEnds_[i];
        if (g.size() - record - 4 + (to - from) > kMaxRecordData) {
            End(g, record);
            record = Begin(g, kContinue);
        }
        if (i % dsst == 0) {
            AppendU32(buckets, static_cast<std::uint32_t>(g.size()));
            AppendU16(buckets, static_cast<unsigned>(g.size() - record));
            AppendU16(buckets, 0);
        }
        g.insert(g.end(), sst_.begin() + from, sst_.begin() + to);
        from = to;
    }
    End(g, record);
    at = Begin(g, kExtSst);
    AppendU16(g, dsst);
    g.insert(g.end(), buckets.begin(), buckets.end());
    End(g, at);
    AppendEof(g);
    return g;
}

void BiffWorkbook::FinishSheet(Sheet& s, std::size_t position) const {
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

std::vector<std::span<const std::uint8_t>> BiffWorkbook::Finish() {
    std::vector<std::size_t> fields;
    for (Sheet& s : sheets_) FlushBlock(s);
    globals_ = Globals(fields);
    std::vector<std::span<const std::uint8_t>> pieces = {globals_};
    std::size_t position = globals_.size();
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        Sheet& s = sheets_[i];
        PutU32At(globals_, fields[i], static_cast<std::uint32_t>(position));
        FinishSheet(s, position);
        pieces.insert(pieces.end(), {s.head, s.body, s.tail});
        position += s.head.size() + s.body.size() + s.tail.size();
    }
    return pieces;
}

}  // namespace vardo

#include "curves/span_geometry.h"

#include <algorithm>
#include <cstdio>

#include "base/texts.h"

namespace vardo {

int SpanColumns(const PlotFrame& f) {
    const int n = f.W() - 2;
    return n > 1 ? n : 1;
}

int SpanColumnX(const PlotFrame& f, int column) {
    return f.L + 1 + column;
}

int PointerToSpanColumn(const PlotFrame& f, int x) {
    return ClampPointerX(f, x) - f.L - 1;
}

bool EnvelopeJoined(const EnvelopeColumn& a, const EnvelopeColumn& b, int ch, VTime maxStep) {
    if (a.records == 0 || b.records == 0 || !a.Has(ch) || !b.Has(ch)) return false;
    return b.first - a.last <= maxStep;
}

std::vector<std::vector<EnvelopeStroke>> EnvelopeRuns(const PlotFrame& f, const DisplaySettings& ds,
                                                      const Envelope& e, int ch, VTime maxStep,
                                                      float low, float high) {
    std::vector<std::vector<EnvelopeStroke>> runs;
    const float span = high - low;
    const auto y = [&](float v) {
        const float fraction = span != 0.0f ? (v - low) / span : 0.0f;
        return SampleY(f, ds, fraction, v);
    };
    const EnvelopeColumn* prev = nullptr;
    EnvelopeStroke own;  // the predecessor's own extent, before it was joined
    for (std::size_t c = 0; c < e.columns.size(); ++c) {
        const EnvelopeColumn& col = e.columns[c];
        if (col.records == 0 || !col.Has(ch)) {
            // An empty column is no break by itself when the columns are finer than the
            // interval: the join looks at the times of the records on either side.
            if (col.records != 0) prev = nullptr;
            continue;
        }
        // Larger values are higher up, at smaller y.
        const EnvelopeStroke mine{SpanColumnX(f, static_cast<int>(c)), y(col.max[ch]),
                                  y(col.min[ch])};
        EnvelopeStroke s = mine;
        if (prev != nullptr && EnvelopeJoined(*prev, col, ch, maxStep) && !runs.empty()) {
            s.top = std::min(s.top, own.bottom);
            s.bottom = std::max(s.bottom, own.top);
            runs.back().push_back(s);
        } else {
            runs.push_back({s});
        }
        own = mine;
        prev = &col;
    }
    return runs;
}

int NearestFilledColumn(const Envelope& e, int c) {
    const int n = static_cast<int>(e.columns.size());
    if (c < 0) c = 0;
    if (c >= n) c = n - 1;
    for (int d = 0; d < n; ++d) {
        if (c - d >= 0 && e.columns[static_cast<std::size_t>(c - d)].records != 0) return c - d;
        if (c + d < n && e.columns[static_cast<std::size_t>(c + d)].records != 0) return c + d;
        if (c - d < 0 && c + d >= n) break;
    }
    return -1;
}

TimeAxisLayout LayoutSpanTimeAxis(const PlotFrame& f, const DisplaySettings& ds, VTime from,
                                  VTime to) {
    // Times of day alone repeat every day: a window of a day or more names the dates.
    const int xMode = to - from >= 86400 ? 0 : ds.XMode;
    const int n = SpanColumns(f);
    return PlaceTimeLabels(f, ds.XLines, xMode, to, from, [&](float, float x) {
        const int c = std::clamp(PointerToSpanColumn(f, static_cast<int>(x)), 0, n - 1);
        return EnvelopeColumnStart(c, from, to, n);
    });
}

std::vector<TextItem> SpanHeaderTexts(const PlotFrame& f, int chnls, VTime interval,
                                      const std::string& title) {
    return HeaderPieces(f, chnls, static_cast<int>(interval), title);
}

std::string SpanZoomText(VTime width) {
    const VTime days = width / 86400;
    const VTime rest = width % 86400;
    char text[64];
    if (days > 0)
        std::snprintf(text, sizeof text, texts::kSpanZoomDays, static_cast<long long>(days),
                      static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                      static_cast<int>(rest % 60));
    else
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(rest / 3600),
                      static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
    return text;
}

std::string ColumnValueText(const EnvelopeColumn& c, int ch) {
    if (c.records == 0 || !c.Has(ch)) return {};
    const std::string low = EnvelopeValueText(c.min[ch], c.minDecimals[ch]);
    const std::string high = EnvelopeValueText(c.max[ch], c.maxDecimals[ch]);
    if (low == high) return low;
    return low + "~" + high;
}

std::vector<LegendRow> SpanLegendRows(const PlotFrame& f, int chnls, const Envelope& e,
                                      int& firstRow, int rows, int c) {
    std::vector<LegendRow> out;
    if (chnls > kMaxChannels) chnls = kMaxChannels;
    if (chnls - firstRow < rows) firstRow = chnls - rows;
    if (firstRow < 0) firstRow = 0;
    const EnvelopeColumn* col = c >= 0 && c < static_cast<int>(e.columns.size())
                                    ? &e.columns[static_cast<std::size_t>(c)]
                                    : nullptr;
    bool valuesDone = false;
    int r = 0;
    for (int ch = firstRow; ch < chnls; ++ch) {
        LegendRow row;
        row.channel = ch;
        char text[64];
        std::snprintf(text, sizeof text, texts::kLegendChannel, ch + 1);
        row.name = {text, f.R + 20, 10 + 40 * r};
        if (!valuesDone && col != nullptr) {
            const std::string v = ColumnValueText(*col, ch);
            row.hasValue = !v.empty();
            row.value = {v, f.R + 40, 28 + 40 * r};
            if (f.B - (28 + 40 * (r + 1)) < 30) valuesDone = true;
        }
        out.push_back(std::move(row));
        if (f.B - (10 + 40 * (r + 1)) < 30) break;
        ++r;
    }
    return out;
}

}  // namespace vardo

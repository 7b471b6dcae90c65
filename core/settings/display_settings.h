#pragma once
// How the curves are shown; persisted in section ViewSet of SetUp.ini.

#include <cstdint>
#include <vector>

namespace vardo {

using Colorref = std::uint32_t;  // 0x00BBGGRR

inline constexpr Colorref Rgb(int r, int g, int b) {
    return static_cast<Colorref>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline constexpr int RedOf(Colorref c) {
    return static_cast<int>(c & 0xFF);
}
inline constexpr int GreenOf(Colorref c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
inline constexpr int BlueOf(Colorref c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

inline constexpr Colorref kWhite = Rgb(255, 255, 255);

// Colours repeat every four channels: blue, teal, grey, brick.
inline constexpr Colorref DefaultChannelColor(int i) {
    const int m = (64 * i) % 256;
    return Rgb(m, (256 - m) % 256, 255 - m);
}

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// What the settings panel lets the user choose, and so all a loaded value may be: more grid lines
// cost memory and time for nothing, and scale ends beyond these overflow the label arithmetic.
inline constexpr int kMaxGridLines = 49;
inline constexpr int kMinScaleEnd = -9999;
inline constexpr int kMaxScaleEnd = 19999;

struct DisplaySettings {
    std::vector<Colorref> channelColors;
    std::vector<int> channelChecks;
    int Chnls = 8;
    int YMode = 1;
    int YSmall = 0;
    int YLarge = 100;
    int XMode = 1;
    int XLines = 5;
    int YLines = 5;
    int layoutDirty = 0;
    Rect drawRect;
    Rect plotRect;
    int pixelsPerPoint = 1;
    int scrollOffset = 0;
    Colorref backColor = 0;
    Colorref gridColor = 64;
    int gridWidth = 1;
    int SetPannel = 1;
    // Peak-preserving curves: each plot column drawn as the min and max of its records. Off for
    // files by default, so that the picture matches the recorder's own screen; on for archive
    // spans, where a column holds hours and a thinned curve would hide a spike.
    int PeakEnvelope = 0;
    int SpanPeakEnvelope = 1;
};

}  // namespace vardo

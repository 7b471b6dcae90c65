#include "datalist/list_print_layout.h"

#include <algorithm>
#include <cstdio>

#include "base/texts.h"
#include "history/history_format.h"

namespace vardo {

namespace {

constexpr int kLeft = 250;
constexpr int kNumberRight = 450;
constexpr int kTimeRight = 1250;
constexpr int kRight = 3750;
constexpr int kSlotWidth = 312;
constexpr int kSlots = 8;
constexpr int kRowHeight = 70;
constexpr int kGridTop = 150;
constexpr int kBandGap = 50;

std::string Formatted(const char* format, int a, int b = 0) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

}  // namespace

ListPrintPlan PlanListPrint(int channelCount, int rowCount) {
    ListPrintPlan plan;
    plan.bands = std::max(1, (std::clamp(channelCount, 0, kMaxChannels) + kSlots - 1) / kSlots);
    plan.rowsPerPage = (75 - plan.bands) * 50 / (plan.bands * kRowHeight) - 1;
    plan.pages = (plan.rowsPerPage + std::max(rowCount, 0)) / plan.rowsPerPage;
    return plan;
}

ListPage LayoutListPage(const HistoryData& h, const ListPrintPlan& plan, int rowCount, int page,
                        const std::string& filePath, const std::string& printTime) {
    std::vector<int> channels;
    for (int ch = 0; ch < std::clamp<int>(h.channelCount, 0, kMaxChannels); ++ch)
        if (h.channelEnabled[ch] != 0) channels.push_back(ch);
    return LayoutListPage(channels, plan, rowCount, page, filePath, printTime);
}

ListPage LayoutListPage(const std::vector<int>& channels, const ListPrintPlan& plan, int rowCount,
                        int page, const std::string& title, const std::string& printTime) {
    ListPage out;
    const int e = plan.rowsPerPage + 1;
    for (int b = 0; b < plan.bands; ++b) {
        const int top = b * (kRowHeight * e + kBandGap) + kGridTop;
        const int firstChannel = kSlots * b + 1;
        for (int i = 0; i <= e; ++i) {
            out.lines.push_back({kLeft, top + kRowHeight * i, kRight, top + kRowHeight * i});
        }
        const auto cell = [&](int i, int left, int right) {
            return PrintText{
                left, top + kRowHeight * i, right, top + kRowHeight * (i + 1), true, -1, -1, {}};
        };
        for (int i = 1; i < e; ++i) {
            const int g = (page - 1) * (e - 1) + i;
            if (g > rowCount) continue;
            PrintText number = cell(i, kLeft, kNumberRight);
            number.text = std::to_string(g);
            out.texts.push_back(number);
            PrintText time = cell(i, kNumberRight, kTimeRight);
            time.row = g - 1;
            time.column = 1;
            out.texts.push_back(time);
            int column = 2;
            for (int ch : channels) {
                const int slot = ch + 1 - firstChannel;
                if (slot >= 0 && slot < kSlots) {
                    PrintText value = cell(i, kTimeRight + kSlotWidth * slot,
                                           kTimeRight + kSlotWidth * (slot + 1));
                    value.row = g - 1;
                    value.column = column;
                    out.texts.push_back(value);
                }
                ++column;
            }
        }
        PrintText number = cell(0, kLeft, kNumberRight);
        number.text = texts::kColumnNumber;
        out.texts.push_back(number);
        PrintText time = cell(0, kNumberRight, kTimeRight);
        time.text = texts::kColumnTime;
        out.texts.push_back(time);
        for (int s = 0; s < kSlots; ++s) {
            PrintText name =
                cell(0, kTimeRight + kSlotWidth * s, kTimeRight + kSlotWidth * (s + 1));
            name.text = Formatted(texts::kColumnChannel, firstChannel + s);
            out.texts.push_back(name);
        }
        const int bottom = top + kRowHeight * e;
        for (int x : {kLeft, kNumberRight}) out.lines.push_back({x, top, x, bottom});
        for (int s = 0; s <= kSlots; ++s) {
            const int x = kTimeRight + kSlotWidth * s;
            out.lines.push_back({x, top, x, bottom});
        }
    }
    const auto footer = [&out](int left, int top, std::string text) {
        out.texts.push_back({left, top, left, top, false, -1, -1, std::move(text)});
    };
    footer(kLeft, 3870, texts::kPrintFile + title);
    footer(kLeft, 3930, texts::kPrintTime + printTime);
    footer(3500, 3930, Formatted(texts::kPageOfPages, page, plan.pages));
    return out;
}

}  // namespace vardo

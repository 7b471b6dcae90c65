#include "datalist/row_texts.h"

#include "datalist/row_walk.h"
#include "history/history_loader.h"

namespace vardo {

CRowTexts::CRowTexts(const HistoryData& h) : h_(h), channels_(ListedChannels(h)) {
    values_.resize(channels_.size());
    for (std::size_t d = 0; d < channels_.size(); ++d) {
        for (int raw = 0; raw < 256; ++raw) {
            values_[d][static_cast<std::size_t>(raw)] =
                SampleText(h, channels_[d], static_cast<std::uint8_t>(raw));
        }
    }
}

std::uint8_t CRowTexts::SampleAt(std::size_t d, std::uint32_t slot) const {
    return SampleAtSlot(h_, channels_[d], slot);
}

}  // namespace vardo

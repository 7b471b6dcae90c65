#include "archive/history_add.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <ctime>

#include "base/sha256.h"
#include "history/history_loader.h"
#include "history/ring.h"

namespace vardo {

namespace {

std::string HostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::string ModelCode(const HistoryData& h) {
    std::string code(h.model, strnlen(h.model, 5));
    return code;
}

}  // namespace

std::optional<int> AddressFromFileName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t at = name.find('@');
    if (at == std::string::npos || at == 0 || at > 3) return std::nullopt;
    int address = 0;
    for (std::size_t i = 0; i < at; ++i) {
        if (name[i] < '0' || name[i] > '9') return std::nullopt;
        address = address * 10 + (name[i] - '0');
    }
    return address;
}

RecordConfig ConfigOfHistory(const HistoryData& h) {
    RecordConfig c;
    c.intervalCode = h.intervalCode;
    c.channelCount = std::min<int>(h.channelCount, kMaxChannels);
    for (int k = 0; k < c.channelCount; ++k) {
        if (h.channelEnabled[k] == 0) continue;
        c.present |= static_cast<std::uint16_t>(1u << k);
        c.high[k] = h.rangeHigh[k];
        c.low[k] = h.rangeLow[k];
    }
    return c;
}

HistoryAddResult AddHistoryFile(ArchiveStore& store, const HistoryData& h,
                                const HistoryAddRequest& request) {
    HistoryAddResult result;
    const std::optional<int> address =
        request.address ? request.address : AddressFromFileName(request.path);
    if (!address) {
        result.result = HistoryAdd::NoAddress;
        return result;
    }
    result.recorder = {request.site, *address, ModelCode(h)};
    const RecordConfig config = ConfigOfHistory(h);

    std::vector<OfferedRecord> records;
    if (!h.file.empty() && IsValidIntervalCode(h.intervalCode) && h.totalRecords > 0) {
        const VTime iv = IntervalTable[h.intervalCode];
        // Oldest first, each at its time counted back from the newest record, as dump lists them
        // and the curve view draws them: counted on from the header's oldest time they would
        // stand off the grid where the two times are not a whole number of intervals apart. No
        // record lies before the oldest time.
        const VTime gap = h.newestTime - h.oldestTime;
        const std::int64_t count =
            std::min<std::int64_t>(h.totalRecords, gap < 0 ? 0 : gap / iv + 1);
        records.reserve(static_cast<std::size_t>(count));
        for (std::int64_t k = count - 1; k >= 0; --k) {
            OfferedRecord r;
            r.time = h.newestTime - k * iv;
            const std::uint32_t slot =
                RingSub(h.newestIndex, static_cast<std::uint32_t>(k), h.capacity);
            for (int ch = 0; ch < kMaxChannels; ++ch) {
                if (config.Has(ch)) r.samples[ch] = SampleAtSlot(h, ch, slot);
            }
            records.push_back(r);
        }
    }

    SourceInfo source;
    source.addedAt = static_cast<VTime>(std::time(nullptr));
    source.how = request.how;
    source.path = request.path;
    source.size = static_cast<std::int64_t>(h.file.size());
    source.sha256 = Sha256Hex(h.file);
    source.device = request.device;
    source.host = HostName();
    source.version = VARDO_VERSION;

    result.status = store.Add(result.recorder, config, records, source, result.counts);
    if (result.status != ArchiveStatus::Ok) {
        result.error = store.LastError();
        result.result = HistoryAdd::Failed;
        return result;
    }
    result.result = HistoryAdd::Added;
    return result;
}

}  // namespace vardo

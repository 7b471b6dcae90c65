#pragma once
// The eight recorder models the program serves: fixed codes and ring sizes, default display
// names (the names themselves are user settings, see settings/setup_ini.h).

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vardo {

inline constexpr int kModelCount = 8;
inline constexpr std::uint32_t kDefaultCapacity = 131072;

struct ModelRow {
    const char* code;  // five characters
    std::uint32_t historyCapacity;
    const char* defaultName;
};

inline constexpr std::array<ModelRow, kModelCount> ModelTable = {{
    {"ZT110", 131072, "ZT220"},
    {"ZT330", 131072, "ZT330"},
    {"ZT550", 131072, "ZT550"},
    {"ZT552", 65536, "ZT550_12通道"},
    {"ZT770", 131072, "ZT770伪彩"},
    {"ZT77C", 131072, "ZT770真彩"},
    {"ZT772", 65536, "ZT770_12通道伪彩"},
    {"ZT772", 65536, "ZT770_12通道真彩"},
}};

// Ring size of a model code; unknown codes get the default ring.
std::uint32_t CapacityOfCode(std::string_view code);
// First row with this code, or -1 when none (the browser shows row 0 then).
int RowOfCode(std::string_view code);

// The user-editable model names: ten slots of up to 31 characters, then the file extension.
struct ModelList {
    std::array<std::string, 10> names;
    std::string ext;
};

ModelList DefaultModelList();

}  // namespace vardo

#include "base/model_table.h"

namespace vardo {

std::uint32_t CapacityOfCode(std::string_view code) {
    int row = RowOfCode(code);
    return row < 0 ? kDefaultCapacity : ModelTable[static_cast<std::size_t>(row)].historyCapacity;
}

int RowOfCode(std::string_view code) {
    for (int i = 0; i < kModelCount; ++i) {
        if (code == ModelTable[static_cast<std::size_t>(i)].code) return i;
    }
    return -1;
}

ModelList DefaultModelList() {
    ModelList list;
    for (int i = 0; i < kModelCount; ++i) list.names[i] = ModelTable[i].defaultName;
    list.ext = "vd";
    return list;
}

}  // namespace vardo

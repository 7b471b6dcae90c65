#pragma once
// The text the history file browser shows for a file: model, channels, interval, time span and
// channel ranges, built from the header alone without loading the file.

#include <string>

#include "base/le_bytes.h"
#include "base/model_table.h"

namespace vardo {

// The browser reads no more of a file than its header.
inline constexpr std::size_t kSummaryReadSize = 256;

// Builds the summary from the bytes read from the start of the file (lines end in "\r\n").
// 1 on success; 0 when the file is damaged (short header, invalid times, unknown interval code),
// and summary is then empty.
int BuildHistorySummary(ByteSpan headerBytesRead, const std::string& fileName,
                        const ModelList& models, std::string* summary);

enum class SummaryResult { Ok, OpenFailed, Damaged };

// Reads the header of the file at path with plain reads and builds its summary. On OpenFailed the
// summary is "打开文件失败！"; on Damaged it is empty.
SummaryResult ReadHistorySummary(const std::string& path, const std::string& fileName,
                                 const ModelList& models, std::string* summary);

}  // namespace vardo

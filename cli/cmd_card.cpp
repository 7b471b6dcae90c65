#include <cstdio>
#include <cstdlib>
#include <string>

#include "archive/archive_store.h"
#include "base/permission_hint.h"
#include "base/texts.h"
#include "base/vardo_time.h"
#include "cfcard/card_import.h"
#include "cfcard/cf_card.h"
#include "cfcard/disk_reader.h"
#include "cfcard/removable_drives.h"
#include "commands.h"
#include "history/ring.h"
#include "settings/setup_ini.h"

namespace vardo::cli {

namespace {

int Refuse(const char* message) {
    std::fprintf(stderr, "%s\n", message);
    return 1;
}

// A reader that would not open: the message, and the way to the rights when they are missing.
int RefuseReader(const std::string& device) {
    Refuse(texts::kCardDetectFailed);
    ReportPermission(device, false, kCardGroup);
    return 1;
}

int Flushed() {
    return std::fflush(stdout) == 0 ? 0 : 1;
}

std::string Format(const char* format, int value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// "7", "07", "110" or the listed name "07.dat": a slot 0..255; -1 for anything else.
int ParseSlot(std::string text) {
    if (text.size() > 4 && text.ends_with(".dat")) text.resize(text.size() - 4);
    if (text.empty() || text.size() > 3) return -1;
    int slot = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        slot = slot * 10 + (c - '0');
    }
    return slot < card::kSlotCount ? slot : -1;
}

int Devices() {
    // The kernel's list by default; tests hand in a tree of their own.
    const char* root = std::getenv("VARDO_SYS_BLOCK");
    const auto drives = ListRemovableDrives(root != nullptr && *root ? root : kSysBlockRoot);
    if (drives.empty()) return Refuse(texts::kCardDetectFailed);
    std::printf("%s\n", texts::kCardDrive);
    for (const std::string& d : drives) std::printf("%s\n", d.c_str());
    return Flushed();
}

int List(const std::string& device) {
    CDiskReader reader;
    if (!reader.Open(device)) return RefuseReader(device);
    const Catalogue catalogue = ScanCard(reader);
    if (!catalogue.readable) return Refuse(texts::kCardDetectFailed);
    const ModelList models = ReadModelList(Home() + "SetUp.ini");
    std::printf("%s\t%s\t%s\t%s\t%s\t%s\t%s\n", texts::kCardColumnFile, texts::kCardColumnAddress,
                texts::kCardColumnStart, texts::kCardColumnEnd, texts::kCardColumnModel,
                texts::kCardColumnChannels, texts::kCardColumnInterval);
    for (const CatalogueEntry& e : catalogue.entries) {
        const CardBackup& b = e.backup;
        const std::string file = Format(texts::kCardFileFormat, b.slot);
        if (e.check != BackupCheck::Ok) {
            std::fprintf(stderr, "%s: %s\n", file.c_str(), texts::kCardBackupFaulty);
            continue;
        }
        std::printf("%s\t%s\t%s\t%s\t%s\t%d\t%s\n", file.c_str(),
                    Format(texts::kCardAddressFormat, b.address).c_str(),
                    FormatTime(b.oldestTime).c_str(), FormatTime(b.newestTime).c_str(),
                    models.names[static_cast<std::size_t>(b.modelIndex)].c_str(), b.channelCount,
                    Format(texts::kCardIntervalFormat, IntervalTable[b.intervalCode]).c_str());
    }
    return Flushed();
}

int Import(const std::string& device, int slot) {
    CDiskReader reader;
    if (!reader.Open(device)) return RefuseReader(device);
    ImportRequest request;
    request.slot = slot;
    request.home = Home();
    request.extension = ReadModelList(request.home + "SetUp.ini").ext;
    CHistoryWriter writer;
    HistoryData h;
    const ImportResult result = ImportBackup(reader, request, writer, h);
    if (result != ImportResult::Done) return Refuse(ImportMessage(result));
    std::printf("%s\n", writer.GetPath().c_str());
    const int flushed = Flushed();
    AddMadeFile(writer.GetPath(), kSourceCard, device);
    return flushed;
}

int RunCard(const CLI::App& command, const std::vector<std::string>& args) {
    if (args.size() == 1 && args[0] == "devices") return Devices();
    if (args.size() == 2 && args[0] == "list") return List(args[1]);
    if (args.size() == 3 && args[0] == "import") {
        const int slot = ParseSlot(args[2]);
        if (slot < 0) return UsageError(command, "\"" + args[2] + "\" is not a slot from 0 to 255");
        return Import(args[1], slot);
    }
    return UsageError(command, args.empty()
                                   ? "what to do with the card?"
                                   : "\"" + args[0] + "\" with " + std::to_string(args.size() - 1) +
                                         " argument(s) is not a card command");
}

}  // namespace

Command AddCard(CLI::App& parent) {
    auto args = std::make_shared<std::vector<std::string>>();
    CLI::App* command = AddCommand(
        parent, "card",
        "The recorder's backups on a CF card: DEVICE is a card reader's whole disk (/dev/sdX) "
        "or an image of the card; SLOT is 0..255 or the name the list shows (07.dat).",
        "card devices\n       vardo-cli card list DEVICE\n       vardo-cli card import DEVICE "
        "SLOT");
    TakeArgumentsAsTheyStand(command, *args);
    return {command, [command, args] { return RunCard(*command, *args); }};
}

}  // namespace vardo::cli

// Imports compared byte for byte with history files built from the file layout alone, and every
// refusal leaving nothing behind.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "cfcard/card_import.h"
#include "support/card_image.h"

namespace vardo::testing {
namespace {

std::set<std::string> DataFiles(const TempDir& home) {
    return FileNames(home / "Data");
}

ImportResult Import(CardImage& image, const TempDir& home, int slot, std::string* path = nullptr,
                    const std::atomic<bool>* stop = nullptr) {
    ImportRequest request{slot, "vd", home.path(), {}, stop};
    CHistoryWriter writer;
    HistoryData h;
    const ImportResult r = ImportBackup(image, request, writer, h);
    if (path != nullptr) *path = writer.GetPath();
    return r;
}

TEST(CardImport, EveryModelImportsAsTheFileLayoutSays) {
    struct Case {
        const char* model;
        int channels;
        std::uint32_t newestSlot;
        int slot;
    };
    const Case cases[] = {
        {"ZT110", 3, 0, 0},       {"ZT330", 8, 131071, 1},  // a data area up to the signature
        {"ZT550", 1, 70000, 2},   {"ZT552", 4, 65535, 3},   // ranges of all 12 channels
        {"ZT770", 5, 12345, 200}, {"ZT77C", 2, 99, 254},   {"ZT772", 12, 40000, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        TempDir home;
        CardImage image;
        BackupLayout b;
        b.model = c.model;
        b.channelCount = c.channels;
        b.newestSlot = c.newestSlot;
        b.slot = c.slot;
        b.address = c.slot;
        b.intervalCode = c.slot % 9;
        image.Add(b);
        std::string path;
        ASSERT_EQ(Import(image, home, c.slot, &path), ImportResult::Done);
        EXPECT_EQ(path, home / "Data/" + HistoryFileName(c.slot, UnpackTime(b.stamp), "vd"));
        EXPECT_TRUE(ReadBytes(path) == ExpectedImport(b));
    }
}

TEST(CardImport, ABackupEndingAtTheCardsEndImports) {
    TempDir home;
    BackupLayout b;
    b.slot = 255;
    b.channelCount = 8;  // data up to the signature, the card's last sector
    CardImage image(card::SlotBase(255) + card::kSignature + 1);
    image.Add(b);
    std::string path;
    ASSERT_EQ(Import(image, home, 255, &path), ImportResult::Done);
    EXPECT_TRUE(ReadBytes(path) == ExpectedImport(b));
}

TEST(CardImport, RefusalsLeaveNoFile) {
    struct Case {
        const char* what;
        std::function<void(BackupLayout&, CardImage&)> change;
        ImportResult expected;
    };
    const std::uint64_t base = card::SlotBase(4);
    const Case cases[] = {
        {"no signature", [](BackupLayout& b, CardImage&) { b.signature = false; },
         ImportResult::NoBackup},
        {"unknown model", [](BackupLayout& b, CardImage&) { b.model = "ZT999"; },
         ImportResult::SectorDamaged},
        {"bad stamp", [](BackupLayout& b, CardImage&) { b.stamp[3] = 24; }, ImportResult::Faulty},
        {"header A unreadable",
         [base](BackupLayout&, CardImage& c) { c.MakeUnreadable(base + card::kHeaderA); },
         ImportResult::SectorDamaged},
        {"range sector unreadable",
         [base](BackupLayout& b, CardImage& c) {
             b.model = "ZT552";
             c.MakeUnreadable(base + card::kRanges12 + 1);
         },
         ImportResult::SectorDamaged},
        {"last data sector unreadable",
         [base](BackupLayout&, CardImage& c) {
             c.MakeUnreadable(base + card::kData + 3 * 256 - 1);
         },
         ImportResult::SectorDamaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir home;
        CardImage image;
        BackupLayout b;
        b.slot = 4;
        c.change(b, image);
        image.Add(b);
        EXPECT_EQ(Import(image, home, 4), c.expected);
        EXPECT_TRUE(DataFiles(home).empty());
    }
}

TEST(CardImport, ATruncatedImageOrAStoppedCopyLeavesNoFile) {
    BackupLayout b;
    b.slot = 1;
    CardImage cut(card::SlotBase(1) + card::kData + 300);
    cut.Add(b);
    TempDir home;
    EXPECT_EQ(Import(cut, home, 1), ImportResult::SectorDamaged);
    EXPECT_TRUE(DataFiles(home).empty());

    CardImage image;
    image.Add(b);
    const std::atomic<bool> stop{true};
    EXPECT_EQ(Import(image, home, 1, nullptr, &stop), ImportResult::Stopped);
    EXPECT_TRUE(DataFiles(home).empty());
}

TEST(CardImport, AFileThatCannotBeCreatedIsRefused) {
    TempDir home;
    WriteBytes(home / "Data", std::string("not a directory"));
    CardImage image;
    BackupLayout b;
    image.Add(b);
    EXPECT_EQ(Import(image, home, 0), ImportResult::CreateFailed);
    EXPECT_STREQ(ImportMessage(ImportResult::CreateFailed), "建立文件失败！");
}

TEST(CardImport, ATakenNameGetsAFreeVariant) {
    TempDir home;
    CardImage image;
    BackupLayout b;
    image.Add(b);
    std::string first, second;
    ASSERT_EQ(Import(image, home, 0, &first), ImportResult::Done);
    ASSERT_EQ(Import(image, home, 0, &second), ImportResult::Done);
    EXPECT_NE(first, second);
    EXPECT_TRUE(ReadBytes(first) == ReadBytes(second));
}

}  // namespace
}  // namespace vardo::testing

#pragma once
// Writes a filled HistoryData record as a history file in Data/: created at full size, filled
// by whole channel blocks (uploads) or record by record (real-time saving), then renamed to
// carry the newest record's time. It never replaces an existing file: a taken name gets a
// free variant ("08@...(1).vd"), so nothing the user has not seen is destroyed.

#include <fcntl.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/unique_fd.h"
#include "history/history_data.h"

namespace vardo {

// An unnamed file in dir that can be given a name later; -1 where the system has none.
int OpenUnnamedFile(const char* dir);
// Renames from to to unless to exists (then -1 with EEXIST); 0 on success, else -1 with errno.
int RenameNoReplace(const char* from, const char* to);

// The system calls behind the promises a test must see kept when they fail: reserving a new
// file's room is where a full disk shows; some file systems have no unnamed files; a write can
// still fail on a disk that goes away or a network share that stops answering; the rename that
// names a finished file fails where the folder's rights changed meanwhile.
struct WriterCalls {
    int (*allocate)(int fd, off_t offset, off_t length) = ::posix_fallocate;
    int (*openUnnamed)(const char* dir) = OpenUnnamedFile;
    bool (*write)(int fd, ByteSpan bytes, std::int64_t offset) = WriteAll;
    int (*rename)(const char* from, const char* to) = RenameNoReplace;
};

class CHistoryWriter {
  public:
    CHistoryWriter() = default;
    ~CHistoryWriter();
    CHistoryWriter(const CHistoryWriter&) = delete;
    CHistoryWriter& operator=(const CHistoryWriter&) = delete;

    // home is the directory holding Data/; address and extension make the file's name.
    void SetTarget(HistoryData* target, std::string extension, int address, std::string home);
    void SetCalls(const WriterCalls& c) { calls = c; }
    // Real-time saving: the file carries a name from its creation, so that whatever it holds
    // stays readable after a crash.
    [[nodiscard]] int Create();
    // Uploads and imports: the file has no name until Close finds it complete, so that an
    // interrupted transfer (a kill, a power cut) leaves nothing that looks like a whole file.
    // Where the file system has no unnamed files, a hidden name ending in ".part" stands in
    // until then and is removed on every other way out.
    [[nodiscard]] int CreateUnnamed();
    // 0 when no file is open or a write failed, else 1.
    [[nodiscard]] int AppendRecord(const std::uint8_t* samples);
    // Bytes written, or -1 when the write failed (the failure also sticks, see WriteFailed).
    [[nodiscard]] long WriteChannelBlock(const std::uint8_t* bytes, std::size_t count, int block);
    // The channel blocks of the last n records are written: the next run starts after them.
    void Advance(int n);
    // Writes count bytes of the data area (the rings of all present channels one after the
    // other) from offset within it: a copy of a recorder's memory as it stands. Bytes written,
    // or -1 when the write failed or would leave the data area.
    [[nodiscard]] long WriteData(const std::uint8_t* bytes, std::size_t count,
                                 std::uint64_t offset);
    std::string GetPath() const { return path; }
    // 1 when the file is complete under its final name; 0 when a write failed earlier or the
    // rename did not happen (a named file then stays under GetPath(); an unnamed one is gone).
    [[nodiscard]] int Close();
    // Writes the newest time and slot of the records appended into the header, so that a file
    // cut off by a crash or a power cut reads as what it holds. 0 when nothing was appended or
    // the write failed.
    [[nodiscard]] int MarkNewest();
    // As Close, after fixing the newest time and slot from the records appended. A file that
    // received no record is removed (GetPath() is then empty) and 1 returned.
    [[nodiscard]] int Finish();
    // Closes and deletes the file being written: an upload that failed half-way.
    void Discard();

    bool WriteFailed() const { return writeFailed; }
    // Records in the file so far: where the next one goes and what the header's newest is.
    std::int64_t RecordCount() const { return records; }
    bool IsOpen() const { return isOpen != 0; }

    int isOpen = 0;
    int address = -1;
    std::string path;
    HistoryData* target = nullptr;
    std::string extension;

  private:
    enum class Naming { Named, Unnamed, Hidden };
    int Open(Naming how);
    bool GiveName();
    bool CloseFile();
    bool WriteAt(const std::uint8_t* bytes, std::size_t count, std::uint64_t offset);
    bool Rename();

    std::string home;
    WriterCalls calls;
    Naming naming = Naming::Named;
    UniqueFd file;
    // The name the file was created or last renamed under, before any "(i)" variant.
    std::string createdName;
    bool writeFailed = false;
    // The writer's own count, apart from the record's display window, which a view may move.
    std::int64_t records = 0;
};

// Moves the file at from into dir under name or, when that is taken, its first free "(i)"
// variant: never over an existing file. The path it now has, or empty when it could not move.
std::string MoveToFreeHistoryName(const std::string& from, const std::string& dir,
                                  const std::string& name);

// "%02d@%d-%02d-%02d_%02d-%02d-%02d.%s": the name every program-made history file carries.
std::string HistoryFileName(int address, VTime newestTime, const std::string& extension);

}  // namespace vardo

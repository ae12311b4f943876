// A file system that counts every change it makes (writes, cuts, renames, removals) and can
// make the N-th one fail: as a crash (that change and everything after it never happens), as a
// torn write (half of it lands, then the crash), as a full disk (half of that one write lands,
// it fails, and the program carries on), or as a power cut (a crash in which every change not
// yet flushed to the disk is lost as well).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/record_file.h"

namespace banktest {

enum class Fault { none, crash, tornWrite, diskFull, powerCut };

class FaultyFiles final : public platform::FileSystem {
 public:
  explicit FaultyFiles(platform::FileSystem& real = platform::nativeFileSystem()) : real_(real) {}

  void arm(Fault fault, int atChange) {
    fault_ = fault;
    failAt_ = atChange;
    changes_ = 0;
    dead_ = false;
  }
  int changes() const { return changes_; }
  bool dead() const { return dead_; }

  std::unique_ptr<platform::RecordFile> open(const std::filesystem::path& path,
                                             const platform::OpenRequest& request,
                                             platform::FileFault& fault) override;
  bool replace(const std::filesystem::path& from, const std::filesystem::path& to) override;
  bool placeNew(const std::filesystem::path& from, const std::filesystem::path& to) override;
  bool remove(const std::filesystem::path& path) override;
  bool exists(const std::filesystem::path& path) override;
  bool syncFolderOf(const std::filesystem::path& path) override;

  // Called before each change: false when it must not happen. `torn` is set when only half
  // of a write should land.
  bool allowChange(bool& torn);
  bool alive() const { return !dead_; }

  // What a change overwrote, kept until the file is flushed.
  struct Undo {
    std::uint64_t offset = 0;
    std::string bytes;            // the bytes the change overwrote
    std::uint64_t oldLength = 0;  // the file's length before it
  };
  void recordUndo(const std::filesystem::path& path, Undo undo);
  void flushed(const std::filesystem::path& path) { unflushed_.erase(path); }

 private:
  void loseUnflushedChanges();

  platform::FileSystem& real_;
  Fault fault_ = Fault::none;
  int failAt_ = 0;
  int changes_ = 0;
  bool dead_ = false;
  std::map<std::filesystem::path, std::vector<Undo>> unflushed_;
};

}  // namespace banktest

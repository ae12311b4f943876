#include "faulty_files.h"

#include <algorithm>

namespace banktest {
namespace {

class FaultyFile final : public platform::RecordFile {
 public:
  FaultyFile(FaultyFiles& owner, std::filesystem::path path,
             std::unique_ptr<platform::RecordFile> real)
      : owner_(owner), path_(std::move(path)), real_(std::move(real)) {}

  std::int64_t readAt(std::uint64_t offset, void* buffer, std::size_t size) override {
    if (!owner_.alive()) return deny();
    return real_->readAt(offset, buffer, size);
  }
  bool writeAt(std::uint64_t offset, const void* data, std::size_t size) override {
    bool torn = false;
    const bool allowed = owner_.allowChange(torn);
    if (!allowed && !torn) return deny() == 0;
    remember(offset, allowed ? size : size / 2);
    if (!allowed) {
      if (size > 1) real_->writeAt(offset, data, size / 2);
      return deny() == 0;
    }
    return real_->writeAt(offset, data, size);
  }
  std::int64_t length() override { return owner_.alive() ? real_->length() : deny(); }
  bool truncate(std::uint64_t length) override {
    bool torn = false;
    if (!owner_.allowChange(torn)) return deny() == 0;
    remember(0, 0);
    const std::int64_t now = real_->length();
    if (now > 0 && std::uint64_t(now) > length) remember(length, std::size_t(now) - length);
    return real_->truncate(length);
  }
  bool flush() override {
    if (!owner_.alive()) return deny() == 0;
    if (!real_->flush()) return false;
    owner_.flushed(path_);
    return true;
  }
  bool tryLock(std::uint64_t offset, std::uint64_t size, platform::LockMode mode) override {
    return owner_.alive() ? real_->tryLock(offset, size, mode) : deny() == 0;
  }
  void unlock(std::uint64_t offset, std::uint64_t size) override {
    if (owner_.alive()) real_->unlock(offset, size);
  }
  bool unlinked() override { return real_->unlinked(); }
  platform::FileFault lastFault() const override {
    return denied_ ? platform::FileFault::diskFull : real_->lastFault();
  }

 private:
  int deny() {
    denied_ = true;
    return -1;
  }
  // Keeps what the coming change will overwrite, so a power cut can take the change back.
  void remember(std::uint64_t offset, std::size_t size) {
    FaultyFiles::Undo undo;
    undo.offset = offset;
    const std::int64_t length = real_->length();
    undo.oldLength = length > 0 ? std::uint64_t(length) : 0;
    if (offset < undo.oldLength) {
      undo.bytes.resize(std::size_t(std::min<std::uint64_t>(size, undo.oldLength - offset)));
      real_->readAt(offset, undo.bytes.data(), undo.bytes.size());
    }
    owner_.recordUndo(path_, std::move(undo));
  }

  FaultyFiles& owner_;
  std::filesystem::path path_;
  std::unique_ptr<platform::RecordFile> real_;
  bool denied_ = false;
};

}  // namespace

bool FaultyFiles::allowChange(bool& torn) {
  torn = false;
  if (dead_) return false;
  if (++changes_ != failAt_ || fault_ == Fault::none) return true;
  torn = fault_ == Fault::tornWrite || fault_ == Fault::diskFull;
  if (fault_ == Fault::diskFull) return false;
  dead_ = true;
  if (fault_ == Fault::powerCut) loseUnflushedChanges();
  return false;
}

void FaultyFiles::recordUndo(const std::filesystem::path& path, Undo undo) {
  unflushed_[path].push_back(std::move(undo));
}

void FaultyFiles::loseUnflushedChanges() {
  for (auto& [path, undos] : unflushed_) {
    platform::FileFault fault;
    auto file = real_.open(path, {platform::OpenMode::readWrite, false}, fault);
    if (!file) continue;
    for (auto it = undos.rbegin(); it != undos.rend(); ++it) {
      if (!it->bytes.empty()) file->writeAt(it->offset, it->bytes.data(), it->bytes.size());
      file->truncate(it->oldLength);
    }
  }
  unflushed_.clear();
}

std::unique_ptr<platform::RecordFile> FaultyFiles::open(const std::filesystem::path& path,
                                                        const platform::OpenRequest& request,
                                                        platform::FileFault& fault) {
  if (dead_) {
    fault = platform::FileFault::other;
    return nullptr;
  }
  auto file = real_.open(path, request, fault);
  if (!file) return nullptr;
  if (request.mode == platform::OpenMode::create) unflushed_[path].push_back({0, {}, 0});
  return std::make_unique<FaultyFile>(*this, path, std::move(file));
}

bool FaultyFiles::replace(const std::filesystem::path& from, const std::filesystem::path& to) {
  bool torn;
  if (!allowChange(torn) || !real_.replace(from, to)) return false;
  // The rename lasts; the contents it carries are as durable as they were under the old name.
  auto moved = unflushed_.extract(from);
  unflushed_.erase(to);
  if (!moved.empty()) {
    moved.key() = to;
    unflushed_.insert(std::move(moved));
  }
  return true;
}

bool FaultyFiles::placeNew(const std::filesystem::path& from, const std::filesystem::path& to) {
  bool torn;
  if (!allowChange(torn) || !real_.placeNew(from, to)) return false;
  auto moved = unflushed_.extract(from);
  if (!moved.empty()) {
    moved.key() = to;
    unflushed_.insert(std::move(moved));
  }
  return true;
}

bool FaultyFiles::remove(const std::filesystem::path& path) {
  bool torn;
  if (!allowChange(torn) || !real_.remove(path)) return false;
  unflushed_.erase(path);
  return true;
}

bool FaultyFiles::exists(const std::filesystem::path& path) { return !dead_ && real_.exists(path); }

bool FaultyFiles::syncFolderOf(const std::filesystem::path& path) {
  return !dead_ && real_.syncFolderOf(path);
}

}  // namespace banktest

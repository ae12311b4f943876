#include "faulty_files.h"

namespace banktest {
namespace {

class FaultyFile final : public platform::RecordFile {
 public:
  FaultyFile(FaultyFiles& owner, std::unique_ptr<platform::RecordFile> real)
      : owner_(owner), real_(std::move(real)) {}

  std::int64_t readAt(std::uint64_t offset, void* buffer, std::size_t size) override {
    if (!owner_.alive()) return deny();
    return real_->readAt(offset, buffer, size);
  }
  bool writeAt(std::uint64_t offset, const void* data, std::size_t size) override {
    bool torn = false;
    if (!owner_.allowChange(torn)) {
      if (torn && size > 1) real_->writeAt(offset, data, size / 2);
      return deny() == 0;
    }
    return real_->writeAt(offset, data, size);
  }
  std::int64_t length() override { return owner_.alive() ? real_->length() : deny(); }
  bool truncate(std::uint64_t length) override {
    bool torn = false;
    if (!owner_.allowChange(torn)) return deny() == 0;
    return real_->truncate(length);
  }
  bool tryLock(std::uint64_t offset, std::uint64_t size) override {
    return owner_.alive() ? real_->tryLock(offset, size) : deny() == 0;
  }
  void unlock(std::uint64_t offset, std::uint64_t size) override {
    if (owner_.alive()) real_->unlock(offset, size);
  }
  platform::FileFault lastFault() const override {
    return denied_ ? platform::FileFault::diskFull : real_->lastFault();
  }

 private:
  int deny() {
    denied_ = true;
    return -1;
  }

  FaultyFiles& owner_;
  std::unique_ptr<platform::RecordFile> real_;
  bool denied_ = false;
};

}  // namespace

bool FaultyFiles::allowChange(bool& torn) {
  torn = false;
  if (dead_) return false;
  if (++changes_ != failAt_ || fault_ == Fault::none) return true;
  torn = true;  // a full disk also takes part of the write before it fails
  if (fault_ == Fault::diskFull) return false;
  dead_ = true;
  return false;
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
  return std::make_unique<FaultyFile>(*this, std::move(file));
}

bool FaultyFiles::replace(const std::filesystem::path& from, const std::filesystem::path& to) {
  bool torn;
  return allowChange(torn) && real_.replace(from, to);
}

bool FaultyFiles::remove(const std::filesystem::path& path) {
  bool torn;
  return allowChange(torn) && real_.remove(path);
}

}  // namespace banktest

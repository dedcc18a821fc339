#include "host/spool.h"

#include <algorithm>

#include "core/script_error.h"

namespace brevane::host {

BodySpool::BodySpool(size_t memory_limit, std::string temp_dir, std::string_view content_type)
    : intake_(std::make_unique<upload::BodyIntake>(content_type, memory_limit, std::move(temp_dir))) {}

void BodySpool::append(const char* data, size_t n) {
  if (!intake_) throw ScriptError(kInvalidCall);
  intake_->append(data, n);
  size_ += n;
}

upload::BodyIntake* BodySpool::settled() const {
  if (intake_) intake_->finish();
  return intake_.get();
}

bool BodySpool::on_disk() const {
  upload::BodyIntake* in = settled();
  return in && in->store().spilled();
}

size_t BodySpool::read(uint64_t offset, char* out, size_t n) const {
  upload::BodyIntake* in = settled();
  if (!in || offset >= in->size()) return 0;
  n = static_cast<size_t>(std::min<uint64_t>(n, in->size() - offset));
  if (!in->store().read(offset, n, reinterpret_cast<uint8_t*>(out))) throw ScriptError(kPermissionDenied);
  return n;
}

std::string BodySpool::read_all() const {
  std::string s(static_cast<size_t>(size_), '\0');
  s.resize(read(0, s.data(), s.size()));
  return s;
}

std::unique_ptr<upload::BodyIntake> BodySpool::take_intake() {
  settled();
  return std::move(intake_);
}

std::string BodyCursor::next(size_t n) {
  std::string s(static_cast<size_t>(std::min<uint64_t>(n, spool_->size() - std::min(pos_, spool_->size()))), '\0');
  s.resize(spool_->read(pos_, s.data(), s.size()));
  pos_ += s.size();
  return s;
}

}  // namespace brevane::host

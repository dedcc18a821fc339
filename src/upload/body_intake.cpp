#include "upload/body_intake.h"

#include <algorithm>
#include <cctype>

#include "core/text.h"
#include "upload/bytesearch.h"
#include "upload/multipart.h"

namespace brevane::upload {

namespace {

// Received bytes are looked at in batches: fewer, larger writes.
constexpr size_t kBatch = 256u << 10;
const uint8_t kHeaderEnd[] = {13, 10, 13, 10};

}  // namespace

BodyIntake::BodyIntake(std::string_view content_type, uint64_t memory_limit, std::string folder)
    : store_(memory_limit) {
  store_.set_folder(std::move(folder));
  std::string type(content_type.substr(0, content_type.find(';')));
  std::transform(type.begin(), type.end(), type.begin(), [](unsigned char c) { return std::tolower(c); });
  type.erase(0, type.find_first_not_of(" \t"));
  type.erase(type.find_last_not_of(" \t") + 1);
  if (type != "multipart/form-data") return;
  std::optional<std::string> boundary = multipart::boundary_of(from_utf8(content_type));
  if (!boundary) return;
  needle_ = multipart::delimiter_needle(*boundary);
  index_ = std::make_unique<BoundaryIndex>(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(needle_.data()), needle_.size()));
}

void BodyIntake::append(const char* data, size_t n) {
  if (n == 0) return;
  if (index_) index_->feed(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(data), n));
  pending_.append(data, n);
  received_ += n;
  if (pending_.size() - pending_from_ >= kBatch) take(false);
}

void BodyIntake::finish() {
  take(true);
  store_.divert_end();
  diverting_ = false;
}

void BodyIntake::commit_to(uint64_t end) {
  if (end <= committed_) return;
  size_t n = static_cast<size_t>(end - committed_);
  store_.append(reinterpret_cast<const uint8_t*>(pending_.data() + pending_from_), n);
  pending_from_ += n;
  committed_ = end;
}

void BodyIntake::take(bool last) {
  const uint64_t end = received_;
  const size_t m = needle_.size();
  for (;;) {
    if (!index()) {
      // No parts to follow: the bytes go to the store as they are.
      commit_to(end);
      break;
    }
    if (!in_data_) {
      // The blank line that ends a part's headers; what comes before it
      // (the delimiter line, the headers) stays in the store's own file.
      auto body = std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(pending_.data() + pending_from_),
                                           pending_.size() - pending_from_);
      size_t h = find_bytes(body, kHeaderEnd, static_cast<size_t>(head_from_ - committed_));
      if (h == kNotFound) {
        uint64_t keep = std::min<uint64_t>(3, end - committed_);
        commit_to(last ? end : end - keep);
        head_from_ = std::max(head_from_, committed_);
        break;
      }
      data_at_ = committed_ + h + 4;
      commit_to(data_at_);
      in_data_ = true;
      // A delimiter that began inside the blank line would be read past its
      // end by the parser: such a part keeps its bytes in the store's file.
      uint64_t at = 0;
      may_divert_ = !(index_->next(data_at_ >= m ? data_at_ - m + 1 : 0, at) && at < data_at_);
      continue;
    }
    uint64_t e = 0;
    if (index_->next(data_at_, e)) {
      commit_to(e);
      if (diverting_) store_.divert_end();
      diverting_ = false;
      in_data_ = false;
      head_from_ = e + m;
      continue;
    }
    // No delimiter yet: all but what could be the start of one is the part's.
    uint64_t safe = last ? end : std::max(committed_, end >= m ? end - m + 1 : 0);
    bool long_part = safe - data_at_ >= kOwnFileAfter;
    if (!diverting_ && may_divert_ && long_part && committed_ == data_at_) {
      store_.divert_begin();
      diverting_ = true;
    }
    if (diverting_ || long_part || last) commit_to(safe);
    break;
  }
  if (pending_from_ >= pending_.size() / 2) {
    pending_.erase(0, pending_from_);
    pending_from_ = 0;
  }
}

}  // namespace brevane::upload

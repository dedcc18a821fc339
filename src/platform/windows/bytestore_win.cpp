// Byte store on Windows: the body stays in memory (the web server holds
// large bodies itself and hands them out in pieces); saving writes the
// range with the ordinary file calls.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "core/script_error.h"
#include "core/text.h"
#include "platform/bytestore.h"

namespace brevane {

struct ByteStore::Impl {
  uint8_t* mem = nullptr;
  size_t size = 0, cap = 0;
  ~Impl() { std::free(mem); }
  void grow(size_t need) {
    if (need <= cap) return;
    size_t c = need > cap * 2 ? need : cap * 2;
    auto* p = static_cast<uint8_t*>(std::realloc(mem, c));
    if (!p) throw ScriptError(kOutOfMemory);
    mem = p;
    cap = c;
  }
};

ByteStore::ByteStore(uint64_t) : impl_(std::make_unique<Impl>()) {}
ByteStore::~ByteStore() = default;

void ByteStore::reserve(uint64_t expected) { impl_->grow(static_cast<size_t>(expected)); }

void ByteStore::append(const uint8_t* data, size_t n) {
  if (!n) return;
  impl_->grow(impl_->size + n);
  std::memcpy(impl_->mem + impl_->size, data, n);
  impl_->size += n;
}

void ByteStore::append_shared(std::shared_ptr<const std::vector<uint8_t>> chunk, size_t n) { append(chunk->data(), n); }

uint64_t ByteStore::size() const { return impl_->size; }
bool ByteStore::spilled() const { return false; }
std::span<const uint8_t> ByteStore::view() { return {impl_->mem, impl_->size}; }
void ByteStore::release_before(uint64_t) {}
void ByteStore::prepare(uint64_t, uint64_t) {}
void ByteStore::swap(ByteStore& other) noexcept { impl_.swap(other.impl_); }
void ByteStore::set_folder(std::string) {}
void ByteStore::divert_begin() {}
void ByteStore::divert_end() {}
bool ByteStore::materialize(uint64_t, uint64_t) { return false; }

ByteStore::SaveResult ByteStore::save_range(uint64_t offset, uint64_t length, const std::string& path, bool exclusive) {
  if (offset > impl_->size || length > impl_->size - offset) return SaveResult::OutOfRange;
  Text wide = from_utf8(path);
  HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(wide.c_str()), GENERIC_WRITE, 0, nullptr,
                         exclusive ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_FILE_EXISTS ? SaveResult::Exists : SaveResult::OpenFailed;
  const uint8_t* p = impl_->mem + offset;
  bool ok = true;
  while (length && ok) {
    DWORD want = static_cast<DWORD>(length > (1u << 30) ? (1u << 30) : length), done = 0;
    ok = WriteFile(h, p, want, &done, nullptr) && done == want;
    p += done;
    length -= done;
  }
  CloseHandle(h);
  if (!ok) {
    DeleteFileW(reinterpret_cast<const wchar_t*>(wide.c_str()));
    return SaveResult::WriteFailed;
  }
  return SaveResult::Done;
}

bool ByteStore::read(uint64_t offset, uint64_t length, uint8_t* out) {
  if (offset > impl_->size || length > impl_->size - offset) return false;
  if (length) std::memcpy(out, impl_->mem + offset, static_cast<size_t>(length));
  return true;
}

void ByteStore::clear() {
  std::free(impl_->mem);
  impl_->mem = nullptr;
  impl_->size = impl_->cap = 0;
}

}  // namespace brevane

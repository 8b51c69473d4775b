// The replaced global operator new and delete behind heap_counter.h.
#include "heap_counter.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> g_current{0};
std::atomic<std::size_t> g_peak{0};

void* Counted(void* p) {
  if (p == nullptr)
    throw std::bad_alloc();
  const std::size_t now = g_current += malloc_usable_size(p);
  std::size_t peak = g_peak;
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
  return p;
}

void Release(void* p) {
  if (p == nullptr)
    return;
  g_current -= malloc_usable_size(p);
  std::free(p);
}

}  // namespace

namespace tenrovel::bench {

std::size_t HeapInUse() {
  return g_current;
}
std::size_t HeapPeak() {
  return g_peak;
}
void ResetHeapPeak() {
  g_peak = g_current.load();
}

}  // namespace tenrovel::bench

void* operator new(std::size_t size) {
  return Counted(std::malloc(size == 0 ? 1 : size));
}
void* operator new[](std::size_t size) {
  return Counted(std::malloc(size == 0 ? 1 : size));
}
void* operator new(std::size_t size, std::align_val_t align) {
  const auto a = static_cast<std::size_t>(align);
  return Counted(std::aligned_alloc(a, (std::max<std::size_t>(size, 1) + a - 1) / a * a));
}
void* operator new[](std::size_t size, std::align_val_t align) {
  return operator new(size, align);
}
void operator delete(void* p) noexcept {
  Release(p);
}
void operator delete[](void* p) noexcept {
  Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  Release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  Release(p);
}

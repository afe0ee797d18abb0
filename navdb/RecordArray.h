#pragma once

// A growable array of fixed-size records, the storage of every record array of the database.
// Records are plain bytes: they are moved with block copies and never destroyed one by one.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

template <class T>
class CRecordArray {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

 public:
  using value_type = T;

  CRecordArray() = default;
  ~CRecordArray() { ::operator delete(m_data); }
  CRecordArray(const CRecordArray&) = delete;
  CRecordArray& operator=(const CRecordArray&) = delete;

  int GetSize() const { return m_size; }
  int GetCount() const { return m_size; }
  bool IsEmpty() const { return m_size == 0; }
  int GetCapacity() const { return m_capacity; }
  int GetGrowBy() const { return m_growBy; }
  // Changes whenever elements are dropped, swapped or sized for a wholesale overwrite, so that
  // an index kept over the elements knows it must start again.
  uint32_t GetGeneration() const { return m_generation; }

  T* GetData() { return m_data; }
  const T* GetData() const { return m_data; }
  T& operator[](int i) { return m_data[i]; }
  const T& operator[](int i) const { return m_data[i]; }
  T& ElementAt(int i) { return m_data[i]; }
  const T& GetAt(int i) const { return m_data[i]; }
  T* begin() { return m_data; }
  T* end() { return m_data + m_size; }
  const T* begin() const { return m_data; }
  const T* end() const { return m_data + m_size; }

  // n == 0 frees the block. Growing past the capacity allocates max(n, capacity + step), step
  // being growBy or, when that is 0, size / 8 clamped to 4..1024, and at least half the
  // capacity: fixed steps would copy a large array over and over as it fills. New elements are
  // constructed with the record's defaults; shrinking keeps the capacity. growBy -1 keeps the
  // step.
  void SetSize(int n, int growBy = -1) {
    Resize(n, growBy);
    for (int i = m_constructedFrom; i < m_size; ++i) new (&m_data[i]) T();
    m_constructedFrom = m_size;
  }

  void RemoveAll() { SetSize(0); }

  // Exchanges the elements only; whatever a derived array keeps about its owner stays put.
  void SwapElements(CRecordArray& other) noexcept {
    std::swap(m_data, other.m_data);
    std::swap(m_size, other.m_size);
    std::swap(m_capacity, other.m_capacity);
    std::swap(m_growBy, other.m_growBy);
    std::swap(m_constructedFrom, other.m_constructedFrom);
    ++m_generation;
    ++other.m_generation;
  }

  int Add(const T& r) {
    const int i = m_size;
    SetSize(i + 1);
    std::memcpy(static_cast<void*>(&m_data[i]), &r, sizeof(T));
    return i;
  }

  void SetAtGrow(int i, const T& r) {
    if (i >= m_size) SetSize(i + 1);
    std::memcpy(static_cast<void*>(&m_data[i]), &r, sizeof(T));
  }

  void InsertAt(int i, const T& r, int count = 1) {
    const int old = m_size;
    if (i >= old) {
      SetSize(i + count);
    } else {
      SetSize(old + count);
      std::memmove(static_cast<void*>(&m_data[i + count]), &m_data[i],
                   static_cast<size_t>(old - i) * sizeof(T));
    }
    for (int k = 0; k < count; ++k) std::memcpy(static_cast<void*>(&m_data[i + k]), &r, sizeof(T));
  }

  // Sizes the array for a bulk fill that overwrites every element (the file loader): no
  // element is constructed. Throws std::bad_alloc when the block cannot be had.
  void SetSizeForOverwrite(int n) {
    ++m_generation;
    Resize(n, -1);
    m_constructedFrom = m_size;
  }

 private:
  void Resize(int n, int growBy) {
    if (growBy != -1) m_growBy = growBy;
    if (n < 0) throw std::bad_alloc();
    if (n < m_size) ++m_generation;
    if (n == 0) {
      ::operator delete(m_data);
      m_data = nullptr;
      m_size = m_capacity = m_constructedFrom = 0;
      return;
    }
    if (m_data == nullptr) {
      m_data = Allocate(n);
      m_capacity = n;
    } else if (n > m_capacity) {
      int step = m_growBy;
      if (step == 0) step = std::clamp(m_size / 8, 4, 1024);
      const int64_t wanted =
          std::max<int64_t>(n, int64_t{m_capacity} + std::max(step, m_capacity / 2));
      const int newCapacity = static_cast<int>(std::min<int64_t>(wanted, kMaxElements));
      if (newCapacity < n) throw std::bad_alloc();
      T* block = Allocate(newCapacity);
      if (m_size > 0) std::memcpy(static_cast<void*>(block), m_data, static_cast<size_t>(m_size) * sizeof(T));
      ::operator delete(m_data);
      m_data = block;
      m_capacity = newCapacity;
    }
    m_constructedFrom = std::min(m_size, n);
    m_size = n;
  }

  static constexpr int64_t kMaxElements =
      std::min<int64_t>(std::numeric_limits<int32_t>::max(),
                        static_cast<int64_t>(std::numeric_limits<size_t>::max() / sizeof(T)));

  static T* Allocate(int n) {
    if (n > kMaxElements) throw std::bad_alloc();
    return static_cast<T*>(::operator new(static_cast<size_t>(n) * sizeof(T)));
  }

  T* m_data = nullptr;
  int m_size = 0;
  int m_capacity = 0;
  int m_growBy = 0;
  int m_constructedFrom = 0;  // first element that SetSize still has to construct
  uint32_t m_generation = 0;
};

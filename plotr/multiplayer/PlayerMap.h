#pragma once

// The sessions' player maps: records by player id in 17 buckets chosen by (id >> 4) mod 17, the
// newest record of a bucket first. Walks go bucket by bucket in that order, which is the order in
// which the player lists and the host dialogs show the players.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

template <class Record>
class PlayerMap {
 public:
  static constexpr size_t kBuckets = 17;

  Record* Find(uint32_t id) {
    auto& bucket = Bucket(id);
    auto it = std::find_if(bucket.begin(), bucket.end(), [id](const auto& e) { return e.first == id; });
    return it == bucket.end() ? nullptr : &it->second;
  }
  const Record* Find(uint32_t id) const { return const_cast<PlayerMap*>(this)->Find(id); }
  bool Contains(uint32_t id) const { return Find(id) != nullptr; }

  // Stores `record` under `id`, replacing a record already there in its place.
  Record& Set(uint32_t id, const Record& record) {
    if (Record* old = Find(id)) return *old = record;
    auto& bucket = Bucket(id);
    bucket.insert(bucket.begin(), {id, record});
    ++m_size;
    return bucket.front().second;
  }

  bool Remove(uint32_t id) {
    auto& bucket = Bucket(id);
    auto it = std::find_if(bucket.begin(), bucket.end(), [id](const auto& e) { return e.first == id; });
    if (it == bucket.end()) return false;
    bucket.erase(it);
    --m_size;
    return true;
  }

  void Clear() {
    for (auto& b : m_buckets) b.clear();
    m_size = 0;
  }
  size_t Size() const { return m_size; }
  bool Empty() const { return m_size == 0; }

  // f(id, record) for every record in walk order.
  template <class F>
  void ForEach(F&& f) const {
    for (const auto& bucket : m_buckets)
      for (const auto& [id, record] : bucket) f(id, record);
  }
  template <class F>
  void ForEach(F&& f) {
    for (auto& bucket : m_buckets)
      for (auto& [id, record] : bucket) f(id, record);
  }
  std::vector<uint32_t> Ids() const {
    std::vector<uint32_t> ids;
    ForEach([&](uint32_t id, const Record&) { ids.push_back(id); });
    return ids;
  }

 private:
  std::vector<std::pair<uint32_t, Record>>& Bucket(uint32_t id) { return m_buckets[(id >> 4) % kBuckets]; }

  std::array<std::vector<std::pair<uint32_t, Record>>, kBuckets> m_buckets;
  size_t m_size = 0;
};

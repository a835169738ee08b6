#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

namespace ondulix::engine::cycle {

// A priority queue by (key, column) for keys that never go back: every key pushed is at least
// the one last popped, as a search only ever looks later. Entries sit in buckets by the highest
// bit in which their key differs from the last one popped (a radix heap), so memory is walked in
// order instead of sifted through one large heap; the entries of the last key itself are kept as
// a small heap by column. Entry needs `key` and `column`.
template <class Entry>
class MonotoneQueue {
public:
    bool empty() const { return size_ == 0; }

    // Empties the queue but keeps its memory for the next search.
    void clear() {
        for (std::vector<Entry>& bucket : buckets_)
            bucket.clear();
        last_ = 0;
        size_ = 0;
    }

    void push(const Entry& e) {
        place(e);
        ++size_;
    }

    Entry pop() {
        std::vector<Entry>& now = buckets_[0];
        if (now.empty())
            refill();
        std::pop_heap(now.begin(), now.end(), laterColumn);
        const Entry e = now.back();
        now.pop_back();
        --size_;
        return e;
    }

private:
    static bool laterColumn(const Entry& a, const Entry& b) { return a.column > b.column; }

    void place(const Entry& e) {
        std::vector<Entry>& bucket = buckets_[static_cast<std::size_t>(std::bit_width(e.key ^ last_))];
        bucket.push_back(e);
        if (&bucket == &buckets_[0])
            std::push_heap(bucket.begin(), bucket.end(), laterColumn);
    }

    void refill() {
        std::size_t i = 1;
        while (buckets_[i].empty())
            ++i;
        moving_.swap(buckets_[i]); // both keep their memory: refills come by the hundred thousand
        last_ = std::min_element(moving_.begin(), moving_.end(), [](const Entry& a, const Entry& b) {
                    return a.key < b.key;
                })->key;
        for (const Entry& e : moving_)
            place(e);
        moving_.clear();
    }

    std::array<std::vector<Entry>, 65> buckets_;
    std::vector<Entry> moving_;
    std::uint64_t last_ = 0;
    std::size_t size_ = 0;
};

} // namespace ondulix::engine::cycle
